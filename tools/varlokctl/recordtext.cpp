#include "varlokctl/recordtext.h"

#include <charconv>

#include "device/deviceidentity.h"
#include "settings/settingsrecord.h"

namespace varlok::tools {

std::optional<unsigned> ParseOnboardProfile(std::string_view text) {
    unsigned value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() ||
        value >= device::kOnboardProfileCount) {
        return std::nullopt;
    }
    return value;
}

std::uint16_t RecordOffset(std::optional<unsigned> profile) {
    return static_cast<std::uint16_t>(device::kRecordStride * profile.value_or(0));
}

std::string RecordTitle(std::optional<unsigned> profile, std::span<const std::uint8_t> record) {
    const std::string offset = " (offset " + std::to_string(RecordOffset(profile)) + ")";
    if (!profile) {
        return "settings record in force: onboard profile " +
               std::to_string(record[settings::SettingsRecord::kActiveProfile]) + offset;
    }
    return "settings record of profile " + std::to_string(*profile) + offset;
}

bool ReachedProfile(std::ostream& err, std::optional<unsigned> profile,
                    std::span<const std::uint8_t> record) {
    const unsigned active = record[settings::SettingsRecord::kActiveProfile];
    if (profile != 0U || active == 0) {
        return true;
    }
    err << "varlokctl: onboard profile 0's record is the one at offset 0 only while "
           "profile 0 is active, and the mouse is on profile "
        << active << "; without --profile the record in force is used\n";
    return false;
}

}  // namespace varlok::tools
