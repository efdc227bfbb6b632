#include "platform/buscall.h"

#include <utility>

namespace varlok::platform {

BusCall::BusCall(std::string method, std::vector<BusValue> arguments, Answer answer)
    : m_method(std::move(method)), m_arguments(std::move(arguments)), m_answer(std::move(answer)) {}

BusCall::~BusCall() {
    Fail(kUnansweredError, "the call was dropped without an answer");
}

BusCall::BusCall(BusCall&& other) noexcept
    : m_method(std::move(other.m_method)),
      m_arguments(std::move(other.m_arguments)),
      m_answer(std::exchange(other.m_answer, nullptr)) {}

BusCall& BusCall::operator=(BusCall&& other) noexcept {
    if (this != &other) {
        Fail(kUnansweredError, "the call was dropped without an answer");
        m_method = std::move(other.m_method);
        m_arguments = std::move(other.m_arguments);
        m_answer = std::exchange(other.m_answer, nullptr);
    }
    return *this;
}

void BusCall::Return(std::vector<BusValue> values) {
    Send(BusReply{std::move(values), {}, {}});
}

void BusCall::Fail(std::string errorName, std::string message) {
    Send(BusReply{{}, std::move(errorName), std::move(message)});
}

void BusCall::Send(BusReply reply) {
    if (!m_answer) {
        return;
    }
    // Cleared first: an answer function that throws or re-enters still
    // answers only once.
    const Answer answer = std::exchange(m_answer, nullptr);
    answer(std::move(reply));
}

}  // namespace varlok::platform
