// varlokctl: scripting and diagnosis for the 0C45:7643 mouse. The commands
// live in CommandLine; this only hands it the process's bus and streams, and
// turns Ctrl-C and SIGTERM into a request to stop that the streaming and
// watching commands honour.

#include <pthread.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "device/hidbus.h"
#include "platform/event.h"
#include "varlokctl/commandline.h"

namespace {

// The signals that ask the tool to stop.
sigset_t StopSignals() {
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    return signals;
}

// Runs the program with the process's environment and waits for it.
int RunProgram(const std::vector<std::string>& arguments) {
    std::vector<char*> argv;
    for (const std::string& argument : arguments) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);
    // The child gets the signals this process takes through sigwait.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t none;
    sigemptyset(&none);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK);
    pid_t child = 0;
    const bool started = !arguments.empty() && ::posix_spawnp(&child, argv[0], nullptr, &attributes,
                                                              argv.data(), environ) == 0;
    posix_spawnattr_destroy(&attributes);
    if (!started) {
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
    // Blocked in every thread before any starts; one thread takes them with
    // sigwait and tells the commands, so that a wait can be woken.
    // A signal ignored when the tool starts (a background job of a script)
    // would never reach sigwait; the tool has always stopped on them.
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);
    const sigset_t stopSignals = StopSignals();
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
    static std::atomic<bool> interrupted{false};
    static varlok::platform::Event interruption(true, false);
    std::thread([stopSignals] {
        int signal = 0;
        if (sigwait(&stopSignals, &signal) == 0) {
            interrupted.store(true);
            interruption.Set();
        }
        // A second one ends a command that does not stop.
        if (sigwait(&stopSignals, &signal) == 0) {
            std::_Exit(128 + signal);
        }
    }).detach();

    const std::vector<std::string_view> arguments(argv + 1, argv + argc);
    const auto bus = varlok::device::HidBus::System();
    bus->SetOwnerLocks(varlok::device::SystemOwnerLocks(varlok::device::kToolProgram));
    // The window is looked for on the session bus.
    varlok::tools::CommandLine tool({bus,
                                     std::cout,
                                     std::cerr,
                                     stdout,
                                     &interrupted,
                                     ::geteuid() == 0,
                                     RunProgram,
                                     {},
                                     varlok::tools::kOwnerWait,
                                     std::string(),
                                     &interruption,
                                     STDOUT_FILENO});
    return static_cast<int>(tool.Run(arguments));
}
