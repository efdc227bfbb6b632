#pragma once

// varlokctl's exit codes and what the help says of each: the one table of
// them.

#include <array>
#include <chrono>
#include <string_view>

namespace varlok::tools {

enum class ExitCode : int {
    Ok = 0,
    Failure = 1,  // enumeration failed, the mouse could not be opened, a file unreadable, ...
    Usage = 2,
    NoMouse = 3,
    PermissionDenied = 4,  // on the mouse's HID node, or udev-rule --install without root
    NotAnswering = 5,
    DeviceError = 6,  // the mouse answered with a failure status
    InUse = 7,        // another program has the mouse, or the window cannot do it for us
};

struct ExitCodeText {
    ExitCode code;
    // Wrapped for the help's exit-code column.
    std::string_view text;
};

inline constexpr std::array kExitCodeTexts{
    ExitCodeText{ExitCode::Ok, "success"},
    ExitCodeText{ExitCode::Failure,
                 "other failure (HID enumeration failed, the mouse could not be opened,\n"
                 "the profile file cannot be read or is not a profile file, the window\n"
                 "refused the request)"},
    ExitCodeText{ExitCode::Usage, "bad usage"},
    ExitCodeText{ExitCode::NoMouse, "no mouse found"},
    ExitCodeText{ExitCode::PermissionDenied,
                 "permission denied on the mouse's HID node, or udev-rule --install\n"
                 "run without root"},
    ExitCodeText{ExitCode::NotAnswering, "the mouse is not answering"},
    ExitCodeText{ExitCode::DeviceError, "the mouse answered with a failure status"},
    ExitCodeText{ExitCode::InUse,
                 "the mouse is in use by another program (named with its process id),\n"
                 "or the varlok window that has it cannot do what was asked"},
};

// How long a command waits for another program (another varlokctl, say) to
// let the mouse go: long enough for any short command run just before it.
inline constexpr std::chrono::milliseconds kOwnerWait{5000};

}  // namespace varlok::tools
