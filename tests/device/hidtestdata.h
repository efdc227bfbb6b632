#pragma once

// Reads the annotated hex report descriptors under tests/data/descriptors/
// and builds small descriptors inline for the HID tests.

#include <cctype>
#include <cstdint>
#include <fstream>
#include <initializer_list>
#include <sstream>
#include <string>
#include <vector>

namespace varlok::device::testing {

// Hex bytes separated by white space; '#' comments run to the end of the line.
// An unreadable file or a bad token yields an empty vector (tests then fail
// on the empty descriptor rather than crash).
inline std::vector<std::uint8_t> LoadDescriptor(const std::string& name) {
    std::ifstream file(std::string(VARLOK_TEST_DATA_DIR) + "/descriptors/" + name);
    std::vector<std::uint8_t> bytes;
    std::string line;
    while (std::getline(file, line)) {
        line = line.substr(0, line.find('#'));
        std::istringstream tokens(line);
        std::string token;
        while (tokens >> token) {
            if (token.size() != 2 || !std::isxdigit(static_cast<unsigned char>(token[0])) ||
                !std::isxdigit(static_cast<unsigned char>(token[1]))) {
                return {};
            }
            bytes.push_back(static_cast<std::uint8_t>(std::stoul(token, nullptr, 16)));
        }
    }
    return bytes;
}

inline std::vector<std::uint8_t> Bytes(std::initializer_list<int> values) {
    std::vector<std::uint8_t> bytes;
    for (const int value : values) {
        bytes.push_back(static_cast<std::uint8_t>(value));
    }
    return bytes;
}

}  // namespace varlok::device::testing
