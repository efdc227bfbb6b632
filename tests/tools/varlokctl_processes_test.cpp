// Two varlokctl processes against one hidraw node, which hands every report
// the mouse sends to every program that has it open: the owner lock keeps
// their transfers apart.

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "device/fakesysfs.h"
#include "device/hidrawbackend.h"
#include "device/hidtestdata.h"
#include "platform/ownerlock.h"
#include "platform/tempfolder.h"
#include "sim/mousefirmware.h"

extern char** environ;

namespace varlok::tools {
namespace {

using namespace std::chrono_literals;

constexpr auto kGuard = 20s;

// The mouse behind a fake hidraw node: a listening Unix socket in place of
// the node. What one opener writes is answered to every opener, as the
// kernel hands each input report to every reader of a node. Keeps every
// report written, with the connection it came from.
class SocketMouse {
public:
    struct Write {
        int connection = 0;
        std::vector<std::uint8_t> bytes;
    };

    explicit SocketMouse(const std::string& node)
        : m_listen(::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0)),
          m_stop(::eventfd(0, EFD_CLOEXEC)) {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, node.c_str(), sizeof address.sun_path - 1);
        std::filesystem::remove(node);
        EXPECT_EQ(::bind(m_listen, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
        EXPECT_EQ(::listen(m_listen, 8), 0);
        m_thread = std::thread([this] { Serve(); });
    }
    ~SocketMouse() {
        const std::uint64_t one = 1;
        static_cast<void>(::write(m_stop, &one, sizeof one));
        m_thread.join();
        for (const pollfd& client : m_clients) {
            ::close(client.fd);
        }
        ::close(m_listen);
        ::close(m_stop);
    }
    SocketMouse(const SocketMouse&) = delete;
    SocketMouse& operator=(const SocketMouse&) = delete;

    std::vector<Write> Writes() const {
        std::lock_guard lock(m_mutex);
        return m_writes;
    }

private:
    void Serve() {
        std::vector<int> ids;
        int nextId = 1;
        for (;;) {
            std::vector<pollfd> fds{{m_stop, POLLIN, 0}, {m_listen, POLLIN, 0}};
            fds.insert(fds.end(), m_clients.begin(), m_clients.end());
            if (::poll(fds.data(), fds.size(), -1) < 0 || fds[0].revents != 0) {
                return;
            }
            for (std::size_t i = 2; i < fds.size(); ++i) {
                if (fds[i].revents == 0) {
                    continue;
                }
                std::vector<std::uint8_t> report(256);
                const ssize_t got = ::recv(fds[i].fd, report.data(), report.size(), 0);
                if (got <= 0) {
                    ::close(fds[i].fd);
                    m_clients[i - 2].fd = -1;
                    continue;
                }
                report.resize(static_cast<std::size_t>(got));
                {
                    std::lock_guard lock(m_mutex);
                    m_writes.push_back({ids[i - 2], report});
                }
                const device::ReportFrame answer = m_firmware.Handle(report);
                for (const pollfd& client : m_clients) {
                    if (client.fd >= 0) {
                        ::send(client.fd, answer.Raw().data(), answer.Raw().size(),
                               MSG_NOSIGNAL | MSG_DONTWAIT);
                    }
                }
            }
            for (std::size_t i = m_clients.size(); i-- > 0;) {
                if (m_clients[i].fd < 0) {
                    m_clients.erase(m_clients.begin() + static_cast<std::ptrdiff_t>(i));
                    ids.erase(ids.begin() + static_cast<std::ptrdiff_t>(i));
                }
            }
            if (fds[1].revents != 0) {
                const int client = ::accept4(m_listen, nullptr, nullptr, SOCK_CLOEXEC);
                if (client >= 0) {
                    m_clients.push_back({client, POLLIN, 0});
                    ids.push_back(nextId++);
                }
            }
        }
    }

    int m_listen;
    int m_stop;
    std::vector<pollfd> m_clients;  // the serving thread's
    sim::MouseFirmware m_firmware;  // the serving thread's
    mutable std::mutex m_mutex;
    std::vector<Write> m_writes;  // guarded by m_mutex
    std::thread m_thread;
};

// One varlokctl process with its standard error in a pipe; killed if the
// test leaves it running.
class ToolProcess {
public:
    ToolProcess(std::vector<std::string> arguments, const std::string& runtimeFolder,
                const std::filesystem::path& out) {
        int pipeFds[2];
        EXPECT_EQ(::pipe2(pipeFds, O_CLOEXEC), 0);
        m_err = pipeFds[0];
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, out.c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0600);
        posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDERR_FILENO);
        std::vector<std::string> environment{"XDG_RUNTIME_DIR=" + runtimeFolder};
        for (char** variable = environ; *variable != nullptr; ++variable) {
            if (std::strncmp(*variable, "XDG_RUNTIME_DIR=", 16) != 0) {
                environment.emplace_back(*variable);
            }
        }
        std::vector<char*> argv;
        std::vector<char*> envp;
        for (std::string& argument : arguments) {
            argv.push_back(argument.data());
        }
        for (std::string& variable : environment) {
            envp.push_back(variable.data());
        }
        argv.push_back(nullptr);
        envp.push_back(nullptr);
        m_started =
            ::posix_spawn(&m_pid, argv[0], &actions, nullptr, argv.data(), envp.data()) == 0;
        posix_spawn_file_actions_destroy(&actions);
        ::close(pipeFds[1]);
    }
    ~ToolProcess() {
        if (m_started) {
            ::kill(m_pid, SIGKILL);
            ::waitpid(m_pid, nullptr, 0);
        }
        ::close(m_err);
    }
    ToolProcess(const ToolProcess&) = delete;
    ToolProcess& operator=(const ToolProcess&) = delete;

