#include "platform/debugoutput.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace varlok::platform {

namespace {

// The live captures. Guarded by CaptureListMutex(); a capture removes itself
// under that mutex before it is destroyed, so Write never reaches a dead one.
std::mutex& CaptureListMutex() {
    static std::mutex mutex;
    return mutex;
}

std::vector<DebugCapture*>& CaptureList() {
    static std::vector<DebugCapture*> captures;
    return captures;
}

void WriteToStderr(std::string_view text) {
    static std::mutex stderrMutex;
    std::string line(text);
    if (line.empty() || line.back() != '\n') {
        line.push_back('\n');
    }
    std::lock_guard lock(stderrMutex);
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fflush(stderr);
}

}  // namespace

void DebugOutput::Write(std::string_view utf8Text) {
    if (std::getenv("VARLOK_DEBUG") != nullptr) {
        WriteToStderr(utf8Text);
    }
    std::lock_guard lock(CaptureListMutex());
    for (DebugCapture* capture : CaptureList()) {
        capture->Append(utf8Text);
    }
}

DebugCapture::DebugCapture() {
    std::lock_guard lock(CaptureListMutex());
    CaptureList().push_back(this);
}

DebugCapture::~DebugCapture() {
    std::lock_guard lock(CaptureListMutex());
    auto& captures = CaptureList();
    captures.erase(std::find(captures.begin(), captures.end(), this));
}

std::vector<std::string> DebugCapture::Lines() const {
    std::lock_guard lock(m_mutex);
    return m_lines;
}

bool DebugCapture::Contains(std::string_view line) const {
    std::lock_guard lock(m_mutex);
    return std::find(m_lines.begin(), m_lines.end(), line) != m_lines.end();
}

void DebugCapture::Append(std::string_view text) {
    std::lock_guard lock(m_mutex);
    m_lines.emplace_back(text);
}

}  // namespace varlok::platform
