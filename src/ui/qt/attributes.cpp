#include "ui/qt/attributes.h"

#include <cctype>
#include <charconv>

namespace varlok::ui::attr {

bool Equals(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i]))) {
            return false;
        }
    }
    return true;
}

std::optional<Argb> ParseColour(std::string_view value) {
    while (!value.empty() && value.front() == ' ') {
        value.remove_prefix(1);
    }
    if (!value.empty() && value.front() == '#') {
        value.remove_prefix(1);
    } else if (value.size() > 2 && value[0] == '0' && (value[1] == 'x' || value[1] == 'X')) {
        value.remove_prefix(2);
    }
    if (value.size() != 6 && value.size() != 8) {
        return std::nullopt;
    }
    Argb colour = 0;
    auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), colour, 16);
    if (ec != std::errc() || end != value.data() + value.size()) {
        return std::nullopt;
    }
    if (value.size() == 6) {
        colour |= 0xFF000000u;
    }
    return colour;
}

namespace {

std::vector<int> ParseNumbers(std::string_view value, std::size_t count) {
    std::vector<int> numbers(count, 0);
    std::size_t index = 0;
    std::size_t pos = 0;
    while (index < count && pos <= value.size()) {
        std::size_t comma = value.find(',', pos);
        if (comma == std::string_view::npos) {
            comma = value.size();
        }
        numbers[index++] = ParseInt(value.substr(pos, comma - pos));
        pos = comma + 1;
    }
    return numbers;
}

}  // namespace

UiRect ParseRect(std::string_view value) {
    auto n = ParseNumbers(value, 4);
    return UiRect{n[0], n[1], n[2], n[3]};
}

UiSize ParseSize(std::string_view value) {
    auto n = ParseNumbers(value, 2);
    return UiSize{n[0], n[1]};
}

int ParseInt(std::string_view value) {
    while (!value.empty() && (value.front() == ' ' || value.front() == '+')) {
        value.remove_prefix(1);
    }
    int number = 0;
    std::from_chars(value.data(), value.data() + value.size(), number);
    return number;
}

bool ParseBool(std::string_view value) {
    return Equals(value, "true") || value == "1";
}

std::vector<std::pair<std::string, std::string>> ParseList(std::string_view list) {
    std::vector<std::pair<std::string, std::string>> result;
    std::size_t pos = 0;
    while (pos < list.size()) {
        while (pos < list.size() && std::isspace(static_cast<unsigned char>(list[pos]))) {
            ++pos;
        }
        const std::size_t eq = list.find('=', pos);
        if (eq == std::string_view::npos) {
            break;
        }
        std::string_view name = list.substr(pos, eq - pos);
        while (!name.empty() && std::isspace(static_cast<unsigned char>(name.back()))) {
            name.remove_suffix(1);
        }
        std::size_t quotePos = eq + 1;
        while (quotePos < list.size() && list[quotePos] == ' ') {
            ++quotePos;
        }
        if (quotePos >= list.size() || (list[quotePos] != '"' && list[quotePos] != '\'')) {
            break;
        }
        const char quote = list[quotePos];
        const std::size_t close = list.find(quote, quotePos + 1);
        if (close == std::string_view::npos) {
            break;
        }
        result.emplace_back(std::string(name),
                            std::string(list.substr(quotePos + 1, close - quotePos - 1)));
        pos = close + 1;
    }
    return result;
}

}  // namespace varlok::ui::attr