    // Reads standard error until it holds text (true) or ends or the guard
    // passes (false).
    bool WaitForError(const std::string& text) {
        const auto deadline = std::chrono::steady_clock::now() + kGuard;
        while (m_errText.find(text) == std::string::npos) {
            if (!ReadSome(deadline)) {
                return false;
            }
        }
        return true;
    }
    // Reads standard error to its end and returns the exit code (-1 when
    // the process did not exit normally).
    int Finish() {
        const auto deadline = std::chrono::steady_clock::now() + kGuard;
        while (ReadSome(deadline)) {
        }
        int status = 0;
        const bool reaped = m_started && ::waitpid(m_pid, &status, 0) == m_pid;
        m_started = false;
        return reaped && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    bool Started() const { return m_started; }
    const std::string& Error() const { return m_errText; }

private:
    // False at the end of the output or at the deadline.
    bool ReadSome(std::chrono::steady_clock::time_point deadline) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        pollfd readable{m_err, POLLIN, 0};
        char buffer[512];
        ssize_t got = 0;
        if (left.count() <= 0 || ::poll(&readable, 1, static_cast<int>(left.count())) <= 0 ||
            (got = ::read(m_err, buffer, sizeof buffer)) <= 0) {
            return false;
        }
        m_errText.append(buffer, static_cast<std::size_t>(got));
        return true;
    }

    bool m_started = false;
    pid_t m_pid = -1;
    int m_err = -1;
    std::string m_errText;
};

TEST(VarlokctlProcesses, TwoCommandsAtOnceTakeTurnsWithTheMouse) {
    device::testing::FakeSysfs sysfs;
    sysfs.AddDevice(1, 0x0C45, 0x7643, 1, device::testing::LoadDescriptor("vendor-consumer.hex"));
    SocketMouse mouse(sysfs.Node(1));
    const platform::testing::TempFolder folder;
    const std::filesystem::path runtime = folder / "runtime";
    std::filesystem::create_directory(runtime);

    // Both start while a third varlokctl has the mouse, and wait for it.
    device::HidrawBackend backend(sysfs.Sys(), sysfs.Dev());
    const std::string key =
        backend.OwnerKey("hidraw:" + sysfs.Node(1) + "#vid_0c45&pid_7643&mi_01&col02");
    ASSERT_FALSE(key.empty());
    platform::OwnerLock third;
    ASSERT_EQ(third.TryAcquire(runtime / "varlok" / (key + ".lock"), "varlokctl"),
              platform::OwnerLock::Result::Acquired);
    std::vector<std::unique_ptr<ToolProcess>> tools;
    for (const char* name : {"a.txt", "b.txt"}) {
        tools.push_back(std::make_unique<ToolProcess>(
            std::vector<std::string>{VARLOKCTL_SOCKET_NODES, sysfs.Sys(), sysfs.Dev(), "--direct",
                                     "dump"},
            runtime.string(), folder / name));
        ASSERT_TRUE(tools.back()->Started());
    }
    const std::string waiting =
        "the mouse is in use by varlokctl (pid " + std::to_string(::getpid()) + "); waiting";
    for (const auto& tool : tools) {
        ASSERT_TRUE(tool->WaitForError(waiting)) << tool->Error();
    }
    EXPECT_TRUE(mouse.Writes().empty());
    third.Release();

    for (const auto& tool : tools) {
        EXPECT_EQ(tool->Finish(), 0) << tool->Error();
    }
    const std::string dump = platform::testing::ReadBytes(folder / "a.txt");
    EXPECT_NE(dump.find("key block 4"), std::string::npos);
    EXPECT_EQ(platform::testing::ReadBytes(folder / "b.txt"), dump);

    // Each command's reports came whole, one command after the other: each
    // from one connection, from BeginTransfer to EndTransfer.
    std::vector<std::vector<SocketMouse::Write>> runs;
    for (const SocketMouse::Write& write : mouse.Writes()) {
        ASSERT_EQ(write.bytes.size(), 64u);
        if (runs.empty() || runs.back().back().connection != write.connection) {
            runs.emplace_back();
        }
        runs.back().push_back(write);
    }
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_EQ(runs[0].size(), runs[1].size());
    for (const auto& run : runs) {
        EXPECT_EQ(run.front().bytes[3], 0x01);
        EXPECT_EQ(run.back().bytes[3], 0x02);
    }
}

}  // namespace
}  // namespace varlok::tools
