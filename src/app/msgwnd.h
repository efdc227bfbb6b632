#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "app/dialogframe.h"

namespace varlok::ui {
class CControlUI;
}

namespace varlok::app {

// The message box every part of the program speaks to the user through: a
// title, a text (normally a language key shown in the current language, and
// following a language switch while open), a confirm and a cancel button.
// Closes with 1 for confirm_btn and 0 for cancel_btn, closebtn, a close
// request and the timed close. UI thread only.
class CMsgWnd : public CFramelessDialog {
public:
    static constexpr std::string_view kLayout = "XML_MSG";
    static constexpr std::string_view kWindowName = "msgwnd";
    static constexpr int kConfirmed = 1;
    static constexpr int kDismissed = 0;
    // The timer of the timed variant and its period.
    static constexpr std::uintptr_t kAutoCloseTimer = 1;
    static constexpr unsigned kAutoCloseMs = 500;

    CMsgWnd();

    // An empty title or text leaves the layout's own; the key flag says
    // whether the strings are language keys.
    void SetTitle(std::string_view title, bool isKey);
    void SetText(std::string_view text, bool isKey);
    // Starts timer 1: its first tick closes the window with 0.
    void StartAutoClose();

    void Notify(ui::TNotifyUI& msg) override;

protected:
    [[nodiscard]] std::string GetWindowClassName() const override { return "MsgWnd"; }
    void InitWindow() override;
    void OnTimer(std::uintptr_t id) override;

private:
    ui::CControlUI* m_closeButton = nullptr;
    int m_timerTicks = 0;
};

// Shows a modal message box owned by parent (may be null), centred on it,
// and returns how it was closed: 1 for confirm_btn, 0 otherwise. A box whose
// layout cannot be built is not shown; the call then returns 0 at once and
// says why on the debug output.
int ShowMessageBox(ui::WindowImplBase* parent, std::string_view title, std::string_view text,
                   bool isKey = true);

// The same box; with autoClose it closes itself about 500 ms after it
// appears. Returns when the box is gone.
void ShowTimedMessage(bool autoClose, ui::WindowImplBase* parent, std::string_view title,
                      std::string_view text, bool isKey = true);

// True while a message box showing this text (the key or string as passed)
// is open, so that a handler running inside a modal loop does not open the
// same message a second time.
[[nodiscard]] bool IsMessageShowing(std::string_view text);

}  // namespace varlok::app
