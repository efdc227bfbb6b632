#pragma once

// Scripted answers for modal windows. Tests (and automation) queue what to do
// when the next modal window opens; WindowImplBase::ShowModal takes the oldest
// answer once its window is shown and laid out and runs it on the UI thread
// inside the modal loop (typically clicking a control of that window). With
// no answer queued, modal windows wait for the user as usual.

#include <cstddef>
#include <functional>

namespace varlok::ui {

class WindowImplBase;

class ModalAnswers {
public:
    using Answer = std::function<void(WindowImplBase& window)>;

    // Any thread may queue; answers run on the UI thread.
    static void Push(Answer answer);
    // Removes and returns the oldest answer; an empty function when none.
    [[nodiscard]] static Answer TakeNext();
    [[nodiscard]] static std::size_t Pending();
    static void Clear();
};

}  // namespace varlok::ui
