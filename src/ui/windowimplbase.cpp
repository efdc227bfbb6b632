#include "ui/windowimplbase.h"

#include <QApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <QWindow>

#include "ui/controlui.h"
#include "ui/modalanswers.h"
#include "ui/modalloop.h"
#include "ui/qt/controlwidget.h"
#include "ui/qt/convert.h"
#include "ui/qt/windowwidget.h"
#include "ui/windowmessages.h"

namespace varlok::ui {

namespace {

// Runs fn with the window on the next turn of the event loop. The call is
// bound to the window's widget, which may outlive the window object (the
// object may go while an event is being delivered, and the widget is then
// deleted late): once the object has let go of the widget, fn is dropped.
template <class Fn>
void Defer(qt::WindowWidget* widget, Fn fn) {
    QTimer::singleShot(0, widget, [widget, fn = std::move(fn)]() mutable {
        if (WindowImplBase* window = widget->Owner()) {
            fn(*window);
        }
    });
}

}  // namespace

WindowImplBase::WindowImplBase() = default;

WindowImplBase::~WindowImplBase() {
    if (CResourceManager::GetInstance().GetTextQueryInterface() == this) {
        CResourceManager::GetInstance().SetTextQueryInterface(nullptr);
    }
    if (m_modalLoop) {
        m_modalLoop->End(m_result);
    }
    if (m_handle.IsValid()) {
        WindowHandle::Unregister(m_handle);
    }
    ReleaseWidget();
}

void WindowImplBase::ReleaseWidget() {
    m_paintManager.RemoveNotifier(this);
    m_paintManager.AttachDialog(nullptr);
    m_paintManager.SetPaintWindow(nullptr);
    if (m_widget != nullptr) {
        m_widget->DetachOwner();
        qt::ControlWidget::DisposeWidget(m_widget);
        m_widget = nullptr;
    }
}

bool WindowImplBase::Create(WindowImplBase* owner, std::string_view title) {
    if (m_widget) {
        return false;
    }
    m_owner = owner;
    m_title = title;
    // No Qt parent: each window object owns its own widget, whatever the
    // order in which windows go away.
    m_widget = new qt::WindowWidget(*this, nullptr);
    m_widget->setWindowTitle(qt::ToQString(title));
    m_widget->setObjectName(qt::ToQString(GetWindowClassName()));
    m_paintManager.SetPaintWindow(m_widget);
    m_paintManager.SetOwnerWindow(this);
    m_paintManager.AddNotifier(this);

    CDialogBuilder builder;
    std::unique_ptr<CControlUI> root = builder.Create(GetSkinFile(), this, &m_paintManager, true);
    const bool built = root != nullptr;
    UiSize size = m_paintManager.GetInitSize();
    if (size.cx <= 0 || size.cy <= 0) {
        size = UiSize{m_paintManager.ScaleValue(400), m_paintManager.ScaleValue(300)};
    }
    m_widget->resize(size.cx, size.cy);
    const UiSize minimum = m_paintManager.GetMinInfo();
    if (minimum.cx > 0 || minimum.cy > 0) {
        m_widget->setMinimumSize(m_paintManager.ScaleValue(minimum.cx),
                                 m_paintManager.ScaleValue(minimum.cy));
    }
    m_paintManager.AttachDialog(std::move(root));
    m_widget->UpdateShape();
    m_handle = WindowHandle::Register(*this);
    UpdateMaxRestoreButtons();
    InitWindow();
    Defer(m_widget, [](WindowImplBase& window) {
        if (!window.m_closing) {
            window.m_paintManager.SendNotify(window.m_paintManager.GetRoot(), msgtype::kWindowInit);
        }
    });
    return built;
}

bool WindowImplBase::IsWindow() const {
    return m_widget != nullptr && !m_closing;
}

void WindowImplBase::ShowWindow(bool show, bool takeFocus) {
    if (!m_widget || m_closing) {
        return;
    }
    if (!show) {
        m_widget->hide();
        return;
    }
    if (!takeFocus) {
        m_widget->setAttribute(Qt::WA_ShowWithoutActivating, true);
    }
    m_widget->show();
    m_widget->setAttribute(Qt::WA_ShowWithoutActivating, false);
    if (takeFocus) {
        m_widget->raise();
        m_widget->activateWindow();
    }
    m_paintManager.UpdateLayout();
}

bool WindowImplBase::IsWindowVisible() const {
    return m_widget != nullptr && !m_closing && m_widget->isVisible();
}

int WindowImplBase::ShowModal() {
    if (!m_widget || m_closing || m_inModalLoop) {
        return 0;
    }
    m_widget->setWindowModality(Qt::ApplicationModal);
    ShowWindow(true, true);
    m_modalLoop = std::make_unique<ModalLoop>();
    if (ModalAnswers::Answer answer = ModalAnswers::TakeNext()) {
        Defer(m_widget, [answer = std::move(answer)](WindowImplBase& window) {
            if (!window.m_closing) {
                window.m_paintManager.UpdateLayout();
                answer(window);
            }
        });
    }
    m_inModalLoop = true;
    const std::weak_ptr<const bool> alive = m_alive;
    const int result = m_modalLoop->Run();
    if (alive.expired()) {
        // The object went while the loop ran (destroyed by its owner or from
        // its own OnFinalMessage): the loop's code is all that is left.
        return result;
    }
    m_inModalLoop = false;
    m_modalLoop.reset();
    return m_closing ? m_result : result;
}

void WindowImplBase::Close(int result) {
    if (!m_widget || m_closing) {
        return;
    }
    m_closing = true;
    m_result = result;
    m_widget->hide();
    Defer(m_widget, [](WindowImplBase& window) { window.DestroyWindowNow(); });
}

void WindowImplBase::DestroyWindowNow() {
    // The desktop may not have reported the hidden window's deactivation yet.
    const std::weak_ptr<const bool> alive = m_alive;
    OnWidgetActivationChanged(false);
    if (alive.expired()) {
        return;
    }
    bool handled = false;
    HandleMessage(WM_DESTROY, 0, 0, handled);
    if (m_handle.IsValid()) {
        WindowHandle::Unregister(m_handle);
        m_handle = WindowHandle();
    }
    if (CResourceManager::GetInstance().GetTextQueryInterface() == this) {
        CResourceManager::GetInstance().SetTextQueryInterface(nullptr);
    }
    ReleaseWidget();
    if (m_modalLoop) {
        m_modalLoop->End(m_result);
    }
    OnFinalMessage();
}

void WindowImplBase::CenterWindow() {
    if (!m_widget) {
        return;
    }
    QRect area;
    if (m_owner != nullptr && m_owner->GetWindowWidget() != nullptr &&
        m_owner->GetWindowWidget()->isVisible()) {
        area = m_owner->GetWindowWidget()->frameGeometry();
    } else if (QScreen* screen =
                   m_widget->screen() ? m_widget->screen() : QGuiApplication::primaryScreen()) {
        area = screen->availableGeometry();
    }
    if (area.isEmpty()) {
        return;
    }
    const QSize size = m_widget->size();
    m_widget->move(area.left() + (area.width() - size.width()) / 2,
                   area.top() + (area.height() - size.height()) / 2);
}

void WindowImplBase::SetTransientFor(const WindowImplBase& owner) {
    if (!m_widget || !owner.m_widget) {
        return;
    }
    // Both native windows are made now: Qt has none before a widget is shown.
    m_widget->winId();
    owner.m_widget->winId();
    if (QWindow* window = m_widget->windowHandle()) {
        window->setTransientParent(owner.m_widget->windowHandle());
    }
}

void WindowImplBase::SetTopmost(bool topmost) {
    if (!m_widget) {
        return;
    }
    m_topmost = topmost;
    const bool visible = m_widget->isVisible();
    // Wayland lets no program stack its windows, so the flag does nothing
    // there; changed on a shown window it makes Qt replace the native window,
    // which the compositor unmaps and maps anew: the window flashes, a press
    // on it is lost and the place the user moved it to is forgotten.
    if (visible && QGuiApplication::platformName().startsWith(QLatin1String("wayland"))) {
        return;
    }
    m_widget->setWindowFlag(Qt::WindowStaysOnTopHint, topmost);
    if (visible) {
        m_widget->show();
    }
}

void WindowImplBase::Minimize() {
    if (m_widget) {
        m_widget->setWindowState((m_widget->windowState() & ~Qt::WindowMaximized) |
                                 Qt::WindowMinimized);
    }
}

void WindowImplBase::Maximize() {
    if (m_widget) {
        m_widget->setWindowState(Qt::WindowMaximized);
        m_widget->show();
        UpdateMaxRestoreButtons();
    }
}

void WindowImplBase::Restore() {
    if (m_widget) {
        m_widget->setWindowState(Qt::WindowNoState);
        m_widget->show();
        UpdateMaxRestoreButtons();
    }
}

bool WindowImplBase::IsMinimized() const {
    return m_widget != nullptr && (m_widget->windowState() & Qt::WindowMinimized);
}

bool WindowImplBase::IsMaximized() const {
    return m_widget != nullptr && (m_widget->windowState() & Qt::WindowMaximized);
}

UiRect WindowImplBase::GetWindowRect() const {
    if (!m_widget) {
        return UiRect{};
    }
    return qt::ToUiRect(m_widget->geometry());
}

void WindowImplBase::MoveWindow(const UiRect& rc) {
    if (m_widget) {
        m_widget->setGeometry(qt::ToQRect(rc));
    }
}

UiSize WindowImplBase::GetClientSize() const {
    if (!m_widget) {
        return UiSize{};
    }
    return UiSize{m_widget->width(), m_widget->height()};
}

LResult WindowImplBase::SendMessage(MessageId message, WParam wParam, LParam lParam) {
    bool handled = false;
    return HandleMessage(message, wParam, lParam, handled);
}

LResult WindowImplBase::HandleMessage(MessageId message, WParam wParam, LParam lParam,
                                      bool& handled) {
    handled = false;
    const LResult result = HandleCustomMessage(message, wParam, lParam, handled);
    if (handled) {
        return result;
    }
    switch (message) {
        case WM_TIMER:
            handled = true;
            OnTimer(static_cast<std::uintptr_t>(wParam));
            return 0;
        case WM_SYSCOMMAND:
            handled = true;
            switch (wParam & 0xFFF0) {
                case SC_MINIMIZE:
                    Minimize();
                    break;
                case SC_MAXIMIZE:
                    Maximize();
                    break;
                case SC_RESTORE:
                    Restore();
                    break;
                case SC_CLOSE:
                    SendMessage(WM_CLOSE);
                    break;
                default:
                    handled = false;
                    break;
            }
            return 0;
        case WM_CLOSE:
            handled = true;
            Close(static_cast<int>(wParam));
            return 0;
        default:
            return 0;
    }
}

LResult WindowImplBase::HandleCustomMessage(MessageId /*message*/, WParam /*wParam*/,
                                            LParam /*lParam*/, bool& handled) {
    handled = false;
    return 0;
}

void WindowImplBase::OnTimer(std::uintptr_t /*id*/) {}

void WindowImplBase::Notify(TNotifyUI& msg) {
    if (msg.sType != msgtype::kClick || msg.pSender == nullptr) {
        return;
    }
    const std::string& name = msg.pSender->GetName();
    if (name == "closebtn") {
        Close(0);
    } else if (name == "minbtn") {
        SendMessage(WM_SYSCOMMAND, SC_MINIMIZE);
    } else if (name == "maxbtn") {
        SendMessage(WM_SYSCOMMAND, SC_MAXIMIZE);
    } else if (name == "restorebtn") {
        SendMessage(WM_SYSCOMMAND, SC_RESTORE);
    }
}

std::unique_ptr<CControlUI> WindowImplBase::CreateControl(std::string_view /*className*/) {
    return nullptr;
}

std::optional<std::string> WindowImplBase::QueryControlText(std::string_view /*id*/) {
    return std::nullopt;
}

void WindowImplBase::OnWidgetResized() {
    m_paintManager.UpdateLayout();
    if (!m_closing) {
        const UiSize size = GetClientSize();
        m_paintManager.SendNotify(m_paintManager.GetRoot(), msgtype::kWindowSize,
                                  static_cast<WParam>(size.cx), static_cast<LParam>(size.cy));
    }
}

void WindowImplBase::OnWidgetCloseRequest() {
    SendMessage(WM_SYSCOMMAND, SC_CLOSE);
}

void WindowImplBase::OnWidgetActivationChanged(bool active) {
    if (active == m_active) {
        return;
    }
    m_active = active;
    SendMessage(WM_ACTIVATE, active ? WA_ACTIVE : WA_INACTIVE, 0);
}

void WindowImplBase::OnWidgetScreenStateChanged() {
    const bool onScreen = IsWindowVisible() && !IsMinimized();
    if (onScreen == m_onScreen) {
        return;
    }
    m_onScreen = onScreen;
    OnScreenChanged(onScreen);
}

void WindowImplBase::NoteControlsPainted() {
    if (!m_painted) {
        m_painted = true;
        OnFirstPaint();
    }
}

void WindowImplBase::UpdateMaxRestoreButtons() {
    CControlUI* maxButton = m_paintManager.FindControl("maxbtn");
    CControlUI* restoreButton = m_paintManager.FindControl("restorebtn");
    if (maxButton != nullptr && restoreButton != nullptr) {
        maxButton->SetVisible(!IsMaximized());
        restoreButton->SetVisible(IsMaximized());
    }
}

}  // namespace varlok::ui
