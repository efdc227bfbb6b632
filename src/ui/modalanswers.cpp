#include "ui/modalanswers.h"

#include <deque>
#include <mutex>

namespace varlok::ui {

namespace {

struct Queue {
    std::mutex mutex;
    std::deque<ModalAnswers::Answer> answers;
};

Queue& TheQueue() {
    static Queue queue;
    return queue;
}

}  // namespace

void ModalAnswers::Push(Answer answer) {
    Queue& queue = TheQueue();
    std::lock_guard lock(queue.mutex);
    queue.answers.push_back(std::move(answer));
}

ModalAnswers::Answer ModalAnswers::TakeNext() {
    Queue& queue = TheQueue();
    std::lock_guard lock(queue.mutex);
    if (queue.answers.empty()) {
        return {};
    }
    Answer answer = std::move(queue.answers.front());
    queue.answers.pop_front();
    return answer;
}

std::size_t ModalAnswers::Pending() {
    Queue& queue = TheQueue();
    std::lock_guard lock(queue.mutex);
    return queue.answers.size();
}

void ModalAnswers::Clear() {
    Queue& queue = TheQueue();
    std::lock_guard lock(queue.mutex);
    queue.answers.clear();
}

}  // namespace varlok::ui
