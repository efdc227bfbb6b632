#include "app/msgwnd.h"

#include <algorithm>
#include <iterator>
#include <vector>

#include "platform/debugoutput.h"
#include "ui/controlui.h"

namespace varlok::app {

namespace {

// Texts of the boxes open now, innermost last (modal loops nest).
std::vector<std::string>& OpenMessages() {
    static std::vector<std::string> texts;
    return texts;
}

// Marks a text as showing for the lifetime of one box.
class OpenMessage {
public:
    explicit OpenMessage(std::string_view text) : m_text(text) { OpenMessages().push_back(m_text); }
    ~OpenMessage() {
        auto& texts = OpenMessages();
        const auto it = std::find(texts.rbegin(), texts.rend(), m_text);
        if (it != texts.rend()) {
            texts.erase(std::next(it).base());
        }
    }
    OpenMessage(const OpenMessage&) = delete;
    OpenMessage& operator=(const OpenMessage&) = delete;

private:
    std::string m_text;
};

void SetControlText(ui::CControlUI* control, std::string_view text, bool isKey) {
    if (control == nullptr || text.empty()) {
        return;
    }
    control->SetResourceText(isKey);
    control->SetText(text);
}

int RunMessageBox(bool autoClose, ui::WindowImplBase* parent, std::string_view title,
                  std::string_view text, bool isKey) {
    const OpenMessage open(text);
    CMsgWnd box;
    if (!box.Create(parent, CMsgWnd::kWindowName)) {
        platform::DebugOutput::Write("message box layout " + std::string(CMsgWnd::kLayout) +
                                     " missing; not shown: " + std::string(text));
        return CMsgWnd::kDismissed;
    }
    box.SetTitle(title, isKey);
    box.SetText(text, isKey);
    box.CenterWindow();
    if (autoClose) {
        box.StartAutoClose();
    }
    return box.ShowModal();
}

}  // namespace

CMsgWnd::CMsgWnd() : CFramelessDialog(std::string(kLayout), kDismissed) {}

void CMsgWnd::InitWindow() {
    m_closeButton = GetPaintManager().FindControl("closebtn");
}

void CMsgWnd::SetTitle(std::string_view title, bool isKey) {
    SetControlText(GetPaintManager().FindControl("MessageTitle"), title, isKey);
}

void CMsgWnd::SetText(std::string_view text, bool isKey) {
    SetControlText(GetPaintManager().FindControl("MessageText"), text, isKey);
}

void CMsgWnd::StartAutoClose() {
    m_timerTicks = 0;
    GetHandle().SetTimer(kAutoCloseTimer, kAutoCloseMs);
}

void CMsgWnd::Notify(ui::TNotifyUI& msg) {
    if (msg.sType != ui::msgtype::kClick || msg.pSender == nullptr) {
        return;
    }
    const std::string& name = msg.pSender->GetName();
    if (msg.pSender == m_closeButton || SameName(name, "closebtn") ||
        SameName(name, "cancel_btn")) {
        Close(kDismissed);
    } else if (SameName(name, "confirm_btn")) {
        Close(kConfirmed);
    }
}

void CMsgWnd::OnTimer(std::uintptr_t id) {
    if (id != kAutoCloseTimer) {
        return;
    }
    ++m_timerTicks;
    if (m_timerTicks > 0) {
        GetHandle().KillTimer(kAutoCloseTimer);
        Close(kDismissed);
    }
}

int ShowMessageBox(ui::WindowImplBase* parent, std::string_view title, std::string_view text,
                   bool isKey) {
    return RunMessageBox(false, parent, title, text, isKey);
}

void ShowTimedMessage(bool autoClose, ui::WindowImplBase* parent, std::string_view title,
                      std::string_view text, bool isKey) {
    static_cast<void>(RunMessageBox(autoClose, parent, title, text, isKey));
}

bool IsMessageShowing(std::string_view text) {
    return std::ranges::find(OpenMessages(), text) != OpenMessages().end();
}

}  // namespace varlok::app
