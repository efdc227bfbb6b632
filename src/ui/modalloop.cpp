#include "ui/modalloop.h"

#include <optional>

#include <QEventLoop>

namespace varlok::ui {

// Shared with a running Run, so that a window may destroy its loop object from
// inside a handler that the loop dispatched.
struct ModalLoop::State {
    QEventLoop* running = nullptr;
    std::optional<int> result;
};

ModalLoop::ModalLoop() : m_state(std::make_shared<State>()) {}

ModalLoop::~ModalLoop() {
    End(0);
}

int ModalLoop::Run() {
    const std::shared_ptr<State> state = m_state;
    if (state->running != nullptr) {
        return 0;
    }
    if (!state->result) {
        QEventLoop loop;
        state->running = &loop;
        loop.exec(QEventLoop::DialogExec);
        state->running = nullptr;
    }
    const int code = state->result.value_or(0);
    state->result.reset();
    return code;
}

void ModalLoop::End(int code) {
    if (m_state->result) {
        return;
    }
    m_state->result = code;
    if (m_state->running != nullptr) {
        m_state->running->exit(code);
    }
}

bool ModalLoop::IsRunning() const {
    return m_state->running != nullptr;
}

}  // namespace varlok::ui
