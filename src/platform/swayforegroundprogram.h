#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

#include "platform/filedescriptor.h"
#include "platform/foregroundpath.h"
#include "platform/foregroundprogram.h"
#include "platform/socketwatch.h"

namespace varlok::platform {

// The program in front on Sway (and any compositor that speaks the i3 IPC
// protocol with the pid of each window): one connection subscribed to window
// and workspace events, on a thread of its own that sleeps until the
// compositor sends one; the focused window's pid, then /proc/PID/exe. Where
// an event does not name the window in front (one closed, an empty workspace
// took the focus) a second connection asks for the tree.
class SwayForegroundProgram final : public ForegroundProgram {
public:
    // How long an answer of the compositor may take before it counts as gone.
    static constexpr std::chrono::milliseconds kAnswerTimeout{2000};

    // Connects to the IPC socket at socketPath (SWAYSOCK) and subscribes;
    // Support() tells whether that worked.
    explicit SwayForegroundProgram(std::string socketPath);
    ~SwayForegroundProgram() override = default;
    SwayForegroundProgram(const SwayForegroundProgram&) = delete;
    SwayForegroundProgram& operator=(const SwayForegroundProgram&) = delete;

    [[nodiscard]] ForegroundSupport Support() const override;
    [[nodiscard]] std::string Path() const override { return m_path.Get(); }
    [[nodiscard]] Event& Changed() override { return m_path.Changed(); }

private:
    // Watch thread: one event; false when the compositor went away.
    bool ReadEvent();
    // The program of the focused window from the tree; nothing when it
    // cannot be told.
    [[nodiscard]] std::optional<std::string> AskTree();

    const std::string m_socketPath;
    FileDescriptor m_events;
    FileDescriptor m_queries;
    ForegroundPath m_path;
    // Last: stops its thread before the members it uses go.
    SocketWatch m_watch;
};

// One request on an i3 IPC connection and its answer's payload; nothing when
// the connection failed or the answer did not come in time. Any thread, one
// request at a time per connection.
[[nodiscard]] std::optional<std::string> SwayRequest(int fd, std::uint32_t type,
                                                     std::string_view payload,
                                                     std::chrono::milliseconds timeout);

}  // namespace varlok::platform
