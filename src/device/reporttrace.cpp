#include "device/reporttrace.h"

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <mutex>

namespace varlok::device {

namespace {

struct TraceState {
    std::mutex mutex;
    std::FILE* sink = nullptr;  // guarded by mutex
    std::atomic<bool> enabled{false};

    TraceState() {
        const char* variable = std::getenv("VARLOK_TRACE");
        if (variable != nullptr && std::strcmp(variable, "1") == 0) {
            sink = stderr;
            enabled = true;
        }
    }
};

TraceState& State() {
    static TraceState state;
    return state;
}

void Print(char direction, std::span<const std::uint8_t> report) {
    TraceState& state = State();
    if (!state.enabled.load(std::memory_order_relaxed)) {
        return;
    }
    std::string line = ReportTrace::FormatLine(direction, report);
    line += '\n';
    std::lock_guard lock(state.mutex);
    if (state.sink != nullptr) {
        std::fwrite(line.data(), 1, line.size(), state.sink);
        std::fflush(state.sink);
    }
}

}  // namespace

void ReportTrace::Enable(std::FILE* sink) {
    TraceState& state = State();
    std::lock_guard lock(state.mutex);
    state.sink = sink;
    state.enabled = sink != nullptr;
}

void ReportTrace::Disable() {
    TraceState& state = State();
    std::lock_guard lock(state.mutex);
    state.sink = nullptr;
    state.enabled = false;
}

bool ReportTrace::IsEnabled() {
    return State().enabled.load();
}

void ReportTrace::Sent(std::span<const std::uint8_t> report) {
    Print('>', report);
}

void ReportTrace::Received(std::span<const std::uint8_t> report) {
    Print('<', report);
}

std::string ReportTrace::FormatLine(char direction, std::span<const std::uint8_t> report) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string line;
    line.reserve(2 + report.size() * 3);
    line += direction;
    line += ' ';
    for (std::size_t i = 0; i < report.size(); ++i) {
        if (i > 0) {
            line += ' ';
        }
        line += kDigits[report[i] >> 4];
        line += kDigits[report[i] & 0xF];
    }
    return line;
}

}  // namespace varlok::device
