#pragma once

#include <chrono>
#include <optional>
#include <string>

#include "platform/filedescriptor.h"
#include "platform/foregroundpath.h"
#include "platform/foregroundprogram.h"
#include "platform/hyprlandipc.h"
#include "platform/socketwatch.h"

namespace varlok::platform {

// The program in front on Hyprland: its event socket, on a thread of its own
// that sleeps until Hyprland writes, names each window that becomes active
// (activewindowv2); the windows' list from the request socket gives its pid,
// and /proc/PID/exe the program. Every other event is passed over.
class HyprlandForegroundProgram final : public ForegroundProgram {
public:
    // How long Hyprland may take to answer a request.
    static constexpr std::chrono::milliseconds kAnswerTimeout{2000};

    // socketFolder: the folder holding the instance's two sockets (see
    // hyprlandipc::SocketFolders). Support() tells whether the event socket
    // could be reached.
    explicit HyprlandForegroundProgram(std::string socketFolder);
    ~HyprlandForegroundProgram() override = default;
    HyprlandForegroundProgram(const HyprlandForegroundProgram&) = delete;
    HyprlandForegroundProgram& operator=(const HyprlandForegroundProgram&) = delete;

    [[nodiscard]] ForegroundSupport Support() const override;
    [[nodiscard]] std::string Path() const override { return m_path.Get(); }
    [[nodiscard]] Event& Changed() override { return m_path.Changed(); }

    // The folder of the running instance's sockets, from
    // HYPRLAND_INSTANCE_SIGNATURE and XDG_RUNTIME_DIR: the first that holds
    // an event socket, else the current layout's.
    [[nodiscard]] static std::string SocketFolderOfSession();

private:
    // Watch thread: what arrived; false when Hyprland went away.
    bool ReadEvents();
    // The program of the window at address; nothing when it cannot be told.
    [[nodiscard]] std::optional<std::string> ProgramOfWindow(const std::string& address) const;
    // One request on a connection of its own, and the whole answer.
    [[nodiscard]] std::optional<std::string> Ask(std::string_view request) const;

    const std::string m_socketFolder;
    FileDescriptor m_events;
    hyprlandipc::LineSplitter m_lines;
    ForegroundPath m_path;
    // Last: stops its thread before the members it uses go.
    SocketWatch m_watch;
};

}  // namespace varlok::platform
