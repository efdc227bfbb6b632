// varlokctl: scripting and diagnosis for the 0C45:7643 mouse. The commands
// live in CommandLine; this only hands it the process's bus and streams, and
// turns Ctrl-C and SIGTERM into a request to stop that streaming commands
// honour between frames.

#include <atomic>
#include <csignal>
#include <cstdio>
#include <iostream>
#include <string_view>
#include <vector>

#include "device/hidbus.h"
#include "varlokctl/commandline.h"

namespace {

std::atomic<bool> g_interrupted{false};
static_assert(std::atomic<bool>::is_always_lock_free, "set from a signal handler");

extern "C" void OnInterrupt(int) {
    g_interrupted.store(true, std::memory_order_relaxed);
}

}  // namespace

int main(int argc, char** argv) {
    std::signal(SIGINT, OnInterrupt);
    std::signal(SIGTERM, OnInterrupt);
    const std::vector<std::string_view> arguments(argv + 1, argv + argc);
    varlok::tools::CommandLine tool(
        {varlok::device::HidBus::System(), std::cout, std::cerr, stdout, &g_interrupted});
    return static_cast<int>(tool.Run(arguments));
}
