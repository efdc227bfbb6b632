#pragma once

// Destroys controls that leave their window while code of theirs may still be
// on the stack: while Qt delivers an input event to one of our widgets, or
// while a window's receivers are being notified (a row removed from its own
// button's "click", a page rebuilt from a combo's "itemselect", a modal
// window run from a handler). Such a control is kept, together with its Qt
// widget and its children, until the outermost delivery has returned, and is
// destroyed on the next turn of the event loop after that. UI thread only.

#include <cstddef>
#include <memory>

namespace varlok::ui {
class CControlUI;
}

namespace varlok::ui::qt {

class DeferredDeletion {
public:
    // Marks a delivery in progress (a Qt event to one of our widgets, a
    // notification) for its lifetime. Scopes nest.
    class Scope {
    public:
        Scope();
        ~Scope();
        Scope(const Scope&) = delete;
        Scope& operator=(const Scope&) = delete;
    };

    // True while any Scope is alive.
    [[nodiscard]] static bool Delivering();
    // Takes a control that has already left its window (its manager and
    // parent cleared). Destroys it at once when nothing is being delivered;
    // otherwise hides its widget, takes that widget out of its Qt parent (so
    // that no parent deletes it before the control) and keeps both for later.
    static void Dispose(std::unique_ptr<CControlUI> control);
    // Controls waiting to be destroyed.
    [[nodiscard]] static std::size_t PendingCount();
};

}  // namespace varlok::ui::qt
