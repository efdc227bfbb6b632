#pragma once

#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace varlok::platform {

// The program's debugger channel: internal events as one line of UTF-8 text each.
// Lines go to stderr when the environment variable VARLOK_DEBUG is set, and always
// to every live DebugCapture. Thread-safe.
class DebugOutput {
public:
    // Writes one line, byte for byte. stderr gets a newline after it unless the
    // text ends with one; captures receive the text exactly as given.
    static void Write(std::string_view utf8Text);
};

// Collects every DebugOutput line written, from any thread, while it is alive.
// Several captures may be alive at once; each sees every line. Thread-safe.
class DebugCapture {
public:
    DebugCapture();
    ~DebugCapture();
    DebugCapture(const DebugCapture&) = delete;
    DebugCapture& operator=(const DebugCapture&) = delete;

    // The lines written so far, oldest first.
    [[nodiscard]] std::vector<std::string> Lines() const;

    // True when some line equals the text exactly.
    [[nodiscard]] bool Contains(std::string_view line) const;

private:
    friend class DebugOutput;
    void Append(std::string_view text);

    mutable std::mutex m_mutex;
    std::vector<std::string> m_lines;
};

}  // namespace varlok::platform
