#pragma once

// The base of every window: builds its controls from a layout file, receives
// their notifications, its window messages and timers, and behaves as a
// frameless skinned window (caption dragging, round corners, minimise,
// maximise, restore, close, centring, topmost).
//
// Life cycle: construct, Create (builds the layout, calls InitWindow, queues
// "windowinit"), then ShowWindow or ShowModal; Close hides the window at once
// and destroys its controls on the next turn of the event loop (so a control
// may close its window from its own notification), then sends WM_DESTROY
// through HandleMessage and calls OnFinalMessage. The object itself is owned
// by whoever created it and may be destroyed after Close or at any time
// (then without OnFinalMessage), also while one of its controls' events or
// notifications is being delivered (by any code but its own Notify): its
// controls and Qt widgets then go on the next turn of the event loop and
// nothing queued for it runs any more. UI thread only.

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "ui/dialogbuilder.h"
#include "ui/messagetarget.h"
#include "ui/notify.h"
#include "ui/paintmanagerui.h"
#include "ui/resourcemanager.h"
#include "ui/windowhandle.h"

namespace varlok::ui {

class ModalLoop;

namespace qt {
class WindowWidget;
}

class WindowImplBase : public MessageTarget,
                       public INotifyUI,
                       public IDialogBuilderCallback,
                       public IQueryControlText {
public:
    WindowImplBase();
    ~WindowImplBase() override;
    WindowImplBase(const WindowImplBase&) = delete;
    WindowImplBase& operator=(const WindowImplBase&) = delete;

    // Creates the window with owner (may be null) and title, builds the
    // layout of GetSkinFile() with this window as the builder callback, sizes
    // the window to the layout's size, registers with the message hub, calls
    // InitWindow and queues "windowinit". Returns false when the layout
    // cannot be built (the window then exists without controls) or when the
    // window was already created.
    bool Create(WindowImplBase* owner, std::string_view title);
    [[nodiscard]] bool IsWindow() const;
    void ShowWindow(bool show = true, bool takeFocus = true);
    [[nodiscard]] bool IsWindowVisible() const;
    // On screen: shown and not minimised. OnScreenChanged follows it.
    [[nodiscard]] bool IsOnScreen() const { return m_onScreen; }
    // Shows the window modal to its owner and runs a nested event loop until
    // Close; returns Close's code. Timers and posted messages keep running.
    // A scripted answer queued with ModalAnswers runs once the window shows.
    // The object may be destroyed while the loop runs (for example from its
    // own OnFinalMessage): ShowModal then returns without touching it (the
    // code of Close, or 0 when it was destroyed without Close).
    int ShowModal();
    [[nodiscard]] bool IsModal() const { return m_inModalLoop; }
    // Closes with result (see the life cycle above). A second Close before
    // the window is gone is ignored.
    void Close(int result = 0);
    void CenterWindow();
    // Keeps the window above others where the platform can (not a shown
    // window on Wayland, where no program stacks its windows).
    void SetTopmost(bool topmost);
    // Makes this window belong to owner (a popup to the window it opened
    // from), so that a compositor keeps it above owner and floats it there
    // rather than tiling it beside it. Before ShowWindow.
    void SetTransientFor(const WindowImplBase& owner);
    [[nodiscard]] bool IsTopmost() const { return m_topmost; }
    void Minimize();
    void Maximize();
    void Restore();
    [[nodiscard]] bool IsMinimized() const;
    [[nodiscard]] bool IsMaximized() const;
    // Screen rectangle of the window; MoveWindow places and sizes it.
    [[nodiscard]] UiRect GetWindowRect() const;
    void MoveWindow(const UiRect& rc);
    [[nodiscard]] UiSize GetClientSize() const;
    [[nodiscard]] const std::string& GetTitle() const { return m_title; }

    // The window's handle for other threads (valid from Create to Close).
    [[nodiscard]] WindowHandle GetHandle() const { return m_handle; }
    // Delivers a message to HandleMessage now (UI thread).
    LResult SendMessage(MessageId message, WParam wParam = 0, LParam lParam = 0);
    CPaintManagerUI& GetPaintManager() { return m_paintManager; }
    [[nodiscard]] const CPaintManagerUI& GetPaintManager() const { return m_paintManager; }

    // MessageTarget: HandleCustomMessage first; unhandled WM_TIMER goes to
    // OnTimer, WM_SYSCOMMAND minimises, maximises, restores or closes, and
    // WM_CLOSE closes.
    //
    // The window sends itself WM_ACTIVATE through here when it becomes the
    // active window (the one that gets keyboard input: shown with the focus,
    // clicked, or activated by the desktop) with wParam WA_ACTIVE, and when
    // it stops being it (another window or the desktop was activated, or the
    // window was hidden) with wParam WA_INACTIVE; lParam is 0. One message
    // per change, as the desktop reports them; never WA_CLICKACTIVE. An
    // active window that closes gets its WA_INACTIVE before WM_DESTROY even
    // where the desktop does not report it. The handler may close the window
    // or destroy its object.
    LResult HandleMessage(MessageId message, WParam wParam, LParam lParam, bool& handled) override;
    // Default handling of clicks on closebtn (Close(0)), minbtn, maxbtn and
    // restorebtn (WM_SYSCOMMAND with SC_MINIMIZE, SC_MAXIMIZE, SC_RESTORE).
    void Notify(TNotifyUI& msg) override;
    std::unique_ptr<CControlUI> CreateControl(std::string_view className) override;
    [[nodiscard]] std::optional<std::string> QueryControlText(std::string_view id) override;

    // The Qt window (ui/qt and the test driver only); null before Create.
    [[nodiscard]] qt::WindowWidget* GetWindowWidget() const { return m_widget; }
    // Called by the root control's widget after each paint (ui/qt only);
    // the first one calls OnFirstPaint.
    void NoteControlsPainted();

protected:
    [[nodiscard]] virtual std::string GetWindowClassName() const = 0;
    // A res.xml name ("XML_MAIN") or a layout file name.
    [[nodiscard]] virtual std::string GetSkinFile() = 0;
    // Called once the controls exist, before "windowinit".
    virtual void InitWindow() {}
    // Called after the window is gone.
    virtual void OnFinalMessage() {}
    virtual LResult HandleCustomMessage(MessageId message, WParam wParam, LParam lParam,
                                        bool& handled);
    virtual void OnTimer(std::uintptr_t id);
    // The window came on screen (true) or left it (false: hidden, minimised
    // or closed); called once per change, from the event that changed it.
    // The handler must not destroy the window.
    virtual void OnScreenChanged(bool /*onScreen*/) {}
    // The window's controls were painted for the first time.
    virtual void OnFirstPaint() {}

private:
    friend class qt::WindowWidget;
    void DestroyWindowNow();
    void ReleaseWidget();
    void OnWidgetResized();
    void OnWidgetCloseRequest();
    void OnWidgetActivationChanged(bool active);
    // The widget was shown, hidden, minimised or restored.
    void OnWidgetScreenStateChanged();
    void UpdateMaxRestoreButtons();

    CPaintManagerUI m_paintManager;
    // Owned; released through ReleaseWidget.
    qt::WindowWidget* m_widget = nullptr;
    WindowImplBase* m_owner = nullptr;
    WindowHandle m_handle;
    std::string m_title;
    bool m_topmost = false;
    // As last reported with WM_ACTIVATE.
    bool m_active = false;
    bool m_closing = false;
    bool m_onScreen = false;
    bool m_painted = false;
    bool m_inModalLoop = false;
    int m_result = 0;
    std::unique_ptr<ModalLoop> m_modalLoop;
    // Expires with this object (ShowModal may outlive it).
    std::shared_ptr<const bool> m_alive = std::make_shared<const bool>(true);
};

}  // namespace varlok::ui
