#pragma once

#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "device/hidbus.h"
#include "platform/event.h"
#include "platform/udevrulefile.h"
#include "varlokctl/exitcode.h"

namespace varlok::tools {

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
    // The message bus on which a running varlok window is looked for: empty
    // for the session bus; nothing: never look (the mouse is always opened
    // directly).
    std::optional<std::string> busAddress;
    // Set (as interrupted becomes true) when the user interrupts the
    // program; commands that wait for events wait on it too. Manual reset.
    platform::Event* interruption = nullptr;
    // The descriptor out writes to, or -1. watch looks at it to end when
    // nobody reads its lines any more, even while it has nothing to write.
    int outDescriptor = -1;
    // The udev rule the permission messages name; this install's
    // (platform::InstalledUdevRuleFile()) when unset.
    std::optional<platform::UdevRuleFile> udevRule = std::nullopt;
};

}  // namespace varlok::tools
