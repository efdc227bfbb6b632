#pragma once

// The process-wide report trace: while it is on, every report HidDevice
// writes successfully is printed as one line "> " followed by its bytes as
// two-digit lowercase hex separated by single spaces, and every report it
// reads as "< " and its bytes. It starts on (printing to stderr) when the
// environment variable VARLOK_TRACE is "1"; programs switch it with Enable and
// Disable. All functions are thread-safe, and lines never interleave.

#include <cstdint>
#include <cstdio>
#include <span>
#include <string>

namespace varlok::device {

class ReportTrace {
public:
    // Prints to sink from now on. The sink is not owned and must stay open
    // until Disable or another Enable.
    static void Enable(std::FILE* sink);
    static void Disable();
    [[nodiscard]] static bool IsEnabled();

    static void Sent(std::span<const std::uint8_t> report);
    static void Received(std::span<const std::uint8_t> report);

    // One line without its newline: direction ('>' or '<'), a space, the bytes.
    [[nodiscard]] static std::string FormatLine(char direction,
                                                std::span<const std::uint8_t> report);
};

}  // namespace varlok::device
