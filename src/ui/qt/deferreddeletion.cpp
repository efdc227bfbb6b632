#include "ui/qt/deferreddeletion.h"

#include <QCoreApplication>
#include <utility>
#include <vector>

#include "ui/controlui.h"
#include "ui/qt/controlwidget.h"

namespace varlok::ui::qt {

namespace {

struct State {
    std::vector<std::unique_ptr<CControlUI>> pending;
    int depth = 0;
    bool flushQueued = false;
    bool postRoutineAdded = false;
};

// UI thread only, like everything it holds.
State& GetState() {
    static State state;
    return state;
}

void DestroyPending() {
    State& state = GetState();
    // Destructors run with nothing delivered, so each widget goes with its
    // control; anything they dispose of in turn is destroyed at once.
    while (!state.pending.empty()) {
        std::exchange(state.pending, {}).clear();
    }
}

void Flush() {
    State& state = GetState();
    state.flushQueued = false;
    if (state.depth > 0) {
        // A nested event loop inside a delivery: the outermost Scope queues
        // the flush again when it ends.
        return;
    }
    DestroyPending();
}

// The application's destructor runs this before Qt goes away, so that nothing
// is left for static destructors when the last event loop never turned.
void FlushAtApplicationExit() {
    State& state = GetState();
    state.postRoutineAdded = false;
    state.flushQueued = false;
    DestroyPending();
}

void QueueFlush() {
    State& state = GetState();
    if (state.flushQueued || state.pending.empty()) {
        return;
    }
    QCoreApplication* app = QCoreApplication::instance();
    if (app == nullptr) {
        DestroyPending();
        return;
    }
    if (!state.postRoutineAdded) {
        state.postRoutineAdded = true;
        qAddPostRoutine(&FlushAtApplicationExit);
    }
    state.flushQueued = true;
    QMetaObject::invokeMethod(app, &Flush, Qt::QueuedConnection);
}

}  // namespace

DeferredDeletion::Scope::Scope() {
    ++GetState().depth;
}

DeferredDeletion::Scope::~Scope() {
    if (--GetState().depth == 0) {
        QueueFlush();
    }
}

bool DeferredDeletion::Delivering() {
    return GetState().depth > 0;
}

void DeferredDeletion::Dispose(std::unique_ptr<CControlUI> control) {
    if (!control) {
        return;
    }
    if (!Delivering()) {
        control.reset();
        return;
    }
    control->Widget().hide();
    control->Widget().setParent(nullptr);
    GetState().pending.push_back(std::move(control));
}

std::size_t DeferredDeletion::PendingCount() {
    return GetState().pending.size();
}

}  // namespace varlok::ui::qt
