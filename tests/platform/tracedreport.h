#pragma once

#include <sstream>
#include <string_view>
#include <vector>

namespace varlok::platform::testing {

// The 64 bytes of a line of the report trace (VARLOK_TRACE, --trace) that
// shows a report sent ("> " and the bytes in hex); empty for any other line.
inline std::vector<int> SentReport(std::string_view line) {
    if (!line.starts_with("> ")) {
        return {};
    }
    std::istringstream hex{std::string(line.substr(2))};
    std::vector<int> bytes;
    for (int byte = 0; hex >> std::hex >> byte;) {
        bytes.push_back(byte);
    }
    return bytes.size() == 64 ? bytes : std::vector<int>{};
}

// Whether a sent report is a whole settings record: WriteSettings (06), 56
// bytes at offset 0.
inline bool IsRecordWrite(const std::vector<int>& report) {
    return report.size() == 64 && report[3] == 0x06 && report[4] == 56 && report[5] == 0 &&
           report[6] == 0;
}

}  // namespace varlok::platform::testing
