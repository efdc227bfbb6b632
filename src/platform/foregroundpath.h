#pragma once

#include <mutex>
#include <optional>
#include <string>

#include "platform/event.h"

namespace varlok::platform {

// The program in front as a backend last told it, and the auto-reset event
// that fires when it changed: what every ForegroundProgram backend keeps.
// Any thread.
class ForegroundPath {
public:
    [[nodiscard]] std::string Get() const;
    [[nodiscard]] Event& Changed() { return m_changed; }

    // The program at path is in front ("" for none); nullopt when the program
    // in front cannot be told (a process of another user, gone meanwhile),
    // which keeps the last one told. Changed() fires when that is a change.
    void Take(std::optional<std::string> path);

    // Where a watch starts: taken as Take does, without firing Changed().
    void Begin(std::optional<std::string> path);

private:
    mutable std::mutex m_mutex;
    std::string m_path;
    Event m_changed{false, false};
};

}  // namespace varlok::platform
