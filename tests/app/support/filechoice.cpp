#include "app/support/filechoice.h"

#include <optional>

#include "app/support/mainwindowfixture.h"
#include "ui/filedialog.h"

namespace varlok::app::testing {

std::string MessageWithFileChosen(const std::string& path, const std::function<void()>& click) {
    ui::SetFileDialogAnswerProvider(
        [path](ui::FileDialogKind, const ui::FileDialogOptions&) -> std::optional<std::string> {
            return path;
        });
    std::string shown;
    AnswerMessage(shown);
    click();
    ui::SetFileDialogAnswerProvider({});
    return shown;
}

}  // namespace varlok::app::testing
