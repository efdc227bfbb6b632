#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <vector>

extern char** environ;

namespace varlok::platform::testing {

// A helper server for one test (Xvfb, dbus-daemon) that tells where it listens by
// writing one line to file descriptor 3 (Xvfb -displayfd 3, dbus-daemon
// --print-address=3). Starts it from PATH, reads that line (waiting at most
// `bound`), and stops it again (SIGTERM, then waits for it) when destroyed.
class ReportingChild {
public:
    static constexpr int kReportFd = 3;

    ReportingChild(std::vector<std::string> arguments, std::chrono::milliseconds bound) {
        int fds[2];
        if (::pipe2(fds, O_CLOEXEC) != 0) {
            return;
        }
        m_readFd = fds[0];
        // Not descriptor 3 itself: dup2 onto itself would keep close-on-exec.
        const int writeFd = ::fcntl(fds[1], F_DUPFD_CLOEXEC, 10);
        ::close(fds[1]);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, writeFd, kReportFd);
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
        std::vector<char*> argv;
        for (std::string& argument : arguments) {
            argv.push_back(argument.data());
        }
        argv.push_back(nullptr);
        m_started = ::posix_spawnp(&m_pid, argv[0], &actions, nullptr, argv.data(), environ) == 0;
        posix_spawn_file_actions_destroy(&actions);
        ::close(writeFd);
        std::string text;
        pollfd readable{m_readFd, POLLIN, 0};
        char buffer[256];
        ssize_t got = 0;
        while (m_started && text.find('\n') == std::string::npos &&
               ::poll(&readable, 1, static_cast<int>(bound.count())) > 0 &&
               (got = ::read(m_readFd, buffer, sizeof buffer)) > 0) {
            text.append(buffer, static_cast<std::size_t>(got));
        }
        m_report = text.substr(0, text.find('\n'));
    }

    ~ReportingChild() {
        if (m_started) {
            End(m_pid);
        }
        if (m_readFd >= 0) {
            ::close(m_readFd);
        }
    }
    // SIGTERM, and SIGKILL when the program has not ended within the grace
    // time: a helper server that hangs in its own SIGTERM handler (sway 1.7
    // allocates there, and deadlocks when the signal lands in malloc) must
    // not hang the test.
    static void End(pid_t pid, std::chrono::milliseconds grace = std::chrono::seconds(5)) {
        ::kill(pid, SIGTERM);
        const auto ended = static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
        if (ended >= 0) {
            pollfd readable{ended, POLLIN, 0};
            if (::poll(&readable, 1, static_cast<int>(grace.count())) == 0) {
                ::kill(pid, SIGKILL);
            }
            ::close(ended);
        }
        ::waitpid(pid, nullptr, 0);
    }

    ReportingChild(const ReportingChild&) = delete;
    ReportingChild& operator=(const ReportingChild&) = delete;

    // False when the program could not be started (not installed).
    bool Started() const { return m_started; }

    // The first line the program wrote, without its line end; empty when none came.
    const std::string& Report() const { return m_report; }

private:
    bool m_started = false;
    pid_t m_pid = -1;
    int m_readFd = -1;
    std::string m_report;
};

}  // namespace varlok::platform::testing
