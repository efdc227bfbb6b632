#pragma once

// varlokctl's command logic: argument parsing, the commands, messages and
// exit codes. main() only hands in the process's bus and streams; tests hand
// in buses of their own and capture the output.

#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "device/deviceinfo.h"
#include "device/devicelink.h"
#include "device/hidbus.h"
#include "profiles/profilecategory.h"
#include "varlokctl/effectrequest.h"
#include "varlokctl/settingschange.h"

namespace varlok::tools {

enum class ExitCode : int {
    Ok = 0,
    Failure = 1,  // enumeration failed, the mouse could not be opened, a file unreadable, ...
    Usage = 2,
    NoMouse = 3,
    PermissionDenied = 4,  // on the mouse's HID node, or udev-rule --install without root
    NotAnswering = 5,
    DeviceError = 6,  // the mouse answered with a failure status
    InUse = 7,        // another program has the mouse
};

// How long a command waits for another program (another varlokctl, say) to
// let the mouse go: long enough for any short command run just before it.
inline constexpr std::chrono::milliseconds kOwnerWait{5000};

// Where one run of the tool looks for devices and writes.
struct ToolEnvironment {
    // Searched for the mouse; "--simulate" attaches the virtual mouse to it.
    std::shared_ptr<device::HidBus> bus;
    std::ostream& out;
    std::ostream& err;
    // Receives the report trace that "--trace" turns on.
    std::FILE* trace = nullptr;
    // Becomes true when the user interrupts the program (SIGINT, SIGTERM);
    // commands that run until interrupted stop at the next frame.
    const std::atomic<bool>* interrupted = nullptr;
    // Whether the process runs as root ("udev-rule --install" needs it).
    bool privileged = false;
    // Runs a program (arguments[0] names it, found on PATH) and returns its
    // exit status, -1 when it could not be started or did not exit normally.
    // Empty: no program can be run.
    std::function<int(const std::vector<std::string>& arguments)> runProgram;
    // Where "--simulate" keeps the virtual mouse's memory between runs;
    // empty: VirtualMouseStateFile::DefaultPath().
    std::filesystem::path virtualMouseState;
    // How long to wait for a mouse that another program holds.
    std::chrono::milliseconds ownerWait = kOwnerWait;
};

// Runs one varlokctl command line (without the program name).
class CommandLine {
public:
    explicit CommandLine(ToolEnvironment environment) : m_env(std::move(environment)) {}

    [[nodiscard]] ExitCode Run(std::span<const std::string_view> arguments);

    [[nodiscard]] static std::string_view HelpText();

private:
    [[nodiscard]] ExitCode List();
    [[nodiscard]] ExitCode Info();
    // The record in force (no profile), or that of the onboard profile.
    [[nodiscard]] ExitCode ReadSettings(std::optional<unsigned> profile);
    // Reads the record as ReadSettings does, applies change and writes the
    // whole record back with one WriteSettings.
    [[nodiscard]] ExitCode Set(std::optional<unsigned> profile, const SettingsChange& change);
    // False, having said why, when profile 0 was asked for and the record
    // read at offset 0 is another profile's (the one in force).
    [[nodiscard]] bool ReachedProfile(std::optional<unsigned> profile,
                                      std::span<const std::uint8_t> record);
    // Reads the file first and opens the mouse only when it is a profile file.
    [[nodiscard]] ExitCode Apply(const std::filesystem::path& file,
                                 profiles::ProfileCategory category);
    [[nodiscard]] ExitCode Dump();
    // Streams the effect's frames until the count or an interruption.
    [[nodiscard]] ExitCode Effect(const EffectRequest& request);
    // Prints the rule, or (install) writes it into the udev rules folder and
    // asks udev to reload its rules and replay the devices' events.
    [[nodiscard]] ExitCode UdevRule(bool install);
    // The macros of the data folder's store with their action counts, and
    // the size of their table against the mouse's macro memory.
    [[nodiscard]] ExitCode Macros();
    [[nodiscard]] ExitCode Upload();

    // The command that failed within a transfer, if any.
    struct StepFailure {
        device::LinkResult result = device::LinkResult::Success;
        std::string command;
    };
    // Opens the mouse and runs reads between BeginTransfer and EndTransfer.
    [[nodiscard]] ExitCode InTransfer(const std::function<StepFailure(device::DeviceLink&)>& reads);
    // Opens the mouse in link; prints why not and returns the exit code
    // when that fails (Ok when the link is connected). The link holds the
    // mouse's owner lock from then on, for as long as the command keeps it.
    // While another program holds the lock it says so and waits for it, at
    // most ownerWait; a mouse held by the window (or still held after the
    // wait) is InUse.
    [[nodiscard]] ExitCode Connect(device::DeviceLink& link);
    // Connect, then the mouse's information block into info.
    [[nodiscard]] ExitCode ConnectAndReadInfo(device::DeviceLink& link, device::DeviceInfo& info);
    // Prints what a failed command means and returns its exit code.
    [[nodiscard]] ExitCode CommandFailed(device::LinkResult result, std::string_view command);
    [[nodiscard]] ExitCode UsageError(std::string_view message);

    ToolEnvironment m_env;
};

}  // namespace varlok::tools
