#include "platform/hyprlandforegroundprogram.h"

#include <cstdlib>
#include <filesystem>
#include <utility>

#include "platform/debugoutput.h"
#include "platform/jsonvalue.h"
#include "platform/localsocket.h"
#include "platform/processexecutable.h"

namespace varlok::platform {

namespace {

std::string EnvironmentValue(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

}  // namespace

std::string HyprlandForegroundProgram::SocketFolderOfSession() {
    const std::vector<std::string> folders = hyprlandipc::SocketFolders(
        EnvironmentValue("XDG_RUNTIME_DIR"), EnvironmentValue("HYPRLAND_INSTANCE_SIGNATURE"));
    for (const std::string& folder : folders) {
        std::error_code ignored;
        if (std::filesystem::exists(folder + std::string(hyprlandipc::kEventSocket), ignored)) {
            return folder;
        }
    }
    return folders.front();
}

HyprlandForegroundProgram::HyprlandForegroundProgram(std::string socketFolder)
    : m_socketFolder(std::move(socketFolder)),
      m_events(ConnectLocalSocket(m_socketFolder + std::string(hyprlandipc::kEventSocket))) {
    if (!m_events.Valid()) {
        DebugOutput::Write("ForegroundProgram Hyprland: no event socket in " + m_socketFolder);
        return;
    }
    // Where the watch starts; Changed() signals what comes after.
    if (const std::optional<std::string> active = Ask(hyprlandipc::kActiveWindowRequest)) {
        if (const std::optional<JsonValue> window = JsonValue::Parse(*active)) {
            m_path.Begin(WindowProgram(ProcessIdOrNone(window->IntegerMember("pid").value_or(0))));
        }
    }
    m_watch.Start(m_events.Get(), [this] { return ReadEvents(); });
}

ForegroundSupport HyprlandForegroundProgram::Support() const {
    return m_events.Valid() ? ForegroundSupport::Available
                            : ForegroundSupport::CompositorUnreachable;
}

bool HyprlandForegroundProgram::ReadEvents() {
    const std::optional<std::string> bytes =
        ReceiveAvailable(m_events.Get(), hyprlandipc::kMaxLine, kAnswerTimeout);
    if (!bytes || bytes->empty()) {
        // Hyprland went away: the last program told stays.
        DebugOutput::Write("ForegroundProgram Hyprland: the event socket was closed");
        return false;
    }
    // Only the last active window of a burst matters.
    std::optional<std::string> active;
    for (const std::string& line : m_lines.Add(*bytes)) {
        if (std::optional<std::string> address = hyprlandipc::ActiveWindowAddress(line)) {
            active = std::move(address);
        }
    }
    if (active) {
        m_path.Take(active->empty() ? std::optional<std::string>("") : ProgramOfWindow(*active));
    }
    return true;
}

std::optional<std::string> HyprlandForegroundProgram::ProgramOfWindow(
    const std::string& address) const {
    const std::optional<std::string> clients = Ask(hyprlandipc::kClientsRequest);
    const std::optional<std::uint32_t> pid =
        clients ? hyprlandipc::ProcessOfWindow(*clients, address) : std::nullopt;
    return pid ? WindowProgram(*pid) : std::nullopt;
}

std::optional<std::string> HyprlandForegroundProgram::Ask(std::string_view request) const {
    // One request per connection: Hyprland answers and closes.
    const FileDescriptor socket =
        ConnectLocalSocket(m_socketFolder + std::string(hyprlandipc::kRequestSocket));
    if (!socket.Valid() || !SendAll(socket.Get(), request)) {
        return std::nullopt;
    }
    return ReceiveUntilClosed(socket.Get(), hyprlandipc::kMaxAnswer, kAnswerTimeout);
}

}  // namespace varlok::platform
