#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace varlok::platform::hyprlandipc {

// Hyprland's two sockets, in $XDG_RUNTIME_DIR/hypr/SIGNATURE/ (before
// Hyprland 0.40: /tmp/hypr/SIGNATURE/): the event socket sends one line
// "EVENT>>DATA" per event; the request socket takes one request per
// connection ("j/clients": the windows as JSON) and closes after its answer.
inline constexpr std::string_view kEventSocket = ".socket2.sock";
inline constexpr std::string_view kRequestSocket = ".socket.sock";
inline constexpr std::string_view kClientsRequest = "j/clients";
// The active window as JSON (with its "pid"): where a watch starts.
inline constexpr std::string_view kActiveWindowRequest = "j/activewindow";
// More than any line or answer Hyprland sends.
inline constexpr std::size_t kMaxLine = 64 * 1024;
inline constexpr std::size_t kMaxAnswer = 16u << 20;

// The folders a socket of this instance may be in, the current one first.
[[nodiscard]] std::vector<std::string> SocketFolders(std::string_view runtimeDir,
                                                     std::string_view signature);

// Splits what came from the event socket into whole lines, keeping a line
// not yet ended for the next bytes. A line longer than kMaxLine is dropped.
class LineSplitter {
public:
    // The lines that bytes completed, without their line feeds.
    [[nodiscard]] std::vector<std::string> Add(std::string_view bytes);

private:
    std::string m_pending;
    bool m_dropping = false;
};

// The window an "activewindowv2>>ADDRESS" line names, as a lowercase hex
// address without "0x"; "" when it says that no window is active; nothing for
// any other line.
[[nodiscard]] std::optional<std::string> ActiveWindowAddress(std::string_view line);

// The process of the window at address in a "j/clients" answer: 0 when no
// window there has that address or it names no process; nothing when the
// answer is unreadable.
[[nodiscard]] std::optional<std::uint32_t> ProcessOfWindow(std::string_view clients,
                                                           std::string_view address);

}  // namespace varlok::platform::hyprlandipc
