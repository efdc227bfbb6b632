#include "app/skinframe.h"

#include "platform/debugoutput.h"
#include "ui/controlui.h"
#include "ui/filedialog.h"
#include "ui/tablayoutui.h"
#include "ui/windowmessages.h"

namespace varlok::app {

namespace {

// Posted to the popup when a control lost the focus: by the time it arrives
// the focus has either moved to another control of the popup or left it.
constexpr ui::MessageId kCheckFocusMessage = ui::WM_USER + 0x0101;

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
    MoveWindowTo(*this, Placement(ControlRectOnScreen(parent, button), GetClientSize()));
    ShowWindow(true, true);
    if (ui::CControlUI* root = GetPaintManager().GetRoot()) {
        root->SetFocus();
    }
    return true;
}

void CSkinFrame::Notify(ui::TNotifyUI& msg) {
    if (msg.sType == ui::msgtype::kSetFocus || msg.sType == ui::msgtype::kKillFocus) {
        OnFocusChange(msg);
    } else if (msg.sType == ui::msgtype::kClick && msg.pSender != nullptr) {
        OnClick(*msg.pSender);
    }
}

void CSkinFrame::OnFocusChange(const ui::TNotifyUI& msg) {
    if (msg.sType == ui::msgtype::kSetFocus) {
        m_focused = msg.pSender;
        m_hadFocus = true;
        return;
    }
    if (msg.pSender == m_focused) {
        m_focused = nullptr;
    }
    GetHandle().Post(kCheckFocusMessage);
}

void CSkinFrame::CloseUnlessFocused() {
    if (m_hadFocus && m_focused == nullptr && !m_choosingFile) {
        Close(0);
    }
}

ui::LResult CSkinFrame::HandleCustomMessage(ui::MessageId message, ui::WParam wParam,
                                            ui::LParam lParam, bool& handled) {
    if (message == kCheckFocusMessage) {
        handled = true;
        CloseUnlessFocused();
        return 0;
    }
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
    // The dialog takes the focus; the popup stays until it has answered.
    m_choosingFile = true;
    const std::optional<std::string> path = ui::OpenFileDialog(options);
    m_choosingFile = false;
    if (path) {
        m_publisher.PublishSkinChange(SkinChangedParam{false, 0, *path});
    }
    // As after any other loss of focus, the popup is done.
    Close(0);
}

}  // namespace varlok::app
