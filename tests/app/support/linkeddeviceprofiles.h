#pragma once

#include <gtest/gtest.h>

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

// Two device profiles in the data folder: "Desk" (0), the user's choice, and
// "Game" (1), linked to program.
inline void WriteLinkedDeviceProfiles(const std::filesystem::path& dataFolder,
                                      const std::string& program) {
    std::filesystem::create_directories(dataFolder / "ms");
    platform::IniFile store(dataFolder / "ms" / "msProfile.ini");
    for (const auto& [section, key, value] :
         {std::tuple{"PROFILEDEVICECOUNT", "count", std::string("2")},
          {"PROFILEDEVICENAME", "0", std::string("Desk")},
          {"PROFILEDEVICENAME", "1", std::string("Game")},
          {"PROFILEDEVICESELECT", "select", std::string("0")},
          {"PROFILELIKEDEVICEEXE", "1", std::string("1")},
          {"DEVICEPROCESS", "1", program}}) {
        ASSERT_EQ(store.Write(section, key, value), platform::IniWriteResult::Ok);
    }
    std::array<std::uint8_t, profiles::kDeviceBodySize> body{};
    for (const auto& [name, dpiCode] : {std::pair{"Desk", kDeskDpiCode}, {"Game", kGameDpiCode}}) {
        body[profiles::kDeviceRecordOffset + kStageOneOffset] = dpiCode;
        ASSERT_TRUE(profiles::WriteProfileFile(dataFolder / "ms" / (std::string(name) + ".config"),
                                               body, profiles::ProfileStore::kTypeCode));
    }
}

}  // namespace varlok::app::testing
