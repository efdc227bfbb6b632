#include "profiles/profilestore.h"

#include <algorithm>
#include <string>

#include "lighting/lightingsettings.h"
#include "platform/debugoutput.h"
#include "platform/unreadablefiles.h"
#include "profiles/profilenames.h"

namespace varlok::profiles {

namespace {

constexpr std::string_view kMissingText = "配置文件丢失";
constexpr std::string_view kBadMagicText = "配置文件格式错误";

void ReportLoad(ProfileReadResult result, const std::string& what) {
    if (result == ProfileReadResult::Missing) {
        platform::DebugOutput::Write(std::string(kMissingText) + " " + what);
    } else if (result == ProfileReadResult::BadMagic) {
        platform::DebugOutput::Write(std::string(kBadMagicText) + " " + what);
    }
}

std::string Decimal(int value) {
    return std::to_string(value);
}

}  // namespace

ProfileStore::ProfileStore(Folders folders, settings::MouseMirror& mirror,
                           PointerSpeedReader desktopPointerSpeed,
                           platform::AtomicWriteFaultHook faultHook)
    : m_folders(std::move(folders)),
      m_mirror(mirror),
      m_desktopPointerSpeed(std::move(desktopPointerSpeed)),
      m_faultHook(std::move(faultHook)),
      m_ini(m_folders.data / kIniFileName, m_faultHook) {}

int ProfileStore::Count(ProfileCategory category) const {
    const int count = m_ini.ReadInt(CategoryInfo(category).countSection, kCountKey, 0);
    if (count > kMaxEntries) {
        platform::DebugOutput::Write("profile store: " + std::string(CategoryInfo(category).name) +
                                     " count " + Decimal(count) + " taken as " +
                                     Decimal(kMaxEntries));
        return kMaxEntries;
    }
    return count;
}

std::string ProfileStore::Name(ProfileCategory category, int index) const {
    return m_ini.Read(CategoryInfo(category).nameSection, Decimal(index), "0");
}

std::vector<std::string> ProfileStore::Names(ProfileCategory category) const {
    std::vector<std::string> names;
    const int count = Count(category);
    for (int index = 0; index < count; ++index) {
        names.push_back(Name(category, index));
    }
    return names;
}

int ProfileStore::SelectedIndex(ProfileCategory category) const {
    return m_ini.ReadInt(CategoryInfo(category).selectSection, kSelectKey, 0);
}

std::string ProfileStore::SelectedName(ProfileCategory category) const {
    // The selection's text is the key of the name as it stands, whatever it
    // holds; an entry without a name is "0".
    const ProfileCategoryInfo& info = CategoryInfo(category);
    return m_ini.Read(info.nameSection, m_ini.Read(info.selectSection, kSelectKey, "0"), "0");
}

std::optional<std::filesystem::path> ProfileStore::FileOf(ProfileCategory category,
                                                          std::string_view name) const {
    return ProfileFilePath(m_folders.data, name, CategoryInfo(category).extension);
}

std::filesystem::path ProfileStore::DefaultFileOf(ProfileCategory category) const {
    return ProfileFilePath(m_folders.install, CategoryInfo(category).defaultFile, "")
        .value_or(m_folders.install / CategoryInfo(category).defaultFile);
}

ProfileReadResult ProfileStore::ReadDefault(ProfileCategory category,
                                            std::span<std::uint8_t> body) const {
    std::ranges::fill(body, std::uint8_t{0});
    return ReadProfileFile(DefaultFileOf(category), body);
}

ProfileReadResult ProfileStore::Load(ProfileCategory category, int index) {
    const std::string name = Name(category, index);
    const std::optional<std::filesystem::path> file = FileOf(category, name);
    std::vector<std::uint8_t> body(CategoryInfo(category).bodyLength, 0);
    ProfileReadResult result = ProfileReadResult::Missing;
    if (file) {
        result = ReadProfileFile(*file, body);
    } else {
        platform::DebugOutput::Write("profile store: the name \"" + name +
                                     "\" cannot name a file; not read");
    }
    ReportLoad(result, file ? file->string() : name);
    if (result == ProfileReadResult::Loaded) {
        TakeBody(category, body);
    }
    return result;
}

DeviceBody ProfileStore::StageDeviceBody() {
    settings::RecordTableEntry& staging = m_mirror.recordTable[0];
    m_mirror.settingsRecord.CopyTo(std::span(staging).first(settings::SettingsRecord::kSize));
    staging[kDeviceWheelLinesByte - kDeviceRecordOffset] = m_mirror.wheelLines.Get();
    staging[kDeviceZoneSlotByte - kDeviceRecordOffset] = m_mirror.mouseZoneSlot.Get();
    DeviceBody body{};
    std::ranges::copy(m_mirror.keySlots[0], body.begin());
    std::ranges::copy(staging, body.begin() + kDeviceRecordOffset);
    return body;
}

std::vector<std::uint8_t> ProfileStore::StageBody(ProfileCategory category) {
    switch (category) {
        case ProfileCategory::Device: {
            const DeviceBody body = StageDeviceBody();
            return {body.begin(), body.end()};
        }
        case ProfileCategory::Lighting: {
            const lighting::LightingBody body = lighting::StageLightingBody(m_mirror);
            return {body.begin(), body.end()};
        }
        case ProfileCategory::Key:
            return {m_mirror.keySlots[0].begin(), m_mirror.keySlots[0].end()};
    }
    return {};
}

bool ProfileStore::Save(ProfileCategory category) {
    const std::string name = SelectedName(category);
    const std::vector<std::uint8_t> body = StageBody(category);
    const std::optional<std::filesystem::path> file = FileOf(category, name);
    if (!file) {
        platform::DebugOutput::Write(std::string(kWriteFailedText) + " profile store: the name \"" +
                                     name + "\" cannot name a file; not written");
        return false;
    }
    return WriteProfileFile(*file, body, kTypeCode, m_faultHook);
}

int ProfileStore::SetAsideUnreadableFiles() {
    int setAside = platform::SetAsideIniIfNotText(m_ini.Path()) ? 1 : 0;
    for (const ProfileCategoryInfo& info : kProfileCategories) {
        for (const std::string& name : Names(info.category)) {
            const std::optional<std::filesystem::path> file = FileOf(info.category, name);
            if (!file) {
                continue;
            }
            const platform::FileContents contents =
                platform::ReadRegularFile(*file, kProfileHeaderSize + info.bodyLength);
            if (contents.status != platform::FileReadStatus::Ok &&
                contents.status != platform::FileReadStatus::TooLarge) {
                continue;
            }
            if (const auto fault = ProfileFileFault(contents.bytes, info.bodyLength);
                fault && platform::SetAsideUnreadable(*file, *fault)) {
                ++setAside;
            }
        }
    }
    return setAside;
}

std::optional<ProfileReadResult> ProfileStore::CreateFirstProfile(ProfileCategory category) {
    const ProfileCategoryInfo& info = CategoryInfo(category);
    std::vector<std::uint8_t> body(info.bodyLength, 0);
    const ProfileReadResult read = ReadDefault(category, body);
    if (read != ProfileReadResult::Loaded) {
        ReportLoad(read, DefaultFileOf(category).string());
        return read;
    }
    if (const auto file = FileOf(category, kFirstProfileName)) {
        static_cast<void>(WriteProfileFile(*file, body, kTypeCode, m_faultHook));
    }
    // The list in one replacement of msProfile.ini: a start killed in
    // between leaves it empty, to be filled again, never counted without
    // its name.
    const std::array<platform::IniValue, 4> list{{
        {std::string(info.countSection), std::string(kCountKey), "1"},
        {std::string(info.linkFlagSection), "0", "0"},
        {std::string(info.nameSection), "0", std::string(kFirstProfileName)},
        {std::string(info.selectSection), std::string(kSelectKey), "0"},
    }};
    static_cast<void>(m_ini.WriteValues(list));
    return std::nullopt;
}

ProfileStore::ListNames ProfileStore::InitProfileLists() {
    ListNames lists;
    for (const ProfileCategoryInfo& info : kProfileCategories) {
        const int count = Count(info.category);
        if (count == 0) {
            if (const auto failure = CreateFirstProfile(info.category)) {
                lists.failure = failure;
                lists.failedCategory = info.category;
                return lists;
            }
        } else if (count < 0) {
            platform::DebugOutput::Write("profile store: the " + std::string(info.name) +
                                         " list has a count of " + Decimal(count) +
                                         "; it is shown empty");
        }
        lists.names[static_cast<std::size_t>(info.category)] = Names(info.category);
    }
    return lists;
}

}  // namespace varlok::profiles
