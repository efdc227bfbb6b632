#include "platform/startupphases.h"

#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <mutex>
#include <sstream>
#include <string>
#include <vector>

#include "platform/debugoutput.h"

namespace varlok::platform {

namespace {

// The boot-time clock: the one the kernel keeps a process's start time in.
double BootClockMilliseconds() {
    timespec now{};
    ::clock_gettime(CLOCK_BOOTTIME, &now);
    return static_cast<double>(now.tv_sec) * 1000.0 + static_cast<double>(now.tv_nsec) / 1e6;
}

// When the process started, on the boot-time clock (field 22 of
// /proc/self/stat, in clock ticks); the first phase's time when unknown.
double ProcessStartMilliseconds() {
    std::ifstream stat("/proc/self/stat");
    const std::string line((std::istreambuf_iterator<char>(stat)),
                           std::istreambuf_iterator<char>());
    const std::size_t nameEnd = line.rfind(')');
    const long ticksPerSecond = ::sysconf(_SC_CLK_TCK);
    if (nameEnd == std::string::npos || ticksPerSecond <= 0) {
        return BootClockMilliseconds();
    }
    // After the name come the fields from the third on; the start time is
    // the twenty-second.
    std::istringstream fields(line.substr(nameEnd + 1));
    std::string field;
    constexpr int kStartTimeField = 22;
    for (int index = 3; index <= kStartTimeField && fields >> field; ++index) {
    }
    const double ticks = std::strtod(field.c_str(), nullptr);
    return ticks * 1000.0 / static_cast<double>(ticksPerSecond);
}

}  // namespace

void MarkStartupPhase(std::string_view phase) {
    static std::mutex mutex;
    static std::vector<std::string> written;
    static const double start = ProcessStartMilliseconds();
    const double elapsed = BootClockMilliseconds() - start;
    {
        const std::lock_guard lock(mutex);
        if (std::ranges::find(written, phase) != written.end()) {
            return;
        }
        written.emplace_back(phase);
    }
    char figure[32];
    std::snprintf(figure, sizeof figure, " at %.0f ms", elapsed);
    DebugOutput::Write("start-up: " + std::string(phase) + figure);
}

}  // namespace varlok::platform
