#include "keys/macroaction.h"

#include <algorithm>
#include <array>

#include "platform/decimal.h"

namespace varlok::keys {

void MacroAction::SetPauseUnits(long long units) {
    const auto limited = static_cast<int>(std::clamp<long long>(units, 0, kMaxPauseUnits));
    delayLow = static_cast<std::uint8_t>(limited & 0xFF);
    delayHigh = static_cast<std::uint8_t>(limited >> 8);
}

std::optional<MacroAction> ParseMacroAction(std::string_view text) {
    // fields[0] is delay low, fields[5] the label.
    constexpr std::size_t kCommas = 5;
    std::array<std::string_view, kCommas + 1> fields;
    std::string_view rest = text;
    for (std::size_t field = kCommas; field > 0; --field) {
        const std::size_t comma = rest.rfind(',');
        if (comma == std::string_view::npos) {
            return std::nullopt;
        }
        fields[field] = rest.substr(comma + 1);
        rest = rest.substr(0, comma);
    }
    fields[0] = rest;
    const int low = platform::ParseDecimal(fields[0]);
    const int high = platform::ParseDecimal(fields[1]);
    const int code = platform::ParseDecimal(fields[2]);
    const int value = platform::ParseDecimal(fields[3]);
    if (code < 0 || code > 0xFF || value < 0 || value > 0xFF) {
        return std::nullopt;
    }
    MacroAction action;
    action.SetPauseUnits(static_cast<long long>(low) + 256LL * high);
    action.code = static_cast<std::uint8_t>(code);
    action.value = static_cast<std::uint8_t>(value);
    action.downFlag = platform::ParseDecimal(fields[4]);
    action.label = std::string(fields[5]);
    return action;
}

std::string FormatMacroAction(const MacroAction& action) {
    return std::to_string(action.delayLow) + ',' + std::to_string(action.delayHigh) + ',' +
           std::to_string(action.code) + ',' + std::to_string(action.value) + ',' +
           std::to_string(action.downFlag) + ',' + action.label;
}

}  // namespace varlok::keys
