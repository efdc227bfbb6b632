#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

extern char** environ;

namespace varlok::platform::testing {

// A program a test runs beside itself (gdbus, varlok), found on PATH, with
// standard output and error together in one pipe that the test reads while it
// goes on with its own work. Polls never block; waits take a deadline. The
// program gets SIGTERM and is waited for when this object goes. Its standard
// input is empty, or a stream the test writes to (Input::Pipe, Send).
class ChildProcess {
public:
    enum class Input { Empty, Pipe };

    // environment: "NAME=value" entries that replace or add to the test's own.
    explicit ChildProcess(std::vector<std::string> arguments,
                          const std::vector<std::string>& environment = {},
                          Input input = Input::Empty) {
        int fds[2];
        int inputFds[2] = {-1, -1};
        if (input == Input::Pipe &&
            ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, inputFds) != 0) {
            return;
        }
        m_writeFd = inputFds[1];
        if (::pipe2(fds, O_CLOEXEC) != 0) {
            ::close(inputFds[0]);
            return;
        }
        m_readFd = fds[0];
        ::fcntl(m_readFd, F_SETFL, O_NONBLOCK);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
        posix_spawn_file_actions_adddup2(&actions, fds[1], STDERR_FILENO);
        if (input == Input::Pipe) {
            posix_spawn_file_actions_adddup2(&actions, inputFds[0], STDIN_FILENO);
        } else {
            posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
        }
        std::vector<std::string> entries = environment;
        for (char** entry = environ; *entry != nullptr; ++entry) {
            const std::string_view text(*entry);
            const std::string_view name = text.substr(0, text.find('='));
            bool replaced = false;
            for (const std::string& own : environment) {
                replaced = replaced || own.substr(0, own.find('=')) == name;
            }
            if (!replaced) {
                entries.emplace_back(text);
            }
        }
        std::vector<char*> envp;
        for (std::string& entry : entries) {
            envp.push_back(entry.data());
        }
        envp.push_back(nullptr);
        std::vector<char*> argv;
        for (std::string& argument : arguments) {
            argv.push_back(argument.data());
        }
        argv.push_back(nullptr);
        m_started =
            ::posix_spawnp(&m_pid, argv[0], &actions, nullptr, argv.data(), envp.data()) == 0;
        posix_spawn_file_actions_destroy(&actions);
        ::close(fds[1]);
        if (inputFds[0] >= 0) {
            ::close(inputFds[0]);
        }
    }

    ~ChildProcess() {
        if (m_writeFd >= 0) {
            ::close(m_writeFd);
        }
        if (m_started && !m_status) {
            ::kill(m_pid, SIGTERM);
            ::waitpid(m_pid, nullptr, 0);
        }
        if (m_readFd >= 0) {
            ::close(m_readFd);
        }
    }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    [[nodiscard]] bool Started() const { return m_started; }
    [[nodiscard]] pid_t Pid() const { return m_pid; }

    // Reads what the program wrote so far and looks whether it has ended;
    // its exit code once it has (-1 when a signal ended it).
    std::optional<int> Poll() {
        Drain();
        if (m_started && !m_status) {
            int status = 0;
            if (::waitpid(m_pid, &status, WNOHANG) == m_pid) {
                m_status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
                Drain();
            }
        }
        return m_status;
    }

    // Everything the program wrote so far (after the last Poll).
    [[nodiscard]] const std::string& Output() const { return m_output; }

    // Waits until the output holds text or the deadline passes.
    bool WaitForOutput(std::string_view text, std::chrono::milliseconds deadline) {
        return WaitUntil([&] { return m_output.find(text) != std::string::npos; }, deadline);
    }
    // Waits until the program has ended; its exit code, or nothing at the
    // deadline.
    std::optional<int> WaitForExit(std::chrono::milliseconds deadline) {
        WaitUntil([this] { return m_status.has_value(); }, deadline);
        return m_status;
    }
    // Waits until done() (asked again whenever output came) or the deadline
    // passes, or the program ended without it; done()'s last answer.
    template <typename Done>
    bool WaitUntil(Done done, std::chrono::milliseconds deadline) {
        const auto end = std::chrono::steady_clock::now() + deadline;
        while (true) {
            Poll();
            if (done()) {
                return true;
            }
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                end - std::chrono::steady_clock::now());
            if (left.count() <= 0 || m_status) {
                return done();
            }
            // Woken by output; an exit without output is seen within 20 ms.
            pollfd readable{m_readFd, POLLIN, 0};
            ::poll(&readable, 1, static_cast<int>(std::min<long long>(left.count(), 20)));
        }
    }

    // Writes text to the program's standard input (Input::Pipe); false when
    // it could not all be written (the program has ended: no SIGPIPE).
    bool Send(std::string_view text) {
        while (m_writeFd >= 0 && !text.empty()) {
            const ssize_t written = ::send(m_writeFd, text.data(), text.size(), MSG_NOSIGNAL);
            if (written <= 0) {
                return false;
            }
            text.remove_prefix(static_cast<std::size_t>(written));
        }
        return text.empty();
    }

    // Ends the program (SIGTERM) and waits for it; its exit code.
    std::optional<int> Terminate(std::chrono::milliseconds deadline) {
        if (m_started && !Poll()) {
            ::kill(m_pid, SIGTERM);
        }
        return WaitForExit(deadline);
    }

private:
    void Drain() {
        char buffer[4096];
        ssize_t got = 0;
        while (m_readFd >= 0 && (got = ::read(m_readFd, buffer, sizeof buffer)) > 0) {
            m_output.append(buffer, static_cast<std::size_t>(got));
        }
    }

    bool m_started = false;
    pid_t m_pid = -1;
    int m_readFd = -1;
    int m_writeFd = -1;
    std::optional<int> m_status;
    std::string m_output;
};

}  // namespace varlok::platform::testing
