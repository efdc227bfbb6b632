#pragma once

#include <chrono>
#include <string>
#include <vector>

#include "reportingchild.h"

namespace varlok::platform::testing {

// A message bus of one test's own (dbus-daemon with the session bus's
// configuration), so that nothing a test exports or asks reaches the user's
// session bus; it ends with the object.
class PrivateBus {
public:
    PrivateBus()
        : m_daemon({"dbus-daemon", "--session", "--nofork", "--nopidfile",
                    "--print-address=" + std::to_string(ReportingChild::kReportFd)},
                   std::chrono::seconds{20}) {}

    // False when dbus-daemon is not installed (package dbus-daemon).
    [[nodiscard]] bool Installed() const { return m_daemon.Started(); }
    // The address clients connect to; empty when the daemon did not start.
    [[nodiscard]] const std::string& Address() const { return m_daemon.Report(); }

    // A gdbus command line on this bus: gdbus, the command, --address and the
    // rest (package libglib2.0-bin).
    [[nodiscard]] std::vector<std::string> Gdbus(const std::string& command,
                                                 std::vector<std::string> rest) const {
        std::vector<std::string> arguments{"gdbus", command, "--address", Address()};
        arguments.insert(arguments.end(), rest.begin(), rest.end());
        return arguments;
    }

    // dbus-monitor on this bus, for the PropertiesChanged signals (package
    // dbus-bin). It watches from the moment it prints kMonitoring on: unlike
    // gdbus monitor, which subscribes only after it said so.
    [[nodiscard]] std::vector<std::string> PropertiesMonitor() const {
        return {"dbus-monitor", "--address", Address(),
                "type='signal',interface='org.freedesktop.DBus.Properties',member='"
                "PropertiesChanged'"};
    }
    static constexpr const char* kMonitoring = "member=NameLost";

private:
    ReportingChild m_daemon;
};

}  // namespace varlok::platform::testing
