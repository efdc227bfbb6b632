#pragma once

// Pieces of the service's error messages.

#include <span>
#include <string>
#include <string_view>

namespace varlok::service {

// 'text', as the messages quote what a caller gave.
[[nodiscard]] inline std::string Quoted(std::string_view text) {
    return "'" + std::string(text) + "'";
}

// "a, b, c".
[[nodiscard]] inline std::string JoinNames(std::span<const std::string_view> names) {
    std::string text;
    for (const std::string_view name : names) {
        text += (text.empty() ? "" : ", ") + std::string(name);
    }
    return text;
}

}  // namespace varlok::service
