#pragma once

// The default profiles the program installs (msdevicedefault.config,
// msdengdefault.led, mskeydefault.pro) are made at build time from a
// readable definition, data/defaultprofiles.ini: performance, lighting and
// key settings by name. This reads the definition and builds the three
// bodies from it.

#include <filesystem>
#include <optional>
#include <string>

#include "lighting/lightingsettings.h"
#include "platform/inifile.h"
#include "profiles/profilestore.h"
#include "settings/mousemirror.h"
#include "settings/settingsrecord.h"

namespace varlok::profiles {

struct DefaultProfiles {
    settings::SettingsRecord::Bytes record{};
    std::uint8_t pointerSpeed = settings::MouseMirror::kInitialPointerSpeed;
    std::uint8_t wheelLines = settings::MouseMirror::kInitialWheelLines;
    std::uint8_t zoneSlot = settings::MouseMirror::kInitialZoneSlot;
    settings::KeySlot keys{};
};

struct DefaultProfilesReading {
    std::optional<DefaultProfiles> profiles;
    // What is wrong with the definition, naming section and key, when
    // profiles is empty.
    std::string error;
};

// Every key of the definition must be there and valid; nothing is guessed.
[[nodiscard]] DefaultProfilesReading ReadDefaultProfiles(const platform::IniFile& definition);

[[nodiscard]] DeviceBody DefaultDeviceBody(const DefaultProfiles& profiles);
[[nodiscard]] lighting::LightingBody DefaultLightingBody(const DefaultProfiles& profiles);
[[nodiscard]] settings::KeySlot DefaultKeyBody(const DefaultProfiles& profiles);

// Writes the three files, named as the installation keeps them, into folder.
// False when one could not be written.
[[nodiscard]] bool WriteDefaultProfiles(const DefaultProfiles& profiles,
                                        const std::filesystem::path& folder);

}  // namespace varlok::profiles
