#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <tuple>
#include <utility>

#include "platform/inifile.h"
#include "profiles/profilefile.h"
#include "profiles/profilestore.h"

namespace varlok::app::testing {

// The DPI code of stage 1 in the two device profiles: what the mouse's
// settings area holds at offset kStageOneOffset when each is in force.
inline constexpr std::uint8_t kDeskDpiCode = 1;
inline constexpr std::uint8_t kGameDpiCode = 9;
inline constexpr std::size_t kStageOneOffset = 15;

// Two device profiles in the profile folder (the data folder's "ms"): "Desk"
// (0), the user's choice, and "Game" (1), linked to program. False when a
// file could not be written.
[[nodiscard]] inline bool WriteLinkedDeviceProfiles(const std::filesystem::path& profileFolder,
                                                    const std::string& program) {
    std::error_code ignored;
    std::filesystem::create_directories(profileFolder, ignored);
    platform::IniFile store(profileFolder / "msProfile.ini");
    for (const auto& [section, key, value] :
         {std::tuple{"PROFILEDEVICECOUNT", "count", std::string("2")},
          {"PROFILEDEVICENAME", "0", std::string("Desk")},
          {"PROFILEDEVICENAME", "1", std::string("Game")},
          {"PROFILEDEVICESELECT", "select", std::string("0")},
          {"PROFILELIKEDEVICEEXE", "1", std::string("1")},
          {"DEVICEPROCESS", "1", program}}) {
        if (store.Write(section, key, value) != platform::IniWriteResult::Ok) {
            return false;
        }
    }
    std::array<std::uint8_t, profiles::kDeviceBodySize> body{};
    for (const auto& [name, dpiCode] : {std::pair{"Desk", kDeskDpiCode}, {"Game", kGameDpiCode}}) {
        body[profiles::kDeviceRecordOffset + kStageOneOffset] = dpiCode;
        if (!profiles::WriteProfileFile(profileFolder / (std::string(name) + ".config"), body,
                                        profiles::ProfileStore::kTypeCode)) {
            return false;
        }
    }
    return true;
}

}  // namespace varlok::app::testing
