// varlokctl: scripting and diagnosis for the 0C45:7643 mouse. The commands
// live in CommandLine; this only hands it the process's bus and streams, and
// turns Ctrl-C and SIGTERM into a request to stop that streaming commands
// honour between frames.

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <iostream>
#include <string>
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

// Runs the program with the process's environment and waits for it.
int RunProgram(const std::vector<std::string>& arguments) {
    std::vector<char*> argv;
    for (const std::string& argument : arguments) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);
    pid_t child = 0;
    if (arguments.empty() ||
        ::posix_spawnp(&child, argv[0], nullptr, nullptr, argv.data(), environ) != 0) {
        return -1;
    }
    int status = 0;
    while (::waitpid(child, &status, 0) < 0) {
        if (errno != EINTR) {
            return -1;
        }
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

int main(int argc, char** argv) {
    std::signal(SIGINT, OnInterrupt);
    std::signal(SIGTERM, OnInterrupt);
    const std::vector<std::string_view> arguments(argv + 1, argv + argc);
    const auto bus = varlok::device::HidBus::System();
    bus->SetOwnerLocks(varlok::device::SystemOwnerLocks(varlok::device::kToolProgram));
    varlok::tools::CommandLine tool(
        {bus, std::cout, std::cerr, stdout, &g_interrupted, ::geteuid() == 0, RunProgram, {}});
    return static_cast<int>(tool.Run(arguments));
}
