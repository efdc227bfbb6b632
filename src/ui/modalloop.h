#pragma once

// A nested message loop for a modal window. While it runs, everything the UI
// thread serves keeps flowing: input, posted and sent messages from other
// threads, timers. Windows use it as ShowModal: show, Run, and End from the
// handler that closes the window.

#include <memory>

namespace varlok::ui {

class ModalLoop {
public:
    ModalLoop();
    // Destroying a running loop ends it with 0; Run then returns normally.
    ~ModalLoop();
    ModalLoop(const ModalLoop&) = delete;
    ModalLoop& operator=(const ModalLoop&) = delete;

    // UI thread only. Returns the code passed to End. Returns 0 when the
    // application's quit (PostQuitMessage) ended the loop first. When End was
    // called before Run, returns that code at once. Runs may be nested (a
    // modal window opening another loop) and a loop may be run again after it
    // ended; running a loop that is already running returns 0 at once.
    int Run();
    // UI thread only. Ends the running loop with code; the first End wins.
    void End(int code);
    [[nodiscard]] bool IsRunning() const;

    struct State;

private:
    std::shared_ptr<State> m_state;
};

}  // namespace varlok::ui
