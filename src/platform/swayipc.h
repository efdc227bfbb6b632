#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace varlok::platform::swayipc {

// Sway's IPC protocol (the i3 IPC protocol): every message and every reply is
// the magic "i3-ipc", the payload's length and the message type, both 32-bit
// in the machine's byte order, then the payload (JSON). Events carry the
// type of the event with the high bit set.
inline constexpr std::string_view kMagic = "i3-ipc";
inline constexpr std::size_t kHeaderSize = 14;
static_assert(kHeaderSize == kMagic.size() + 2 * sizeof(std::uint32_t));
// More than any tree a compositor sends; a longer payload is a broken stream.
inline constexpr std::uint32_t kMaxPayload = 64u << 20;

inline constexpr std::uint32_t kRunCommand = 0;
inline constexpr std::uint32_t kSubscribe = 2;
inline constexpr std::uint32_t kGetTree = 4;
inline constexpr std::uint32_t kEventBit = 0x80000000u;
inline constexpr std::uint32_t kWorkspaceEvent = kEventBit | 0u;
inline constexpr std::uint32_t kWindowEvent = kEventBit | 3u;
inline constexpr std::uint32_t kShutdownEvent = kEventBit | 6u;

// What the backend subscribes to: windows (focus, close, move), workspaces
// (an empty one taking the focus) and the compositor's end.
inline constexpr std::string_view kSubscription = R"(["window","workspace","shutdown"])";

struct Header {
    std::uint32_t type = 0;
    std::uint32_t length = 0;
};

// The bytes of a message of that type with that payload.
[[nodiscard]] std::string Encode(std::uint32_t type, std::string_view payload);

// The header at the front of bytes; nothing when the magic is wrong or the
// payload would be longer than kMaxPayload.
[[nodiscard]] std::optional<Header> DecodeHeader(std::string_view bytes);

// What a window or workspace event means for the program in front.
struct FocusChange {
    enum class Kind {
        // Not about which window is in front (a title, a mark, ...).
        Unrelated,
        // A window took the focus: its process is in front (pid 0: one that
        // names none).
        WindowFocused,
        // The window in front may have changed without the window being
        // named (a window closed or moved away, a workspace took the focus):
        // ask the tree.
        AskTree,
    };
    Kind kind = Kind::Unrelated;
    std::uint32_t pid = 0;
};

// Reads an event's payload; a payload that is no JSON object is Unrelated.
[[nodiscard]] FocusChange InterpretEvent(std::uint32_t type, std::string_view payload);

// The process of the focused node in a GET_TREE answer: 0 for a focused node
// without one (an empty workspace); nothing when the answer is unreadable.
[[nodiscard]] std::optional<std::uint32_t> FocusedProcess(std::string_view tree);

}  // namespace varlok::platform::swayipc
