#pragma once

// A widget that loses the keyboard focus because its window lost the user's
// attention (another window was activated, a popup opened) is told so on the
// next turn of the event loop, once Qt's activation change is done: Qt holds
// on to the window it is taking the activation from while it delivers the
// change, so a handler that ran a modal window's event loop there could see
// that window deleted under Qt. A focus move inside the window (a click,
// Tab) is told at once, before whatever moved it acts. UI thread only.

#include <QFocusEvent>
#include <QTimer>
#include <QWidget>
#include <utility>

namespace varlok::ui::qt {

template <typename Tell>
void TellFocusLoss(QWidget& widget, Qt::FocusReason reason, Tell tell) {
    if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) {
        tell();
        return;
    }
    // Bound to the widget: dropped when it goes first.
    QTimer::singleShot(0, &widget, std::move(tell));
}

}  // namespace varlok::ui::qt
