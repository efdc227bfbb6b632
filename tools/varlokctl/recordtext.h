#pragma once

// How the settings commands name and check the record they address.

#include <cstdint>
#include <optional>
#include <ostream>
#include <span>
#include <string>
#include <string_view>

#include "device/deviceidentity.h"
#include "varlokctl/commandtable.h"

namespace varlok::tools {

// An onboard profile number 0-4, or nothing for other text.
[[nodiscard]] std::optional<unsigned> ParseOnboardProfile(std::string_view text);
// The numbers it takes.
inline constexpr auto kOnboardProfiles =
    kNumberRange<0, static_cast<int>(device::kOnboardProfileCount) - 1>;

// The offset of the record a command addresses: the record in force (0)
// unless a profile is named; profile 0's record lies there too.
[[nodiscard]] std::uint16_t RecordOffset(std::optional<unsigned> profile);

// "settings record in force: onboard profile 3 (offset 0)" or "settings
// record of profile 2 (offset 128)".
[[nodiscard]] std::string RecordTitle(std::optional<unsigned> profile,
                                      std::span<const std::uint8_t> record);

// False, having said why on err, when profile 0 was asked for and the
// record read at offset 0 is another profile's (the one in force).
[[nodiscard]] bool ReachedProfile(std::ostream& err, std::optional<unsigned> profile,
                                  std::span<const std::uint8_t> record);

}  // namespace varlok::tools
