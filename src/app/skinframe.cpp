#include "app/skinframe.h"

#include "platform/debugoutput.h"
#include "ui/controlui.h"
#include "ui/filedialog.h"
#include "ui/tablayoutui.h"
#include "ui/windowmessages.h"

namespace varlok::app {

namespace {

constexpr int kPicturePage = 0;
constexpr int kColourPage = 1;

}  // namespace

CSkinFrame::CSkinFrame(SkinPublisherType& publisher, const std::filesystem::path& mainIni,
                       std::string layoutFile)
    : CFramelessDialog(std::move(layoutFile), 0), m_publisher(publisher), m_settings(mainIni) {}

ui::UiPoint CSkinFrame::Placement(const ui::UiRect& buttonOnScreen, ui::UiSize popupSize) {
    return ui::UiPoint{buttonOnScreen.right - popupSize.cx, buttonOnScreen.bottom};
}

bool CSkinFrame::Open(const ui::WindowImplBase& parent, const ui::CControlUI& button) {
    if (!Create(nullptr, kTitle)) {
        platform::DebugOutput::Write("skin popup layout missing; not shown");
        Close(0);
        return false;
    }
    SetTopmost(true);
    SetTransientFor(parent);
    MoveWindowTo(*this, Placement(ControlRectOnScreen(parent, button), GetClientSize()));
    ShowWindow(true, true);
    if (ui::CControlUI* root = GetPaintManager().GetRoot()) {
        root->SetFocus();
    }
    return true;
}

void CSkinFrame::Notify(ui::TNotifyUI& msg) {
    if (msg.sType == ui::msgtype::kClick && msg.pSender != nullptr) {
        OnClick(*msg.pSender);
    }
}

ui::LResult CSkinFrame::HandleCustomMessage(ui::MessageId message, ui::WParam wParam,
                                            ui::LParam lParam, bool& handled) {
    // Another window or the desktop was activated: the user clicked outside.
    // The file dialog of skin_Custom takes the activation too; the popup
    // stays until it has answered.
    if (message == ui::WM_ACTIVATE && (wParam & 0xFFFF) == ui::WA_INACTIVE) {
        handled = true;
        if (!m_choosingFile) {
            Close(0);
        }
        return 0;
    }
    return CFramelessDialog::HandleCustomMessage(message, wParam, lParam, handled);
}

void CSkinFrame::OnClick(const ui::CControlUI& sender) {
    const std::string& name = sender.GetName();
    if (SameName(name, "skin_image_btn")) {
        const std::string& image = sender.GetUserData();
        if (image.empty()) {
            platform::DebugOutput::Write("skin picture button without a picture");
            return;
        }
        m_publisher.PublishSkinChange(SkinChangedParam{false, 0, image});
        m_settings.StorePicture(image);
    } else if (SameName(name, "skin_color_btn")) {
        m_publisher.PublishSkinChange(SkinChangedParam{true, sender.GetBkColor(), {}});
    } else if (SameName(name, "skin_color")) {
        SelectPage(kColourPage);
    } else if (SameName(name, "skin_image")) {
        SelectPage(kPicturePage);
    } else if (SameName(name, "skin_reset")) {
        m_publisher.PublishSkinChange(
            SkinChangedParam{false, 0, std::string(SkinSettings::kStandardBackground)});
        m_settings.StoreReset();
    } else if (SameName(name, "skin_Custom")) {
        ChooseCustomPicture();
    }
}

void CSkinFrame::SelectPage(int page) {
    if (auto* tabs = GetPaintManager().FindControl<ui::CTabLayoutUI>("skin_tab")) {
        tabs->SelectItem(page);
    }
}

void CSkinFrame::ChooseCustomPicture() {
    ui::FileDialogOptions options;
    options.defaultExtension = kPictureExtension;
    options.initialName = kPictureInitialName;
    options.filter = kPictureFilter;
    options.flags = ui::FileDialogOptions::kHideReadOnly | ui::FileDialogOptions::kOverwritePrompt;
    m_choosingFile = true;
    const std::optional<std::string> path = ui::OpenFileDialog(options);
    m_choosingFile = false;
    if (path) {
        m_publisher.PublishSkinChange(SkinChangedParam{false, 0, *path});
    }
    // The dialog took the activation away: as after any other click
    // outside, the popup is done.
    Close(0);
}

}  // namespace varlok::app
