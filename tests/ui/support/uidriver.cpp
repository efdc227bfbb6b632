#include "uidriver.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>
#include <algorithm>

#include "ui/colorpaletteui.h"
#include "ui/comboui.h"
#include "ui/controlui.h"
#include "ui/listui.h"
#include "ui/modalanswers.h"
#include "ui/paintmanagerui.h"
#include "ui/qt/controlwidget.h"
#include "ui/qt/convert.h"
#include "ui/qt/windowwidget.h"
#include "ui/sliderui.h"
#include "ui/windowimplbase.h"

namespace varlok::ui::test {

namespace {

int g_argc = 1;
char g_arg0[] = "varlok_ui_tests";
char* g_argv[] = {g_arg0, nullptr};

QPoint Centre(const UiRect& rc) {
    return QPoint((rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2);
}

// The widget a real pointer would hit at a point of a top-level widget.
QWidget* HitWidget(QWidget* top, const QPoint& point) {
    QWidget* child = top->childAt(point);
    return child != nullptr ? child : top;
}

void SendMouse(QWidget* top, QEvent::Type type, const QPoint& point, Qt::MouseButton button,
               Qt::MouseButtons buttons, QWidget* target = nullptr) {
    QWidget* widget = target != nullptr ? target : HitWidget(top, point);
    const QPointF global = top->mapToGlobal(point);
    // The press may have taken the target out of the window (a row removed
    // from its own notification); the release still goes to it.
    const QPointF local = widget == top || top->isAncestorOf(widget)
                              ? widget->mapFrom(top, point)
                              : widget->mapFromGlobal(global.toPoint());
    QMouseEvent event(type, local, local, global, button, buttons, Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
}

// Press and release on the same widget, as Qt's implicit grab delivers them.
void ClickWidget(QWidget* top, const QPoint& point, Qt::MouseButton button) {
    QWidget* widget = HitWidget(top, point);
    SendMouse(top, QEvent::MouseButtonPress, point, button, button, widget);
    SendMouse(top, QEvent::MouseButtonRelease, point, button, Qt::NoButton, widget);
}

QWidget* TopOf(const CControlUI& control) {
    return control.Widget().window();
}

// A control's rectangle in coordinates of its top-level widget.
QRect RectInTop(const CControlUI& control) {
    const QWidget& widget = control.Widget();
    return QRect(widget.mapTo(TopOf(control), QPoint(0, 0)), widget.size());
}

void Activate(QWidget* top) {
    if (!top->isVisible()) {
        return;
    }
    top->activateWindow();
    ProcessEvents();
    if (QApplication::activeWindow() != top) {
        QApplication::setActiveWindow(top);
    }
}

struct KeyInfo {
    int key;
    QString text;
};

KeyInfo KeyFor(QChar c) {
    if (c.isDigit()) {
        return {Qt::Key_0 + (c.unicode() - '0'), QString(c)};
    }
    if (c.isLetter() && c.unicode() < 128) {
        return {Qt::Key_A + (c.toUpper().unicode() - 'A'), QString(c)};
    }
    if (c == QLatin1Char(' ')) {
        return {Qt::Key_Space, QString(c)};
    }
    return {Qt::Key_unknown, QString(c)};
}

}  // namespace

void EnsureApplication() {
    if (QApplication::instance() == nullptr) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        // Never destroyed: Qt's input devices and platform plugin must not be
        // torn down by static destructors after main. Still reachable, so
        // not a leak.
        static QApplication* app = new QApplication(g_argc, g_argv);
        static_cast<void>(app);
        QApplication::setQuitOnLastWindowClosed(false);
    }
}

void ProcessEvents() {
    for (int i = 0; i < 5; ++i) {
        QApplication::sendPostedEvents();
        QApplication::processEvents(QEventLoop::AllEvents);
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

bool RunUntil(const std::function<bool()>& done, std::chrono::milliseconds guard) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > guard.count()) {
            return false;
        }
        QApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    return true;
}

void ActivateWindow(WindowImplBase& window) {
    if (window.GetWindowWidget() != nullptr) {
        Activate(window.GetWindowWidget());
        ProcessEvents();
    }
}

void DeactivateAllWindows() {
    QApplication::setActiveWindow(nullptr);
    ProcessEvents();
}

std::vector<WindowImplBase*> ShownWindows() {
    std::vector<WindowImplBase*> windows;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        const auto* top = qobject_cast<qt::WindowWidget*>(widget);
        if (top != nullptr && top->isVisible() && top->Owner() != nullptr) {
            windows.push_back(top->Owner());
        }
    }
    std::stable_partition(windows.begin(), windows.end(), [](WindowImplBase* window) {
        return window->GetWindowWidget() == QApplication::activeWindow();
    });
    return windows;
}

UiDriver::UiDriver(WindowImplBase& window) : m_window(window) {}

CControlUI* UiDriver::Find(std::string_view name) const {
    return m_window.GetPaintManager().FindControl(name);
}

CControlUI* UiDriver::Visible(std::string_view name) const {
    m_window.GetPaintManager().UpdateLayout();
    CControlUI* control = Find(name);
    if (control == nullptr || !control->Widget().isVisibleTo(TopOf(*control)) ||
        !TopOf(*control)->isVisible()) {
        return nullptr;
    }
    return control;
}

bool UiDriver::Click(std::string_view name) {
    CControlUI* control = Visible(name);
    return control != nullptr && Click(*control);
}

bool UiDriver::Click(CControlUI& control) {
    m_window.GetPaintManager().UpdateLayout();
    QWidget* top = TopOf(control);
    if (!control.Widget().isVisibleTo(top) || !top->isVisible()) {
        return false;
    }
    Activate(top);
    ClickWidget(top, RectInTop(control).center(), Qt::LeftButton);
    ProcessEvents();
    return true;
}

bool UiDriver::DoubleClick(std::string_view name) {
    CControlUI* control = Visible(name);
    if (control == nullptr) {
        return false;
    }
    QWidget* top = TopOf(*control);
    const QPoint point = RectInTop(*control).center();
    QWidget* widget = HitWidget(top, point);
    ClickWidget(top, point, Qt::LeftButton);
    SendMouse(top, QEvent::MouseButtonDblClick, point, Qt::LeftButton, Qt::LeftButton, widget);
    SendMouse(top, QEvent::MouseButtonRelease, point, Qt::LeftButton, Qt::NoButton, widget);
    ProcessEvents();
    return true;
}

bool UiDriver::RightClick(std::string_view name) {
    CControlUI* control = Visible(name);
    if (control == nullptr) {
        return false;
    }
    ClickWidget(TopOf(*control), RectInTop(*control).center(), Qt::RightButton);
    ProcessEvents();
    return true;
}

bool UiDriver::ClickAt(std::string_view name, UiPoint offset) {
    CControlUI* control = Visible(name);
    if (control == nullptr) {
        return false;
    }
    ClickWidget(TopOf(*control), RectInTop(*control).topLeft() + QPoint(offset.x, offset.y),
                Qt::LeftButton);
    ProcessEvents();
    return true;
}

bool UiDriver::Hover(std::string_view name) {
    CControlUI* control = Visible(name);
    if (control == nullptr) {
        return false;
    }
    QWidget* top = TopOf(*control);
    const QPoint point = RectInTop(*control).center();
    QWidget* widget = HitWidget(top, point);
    const QPointF local = widget->mapFrom(top, point);
    QEnterEvent enter(local, local, top->mapToGlobal(point));
    QApplication::sendEvent(widget, &enter);
    SendMouse(top, QEvent::MouseMove, point, Qt::NoButton, Qt::NoButton, widget);
    ProcessEvents();
    return true;
}

bool UiDriver::Leave(std::string_view name) {
    CControlUI* control = Visible(name);
    if (control == nullptr) {
        return false;
    }
    QWidget* top = TopOf(*control);
    QWidget* widget = HitWidget(top, RectInTop(*control).center());
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(widget, &leave);
    ProcessEvents();
    return true;
}

bool UiDriver::Focus(std::string_view name) {
    CControlUI* control = Visible(name);
    if (control == nullptr) {
        return false;
    }
    Activate(TopOf(*control));
    QWidget* target = control->Widget().focusProxy() != nullptr ? control->Widget().focusProxy()
                                                                : &control->Widget();
    target->setFocus(Qt::MouseFocusReason);
    ProcessEvents();
    return target->hasFocus();
}

void UiDriver::Blur() {
    if (QWidget* focus = QApplication::focusWidget()) {
        focus->clearFocus();
    }
    ProcessEvents();
}

bool UiDriver::Type(std::string_view name, std::string_view text) {
    if (!Focus(name)) {
        return false;
    }
    for (const QChar c : qt::ToQString(text)) {
        QWidget* focus = QApplication::focusWidget();
        if (focus == nullptr) {
            return false;
        }
        const KeyInfo info = KeyFor(c);
        QKeyEvent press(QEvent::KeyPress, info.key, Qt::NoModifier, info.text);
        QApplication::sendEvent(focus, &press);
        QKeyEvent release(QEvent::KeyRelease, info.key, Qt::NoModifier, info.text);
        QApplication::sendEvent(focus, &release);
        ProcessEvents();
    }
    return true;
}

bool UiDriver::ClearText(std::string_view name) {
    if (!Focus(name)) {
        return false;
    }
    QWidget* focus = QApplication::focusWidget();
    QKeyEvent selectAll(QEvent::KeyPress, Qt::Key_A, Qt::ControlModifier);
    QApplication::sendEvent(focus, &selectAll);
    QKeyEvent remove(QEvent::KeyPress, Qt::Key_Delete, Qt::NoModifier);
    QApplication::sendEvent(focus, &remove);
    ProcessEvents();
    return true;
}

bool UiDriver::PressKey(std::string_view key) {
    static const std::pair<std::string_view, int> kKeys[] = {
        {"Return", Qt::Key_Return}, {"Up", Qt::Key_Up},
        {"Down", Qt::Key_Down},     {"Left", Qt::Key_Left},
        {"Right", Qt::Key_Right},   {"Space", Qt::Key_Space},
        {"Escape", Qt::Key_Escape}, {"Backspace", Qt::Key_Backspace}};
    const auto it = std::find_if(std::begin(kKeys), std::end(kKeys),
                                 [key](const auto& entry) { return entry.first == key; });
    QWidget* focus = QApplication::focusWidget();
    if (it == std::end(kKeys) || focus == nullptr) {
        return false;
    }
    QKeyEvent press(QEvent::KeyPress, it->second, Qt::NoModifier);
    QApplication::sendEvent(focus, &press);
    ProcessEvents();
    return true;
}

bool UiDriver::SelectComboItem(std::string_view name, int index) {
    auto* combo = dynamic_cast<CComboUI*>(Visible(name));
    if (combo == nullptr || !Click(name) || !combo->IsDropDownOpen()) {
        return false;
    }
    CControlUI* item = combo->GetItemAt(index);
    if (item == nullptr) {
        combo->CloseDropDown();
        return false;
    }
    ClickWidget(TopOf(*item), RectInTop(*item).center(), Qt::LeftButton);
    ProcessEvents();
    return true;
}

bool UiDriver::ClickListItem(std::string_view name, int index) {
    auto* list = dynamic_cast<CListUI*>(Visible(name));
    if (list == nullptr || list->GetItemAt(index) == nullptr) {
        return false;
    }
    list->EnsureVisible(index);
    CControlUI* item = list->GetItemAt(index);
    ClickWidget(TopOf(*item), RectInTop(*item).center(), Qt::LeftButton);
    ProcessEvents();
    return true;
}

bool UiDriver::DragSlider(std::string_view name, int value) {
    auto* slider = dynamic_cast<CSliderUI*>(Visible(name));
    if (slider == nullptr) {
        return false;
    }
    QWidget* top = TopOf(*slider);
    const QRect box = RectInTop(*slider);
    const UiRect& pos = slider->GetPos();
    const UiRect thumb = slider->GetThumbRect();
    const QPoint start = box.topLeft() + (Centre(thumb) - QPoint(pos.left, pos.top));
    const int range = std::max(1, slider->GetMaxValue() - slider->GetMinValue());
    const double share =
        static_cast<double>(std::clamp(value, slider->GetMinValue(), slider->GetMaxValue()) -
                            slider->GetMinValue()) /
        range;
    QPoint end = start;
    if (slider->IsHorizontal()) {
        const int tw = thumb.Width();
        end.setX(box.left() + tw / 2 + static_cast<int>(share * (box.width() - tw) + 0.5));
    } else {
        const int th = thumb.Height();
        end.setY(box.bottom() + 1 - th / 2 - static_cast<int>(share * (box.height() - th) + 0.5));
    }
    QWidget* widget = HitWidget(top, start);
    SendMouse(top, QEvent::MouseButtonPress, start, Qt::LeftButton, Qt::LeftButton, widget);
    constexpr int kSteps = 24;
    for (int i = 1; i <= kSteps; ++i) {
        const QPoint p = start + (end - start) * i / kSteps;
        SendMouse(top, QEvent::MouseMove, p, Qt::NoButton, Qt::LeftButton, widget);
    }
    SendMouse(top, QEvent::MouseButtonRelease, end, Qt::LeftButton, Qt::NoButton, widget);
    ProcessEvents();
    return true;
}

bool UiDriver::PickPaletteColour(std::string_view name, double x, double y, bool bar) {
    auto* palette = dynamic_cast<CColorPaletteUI*>(Visible(name));
    if (palette == nullptr) {
        return false;
    }
    const UiRect area = bar ? palette->GetBarRect() : palette->GetFieldRect();
    const UiRect& pos = palette->GetPos();
    const QRect box = RectInTop(*palette);
    const QPoint point =
        box.topLeft() + QPoint(area.left - pos.left + static_cast<int>(x * (area.Width() - 1)),
                               area.top - pos.top + static_cast<int>(y * (area.Height() - 1)));
    ClickWidget(TopOf(*palette), point, Qt::LeftButton);
    ProcessEvents();
    return true;
}

bool UiDriver::DragFrom(UiPoint clientPoint, UiPoint delta) {
    QWidget* top = m_window.GetWindowWidget();
    if (top == nullptr || !top->isVisible()) {
        return false;
    }
    const QPoint start(clientPoint.x, clientPoint.y);
    QWidget* widget = HitWidget(top, start);
    const QPoint globalStart = top->mapToGlobal(start);
    const auto send = [widget](QEvent::Type type, QPoint global, Qt::MouseButton button,
                               Qt::MouseButtons buttons) {
        const QPointF local = widget->mapFromGlobal(global);
        QMouseEvent event(type, local, local, global, button, buttons, Qt::NoModifier);
        QApplication::sendEvent(widget, &event);
    };
    send(QEvent::MouseButtonPress, globalStart, Qt::LeftButton, Qt::LeftButton);
    const QPoint globalEnd = globalStart + QPoint(delta.x, delta.y);
    send(QEvent::MouseMove, (globalStart + globalEnd) / 2, Qt::NoButton, Qt::LeftButton);
    send(QEvent::MouseMove, globalEnd, Qt::NoButton, Qt::LeftButton);
    send(QEvent::MouseButtonRelease, globalEnd, Qt::LeftButton, Qt::NoButton);
    ProcessEvents();
    return true;
}

void UiDriver::AnswerNextModal(std::function<void(UiDriver&)> answer) {
    ModalAnswers::Push([answer = std::move(answer)](WindowImplBase& window) {
        UiDriver driver(window);
        answer(driver);
    });
}

void UiDriver::ClickInNextModal(std::string name) {
    AnswerNextModal([name = std::move(name)](UiDriver& driver) { driver.Click(name); });
}

}  // namespace varlok::ui::test
