#include "platform/swayforegroundprogram.h"

#include <utility>

#include "platform/debugoutput.h"
#include "platform/jsonvalue.h"
#include "platform/localsocket.h"
#include "platform/processexecutable.h"
#include "platform/swayipc.h"

namespace varlok::platform {

namespace {

// One message (an answer or an event) from an i3 IPC connection.
struct Message {
    std::uint32_t type = 0;
    std::string payload;
};

std::optional<Message> ReceiveMessage(int fd, std::chrono::milliseconds timeout) {
    const std::optional<std::string> headerBytes =
        ReceiveExactly(fd, swayipc::kHeaderSize, timeout);
    const std::optional<swayipc::Header> header =
        headerBytes ? swayipc::DecodeHeader(*headerBytes) : std::nullopt;
    if (!header) {
        return std::nullopt;
    }
    std::optional<std::string> payload = ReceiveExactly(fd, header->length, timeout);
    if (!payload) {
        return std::nullopt;
    }
    return Message{header->type, std::move(*payload)};
}

}  // namespace

std::optional<std::string> SwayRequest(int fd, std::uint32_t type, std::string_view payload,
                                       std::chrono::milliseconds timeout) {
    if (!SendAll(fd, swayipc::Encode(type, payload))) {
        return std::nullopt;
    }
    // Events are only sent to a subscribed connection, which asks once.
    std::optional<Message> answer = ReceiveMessage(fd, timeout);
    if (!answer || answer->type != type) {
        return std::nullopt;
    }
    return std::move(answer->payload);
}

SwayForegroundProgram::SwayForegroundProgram(std::string socketPath)
    : m_socketPath(std::move(socketPath)),
      m_events(ConnectLocalSocket(m_socketPath)),
      m_queries(ConnectLocalSocket(m_socketPath)) {
    const std::optional<std::string> subscribed =
        m_events.Valid() ? SwayRequest(m_events.Get(), swayipc::kSubscribe, swayipc::kSubscription,
                                       kAnswerTimeout)
                         : std::nullopt;
    const std::optional<JsonValue> answer =
        subscribed ? JsonValue::Parse(*subscribed) : std::nullopt;
    if (!answer || !answer->TrueMember("success")) {
        DebugOutput::Write("ForegroundProgram Sway: cannot subscribe on " + m_socketPath);
        m_events.Reset();
        return;
    }
    // Where the watch starts; Changed() signals what comes after.
    m_path.Begin(AskTree());
    m_watch.Start(m_events.Get(), [this] { return ReadEvent(); });
}

ForegroundSupport SwayForegroundProgram::Support() const {
    return m_events.Valid() ? ForegroundSupport::Available
                            : ForegroundSupport::CompositorUnreachable;
}

bool SwayForegroundProgram::ReadEvent() {
    const std::optional<Message> event = ReceiveMessage(m_events.Get(), kAnswerTimeout);
    if (!event || event->type == swayipc::kShutdownEvent) {
        // The compositor went away: the last program told stays.
        DebugOutput::Write("ForegroundProgram Sway: the IPC connection was lost");
        return false;
    }
    const swayipc::FocusChange change = swayipc::InterpretEvent(event->type, event->payload);
    switch (change.kind) {
        case swayipc::FocusChange::Kind::WindowFocused:
            m_path.Take(WindowProgram(change.pid));
            break;
        case swayipc::FocusChange::Kind::AskTree:
            m_path.Take(AskTree());
            break;
        case swayipc::FocusChange::Kind::Unrelated:
            break;
    }
    return true;
}

std::optional<std::string> SwayForegroundProgram::AskTree() {
    if (!m_queries.Valid()) {
        m_queries = ConnectLocalSocket(m_socketPath);
    }
    const std::optional<std::string> tree =
        m_queries.Valid() ? SwayRequest(m_queries.Get(), swayipc::kGetTree, {}, kAnswerTimeout)
                          : std::nullopt;
    if (!tree) {
        // Asked again next time, on a new connection: a late answer on this
        // one would be taken for the next.
        m_queries.Reset();
        return std::nullopt;
    }
    const std::optional<std::uint32_t> pid = swayipc::FocusedProcess(*tree);
    return pid ? WindowProgram(*pid) : std::nullopt;
}

}  // namespace varlok::platform
