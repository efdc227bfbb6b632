#pragma once

#include <chrono>
#include <string>
#include <vector>

#include "reportingchild.h"

namespace varlok::platform::testing {

// An X server of one test's own, on a display number it picks itself.
// -noreset: an X server resets (pointer control, root properties) whenever
// its last client leaves, and the code under test connects on its own.
class XvfbServer {
public:
    XvfbServer()
        : m_child(std::vector<std::string>{"Xvfb", "-displayfd",
                                           std::to_string(ReportingChild::kReportFd), "-noreset",
                                           "-nolisten", "tcp", "-screen", "0", "64x64x24"},
                  std::chrono::seconds{20}) {}

    // False when Xvfb is not installed (package xvfb).
    [[nodiscard]] bool Installed() const { return m_child.Started(); }
    // ":N", or empty when the server did not start.
    [[nodiscard]] std::string DisplayName() const {
        return m_child.Report().empty() ? std::string() : ":" + m_child.Report();
    }

private:
    ReportingChild m_child;
};

}  // namespace varlok::platform::testing
