#include "app/notices.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/debugoutput.h"
#include "ui/resourcemanager.h"
#include "ui/windowimplbase.h"

namespace varlok::app {

namespace {

// Keys of the notices open now, innermost last (modal loops nest).
std::vector<std::string>& OpenNotices() {
    static std::vector<std::string> keys;
    return keys;
}

// Marks a notice open for the time it is shown.
class OpenNotice {
public:
    explicit OpenNotice(std::string_view key) { OpenNotices().emplace_back(key); }
    ~OpenNotice() { OpenNotices().pop_back(); }
    OpenNotice(const OpenNotice&) = delete;
    OpenNotice& operator=(const OpenNotice&) = delete;
};

// Until the message box window joins, a notice is written where a user
// starting the program from a terminal sees it.
int Present(ui::WindowImplBase& /*parent*/, std::string_view key) {
    const std::string text = ui::CResourceManager::GetInstance().GetText(key);
    platform::DebugOutput::Write("notice " + std::string(key) + ": " + text);
    std::fprintf(stderr, "varlok: %s\n", text.c_str());
    return 0;
}

}  // namespace

int ShowNotice(ui::WindowImplBase& parent, std::string_view key) {
    const OpenNotice open(key);
    return Present(parent, key);
}

void ShowTimedNotice(ui::WindowImplBase& parent, std::string_view key) {
    const OpenNotice open(key);
    static_cast<void>(Present(parent, key));
}

bool IsNoticeShowing(std::string_view key) {
    return std::ranges::find(OpenNotices(), key) != OpenNotices().end();
}

}  // namespace varlok::app
