#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "device/deviceidentity.h"
#include "platform/atomicfile.h"
#include "platform/inifile.h"
#include "profiles/profilebody.h"
#include "profiles/profilecategory.h"
#include "profiles/profilefile.h"
#include "settings/mousemirror.h"
#include "settings/profilesaves.h"

namespace varlok::profiles {

// The mouse's profile store: msProfile.ini with the three lists (count,
// names, selection, links) and one file per entry, named after it, in the
// mouse's data folder; the default files in the installation folder. Loads
// put a file's body into the live settings, saves write the live settings
// into the selected entry's file. Nothing is cached: every operation reads
// the INI values it needs when it runs.
//
// Names are the user's text: a name that could leave the data folder or
// break the INI file is never used as a path (loads report it missing,
// saves write nothing), and files are found without regard to case.
//
// Thread affinity: the UI thread (the live settings are the UI thread's).
class ProfileStore : public settings::ProfileSaves {
public:
    static constexpr std::string_view kIniFileName = "msProfile.ini";
    static constexpr std::string_view kFirstProfileName = "profile1";
    static constexpr std::uint16_t kTypeCode =
        device::IdentityOf(device::DeviceType::Mouse).profileTypeCode;
    // More entries than anybody keeps; a count beyond it is taken as this
    // many, so that a damaged count cannot keep the start-up busy.
    static constexpr int kMaxEntries = 1000;

    // Loading a device profile takes the desktop's pointer speed.
    using PointerSpeedReader = profiles::PointerSpeedReader;

    struct Folders {
        // The mouse's data folder: msProfile.ini and the profile files.
        std::filesystem::path data;
        // The installation folder with the default files.
        std::filesystem::path install;
    };

    // mirror must outlive the store. faultHook lets tests fail the disk.
    ProfileStore(Folders folders, settings::MouseMirror& mirror,
                 PointerSpeedReader desktopPointerSpeed = {},
                 platform::AtomicWriteFaultHook faultHook = {});

    [[nodiscard]] const Folders& GetFolders() const { return m_folders; }
    [[nodiscard]] platform::IniFile& Ini() { return m_ini; }
    [[nodiscard]] const platform::IniFile& Ini() const { return m_ini; }
    // The fault hook every write of the store's files goes through.
    [[nodiscard]] const platform::AtomicWriteFaultHook& FaultHook() const { return m_faultHook; }

    // The list's count as stored (0 when missing), at most kMaxEntries.
    [[nodiscard]] int Count(ProfileCategory category) const;
    // The name of entry index ("0" when missing).
    [[nodiscard]] std::string Name(ProfileCategory category, int index) const;
    [[nodiscard]] std::vector<std::string> Names(ProfileCategory category) const;
    // The entry the selection key names, as a number (0 when missing).
    [[nodiscard]] int SelectedIndex(ProfileCategory category) const;
    // The file of an entry name; std::nullopt for a name that is not safe.
    [[nodiscard]] std::optional<std::filesystem::path> FileOf(ProfileCategory category,
                                                              std::string_view name) const;
    [[nodiscard]] std::filesystem::path DefaultFileOf(ProfileCategory category) const;

    // Loads entry index of the list into the live settings. Loaded, or
    // Missing / BadMagic (debug texts "配置文件丢失" / "配置文件格式错误")
    // with the live settings unchanged. The caller refreshes the pages and
    // sends what changed.
    ProfileReadResult Load(ProfileCategory category, int index);
    // Key table 0, record table entry 0 and the record in force, the wheel
    // lines and the zone selector; the pointer speed is read back from the
    // desktop. A wheel line count or pointer speed of 0 becomes 1.
    ProfileReadResult LoadDeviceProfile(int index) { return Load(ProfileCategory::Device, index); }
    ProfileReadResult LoadLightingProfile(int index) {
        return Load(ProfileCategory::Lighting, index);
    }
    ProfileReadResult LoadKeyProfile(int index) { return Load(ProfileCategory::Key, index); }

    // Writes the live settings into the file of the entry the selection key
    // names. False when nothing could be written (debug text "文件打开失败");
    // the live settings stay as they are either way.
    bool Save(ProfileCategory category);
    void SaveDeviceProfile() override { static_cast<void>(Save(ProfileCategory::Device)); }
    void SaveLightingProfile() override { static_cast<void>(Save(ProfileCategory::Lighting)); }
    void SaveKeyProfile() override { static_cast<void>(Save(ProfileCategory::Key)); }

    // The start-up fill: the names of the three lists, in the order device,
    // lighting, key. A list with no entries (the first run) first gets its
    // default file copied to "profile1" and its INI entries. When a default
    // file cannot be read the fill stops there: `failure` says why and
    // `names` holds only the lists filled before.
    struct ListNames {
        std::array<std::vector<std::string>, kProfileCategories.size()> names;
        std::optional<ProfileReadResult> failure;
        std::optional<ProfileCategory> failedCategory;
    };
    ListNames InitProfileLists();

    // The start-up recovery: sets aside (platform::SetAsideUnreadable)
    // msProfile.ini when it is not text, then every file a list names that
    // is no profile of its list (ProfileFileFault), so that no save replaces
    // what it held; its entry then has no file, as a missing one. A file that
    // cannot be opened stays. How many were set aside.
    int SetAsideUnreadableFiles();

    // Reads the category's default file into body (cleared first).
    [[nodiscard]] ProfileReadResult ReadDefault(ProfileCategory category,
                                                std::span<std::uint8_t> body) const;

    // The bodies as the live settings give them. Staging writes the record
    // in force (and the other staged bytes) into record table entry 0.
    [[nodiscard]] DeviceBody StageDeviceBody();
    // Takes the body of a file of the category (its body length) into the
    // live settings as a load does.
    void TakeBody(ProfileCategory category, std::span<const std::uint8_t> body) {
        TakeProfileBody(category, body, m_mirror, BodyUse::Load, m_desktopPointerSpeed);
    }

private:
    [[nodiscard]] std::string SelectedName(ProfileCategory category) const;
    [[nodiscard]] std::vector<std::uint8_t> StageBody(ProfileCategory category);
    std::optional<ProfileReadResult> CreateFirstProfile(ProfileCategory category);

    Folders m_folders;
    settings::MouseMirror& m_mirror;
    PointerSpeedReader m_desktopPointerSpeed;
    platform::AtomicWriteFaultHook m_faultHook;
    platform::IniFile m_ini;
};

}  // namespace varlok::profiles
