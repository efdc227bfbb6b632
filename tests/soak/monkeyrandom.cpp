#include "monkeyrandom.h"

#include <array>
#include <string_view>

namespace varlok::soak {

namespace {

const std::array<std::string_view, 16> kNameParts{
    "Game", "work",     "Ünïcødé",   "名前",     "Профиль", "a b", "../up", "../../etc/passwd",
    "x",    " blanks ", "name=x[y]", ";comment", "con",     ".",   "..",    "🖱 mouse"};

}  // namespace

std::vector<std::uint8_t> MonkeyRandom::Bytes(std::size_t count) {
    std::vector<std::uint8_t> bytes(count);
    for (std::uint8_t& byte : bytes) {
        byte = static_cast<std::uint8_t>(Below(256));
    }
    return bytes;
}

std::string MonkeyRandom::Name() {
    std::string name;
    switch (Below(6)) {
        case 0:
            name = std::string(static_cast<std::size_t>(Between(200, 300)), 'L');
            break;
        case 1:
            name = "";
            break;
        default:
            name = std::string(Pick(std::span<const std::string_view>(kNameParts)));
            break;
    }
    if (Chance(0.4)) {
        name += std::to_string(Below(100));
    }
    return name;
}

std::string MonkeyRandom::Text() {
    switch (Below(4)) {
        case 0:
            return std::to_string(Between(-5, 70000));
        case 1:
            return std::to_string(Below(256));
        case 2:
            return "";
        default:
            return Name();
    }
}

}  // namespace varlok::soak
