#pragma once

#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "childprocess.h"
#include "reportingchild.h"

namespace varlok::platform::testing {

// Sway running headless for one test or benchmark (no screen, no input devices, pixman
// rendering), in a runtime folder of its own, so that nothing reaches the
// desktop of whoever runs the tests. Its first command tells the IPC socket
// and the Wayland display on descriptor 3. Sway refuses to run as root, so
// under root (CI) it runs as nobody; root's clients reach it all the same.
class SwaySession {
public:
    static constexpr std::chrono::seconds kStartBound{20};
    static constexpr unsigned kNobody = 65534;
    // The one output's size: the layout that absolute pointer positions span.
    static constexpr unsigned kOutputWidth = 1024;
    static constexpr unsigned kOutputHeight = 768;

    // configuration: further lines of sway's configuration (window rules).
    explicit SwaySession(const std::string& configuration = "") {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "varlok-sway-XXXXXX").string();
        if (!OnPath("sway") || ::mkdtemp(pattern.data()) == nullptr) {
            return;
        }
        m_runtime = pattern;
        m_installed = true;
        const std::filesystem::path config = m_runtime / "sway.config";
        std::ofstream(config) << "exec printf '%s %s\\n' \"$SWAYSOCK\" \"$WAYLAND_DISPLAY\" >&"
                              << ReportingChild::kReportFd << "\n"
                              << "output HEADLESS-1 resolution " << kOutputWidth << 'x'
                              << kOutputHeight << "\n"
                              << configuration;
        std::vector<std::string> command{"env",
                                         "-u",
                                         "DISPLAY",
                                         "-u",
                                         "WAYLAND_DISPLAY",
                                         "-u",
                                         "SWAYSOCK",
                                         "XDG_RUNTIME_DIR=" + m_runtime.string(),
                                         "WLR_BACKENDS=headless",
                                         "WLR_RENDERER=pixman",
                                         "WLR_LIBINPUT_NO_DEVICES=1"};
        if (::geteuid() == 0) {
            [[maybe_unused]] const int owned = ::chown(m_runtime.c_str(), kNobody, kNobody);
            [[maybe_unused]] const int readable = ::chmod(config.c_str(), 0644);
            command.insert(command.end(),
                           {"setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"});
        }
        command.insert(command.end(), {"sway", "-c", config.string()});
        m_sway = std::make_unique<ReportingChild>(command, kStartBound);
        const std::string& report = m_sway->Report();
        const std::size_t space = report.find(' ');
        if (space != std::string::npos) {
            m_socket = report.substr(0, space);
            m_display = report.substr(space + 1);
        }
    }

    ~SwaySession() {
        // Asked to exit, sway ends from its event loop; its SIGTERM handler
        // can deadlock (see ReportingChild::End), which is only the fallback.
        if (!m_socket.empty()) {
            static_cast<void>(Command("exit"));
        }
        m_sway.reset();
        std::error_code ignored;
        if (!m_runtime.empty()) {
            std::filesystem::remove_all(m_runtime, ignored);
        }
    }
    SwaySession(const SwaySession&) = delete;
    SwaySession& operator=(const SwaySession&) = delete;

    // False when sway is not installed (package sway).
    [[nodiscard]] bool Installed() const { return m_installed; }
    // Empty when sway did not start.
    [[nodiscard]] const std::string& SocketPath() const { return m_socket; }
    [[nodiscard]] const std::string& WaylandDisplay() const { return m_display; }

    // What a Wayland client of this session needs in its environment.
    [[nodiscard]] std::vector<std::string> ClientEnvironment() const {
        return {"XDG_RUNTIME_DIR=" + m_runtime.string(), "WAYLAND_DISPLAY=" + m_display,
                "SWAYSOCK=" + m_socket, "QT_QPA_PLATFORM=wayland"};
    }

    // Runs one sway command (swaymsg) and waits for it; whether sway took it.
    bool Command(const std::string& command) {
        ChildProcess swaymsg({"swaymsg", "-s", m_socket, command});
        return swaymsg.WaitForExit(kStartBound) == 0;
    }

    // sway's tree of outputs, workspaces and windows (swaymsg -t get_tree) as
    // JSON; empty when sway did not answer.
    std::string Tree() {
        ChildProcess swaymsg({"swaymsg", "-s", m_socket, "-r", "-t", "get_tree"});
        return swaymsg.WaitForExit(kStartBound) == 0 ? swaymsg.Output() : std::string();
    }

    // A copy of program under another name in the session's folder: another
    // program to /proc/PID/exe.
    [[nodiscard]] std::filesystem::path CopyProgram(const std::filesystem::path& program,
                                                    const std::string& name) const {
        const std::filesystem::path copy = m_runtime / name;
        std::filesystem::copy_file(program, copy,
                                   std::filesystem::copy_options::overwrite_existing);
        return copy;
    }

private:
    static bool OnPath(const std::string& name) {
        const char* path = std::getenv("PATH");
        std::string folders = path != nullptr ? path : "";
        for (std::size_t start = 0; start <= folders.size();) {
            const std::size_t end = std::min(folders.find(':', start), folders.size());
            const std::filesystem::path candidate =
                std::filesystem::path(folders.substr(start, end - start)) / name;
            if (::access(candidate.c_str(), X_OK) == 0) {
                return true;
            }
            start = end + 1;
        }
        return false;
    }

    std::filesystem::path m_runtime;
    bool m_installed = false;
    std::unique_ptr<ReportingChild> m_sway;
    std::string m_socket;
    std::string m_display;
};

}  // namespace varlok::platform::testing
