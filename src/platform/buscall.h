#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/busvalue.h"

namespace varlok::platform {

// The answer to a method call: the reply's values, or an error.
struct BusReply {
    std::vector<BusValue> values;
    // A D-Bus error name ("org.example.Error.NotFound"); empty for a reply.
    std::string errorName;
    std::string errorMessage;

    [[nodiscard]] bool IsError() const { return !errorName.empty(); }
};

// One method call that came in over a message bus, answered exactly once:
// with Return, with Fail, or (when it is destroyed unanswered) with
// kUnansweredError, so that no caller waits for an answer that never comes.
// Move-only. The answer may be given on any thread; the call itself belongs
// to one thread at a time.
class BusCall {
public:
    using Answer = std::function<void(BusReply reply)>;

    // What a call that is dropped without an answer fails with.
    static constexpr const char* kUnansweredError = "org.freedesktop.DBus.Error.Failed";

    // answer is called once, with the reply, on the thread that answers.
    BusCall(std::string method, std::vector<BusValue> arguments, Answer answer);
    ~BusCall();
    BusCall(BusCall&& other) noexcept;
    BusCall& operator=(BusCall&& other) noexcept;
    BusCall(const BusCall&) = delete;
    BusCall& operator=(const BusCall&) = delete;

    [[nodiscard]] const std::string& Method() const { return m_method; }
    [[nodiscard]] const std::vector<BusValue>& Arguments() const { return m_arguments; }
    [[nodiscard]] bool Answered() const { return !m_answer; }

    // Answer the call; a second answer is ignored.
    void Return(std::vector<BusValue> values = {});
    void Fail(std::string errorName, std::string message);

private:
    void Send(BusReply reply);

    std::string m_method;
    std::vector<BusValue> m_arguments;
    Answer m_answer;
};

}  // namespace varlok::platform
