#include "profiles/profilelisteditor.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "platform/debugoutput.h"
#include "profiles/profilenames.h"

namespace varlok::profiles {

namespace {

constexpr std::string_view kProfileNamePrefix = "profile";
// What a cleared link holds as its path.
constexpr std::string_view kNoLinkPath = " ";

std::string Key(int index) {
    return std::to_string(index);
}

platform::IniValue Value(std::string_view section, std::string key, std::string value) {
    return platform::IniValue{std::string(section), std::move(key), std::move(value)};
}

bool Written(platform::IniWriteResult result, std::string_view what) {
    if (result != platform::IniWriteResult::Ok) {
        platform::DebugOutput::Write("profile lists: " + std::string(what) +
                                     " not written to msProfile.ini");
        return false;
    }
    return true;
}

}  // namespace

bool ProfileListEditor::ListHolds(std::span<const std::string> names, std::string_view name) {
    return std::ranges::any_of(
        names, [name](const std::string& held) { return SameNameIgnoringCase(held, name); });
}

std::string ProfileListEditor::NewProfileName(std::span<const std::string> names) {
    for (std::size_t n = 1;; ++n) {
        std::string name = std::string(kProfileNamePrefix) + std::to_string(n);
        if (!ListHolds(names, name)) {
            return name;
        }
    }
}

std::string ProfileListEditor::CopyName(std::span<const std::string> names, std::string_view base) {
    std::string name = std::string(base) + std::string(kCopySuffix);
    while (ListHolds(names, name)) {
        name += kCopySuffix;
        platform::DebugOutput::Write(name);
    }
    return name;
}

void ProfileListEditor::SavePending() const {
    if (m_model != nullptr) {
        m_model->SavePending();
    }
}

void ProfileListEditor::ListsChanged() const {
    if (m_model != nullptr) {
        m_model->Notify(settings::MouseChange::ProfileLists);
    }
}

ProfileReadResult ProfileListEditor::ReadEntry(ProfileCategory category, std::string_view name,
                                               std::span<std::uint8_t> body) const {
    SavePending();
    std::ranges::fill(body, std::uint8_t{0});
    const auto file = m_store.FileOf(category, name);
    return file ? ReadProfileFile(*file, body) : ProfileReadResult::Missing;
}

bool ProfileListEditor::WriteEntry(ProfileCategory category, std::string_view name,
                                   std::span<const std::uint8_t> body) {
    SavePending();
    const auto file = m_store.FileOf(category, name);
    if (!file) {
        platform::DebugOutput::Write("文件打开失败 profile lists: the name \"" + std::string(name) +
                                     "\" cannot name a file; not written");
        return false;
    }
    return WriteProfileFile(*file, body, ProfileStore::kTypeCode, m_store.FaultHook());
}

void ProfileListEditor::RemoveEntryFile(ProfileCategory category, std::string_view name) {
    SavePending();
    if (const auto file = m_store.FileOf(category, name)) {
        std::error_code error;
        std::filesystem::remove(*file, error);
    }
}

bool ProfileListEditor::AppendEntry(ProfileCategory category, std::span<const std::string> names) {
    const ProfileCategoryInfo& info = CategoryInfo(category);
    const int count = static_cast<int>(names.size());
    const std::vector<platform::IniValue> values{
        Value(info.countSection, std::string(kCountKey), Key(count)),
        Value(info.nameSection, Key(count - 1), names.back()),
        Value(info.linkFlagSection, Key(count - 1), "0")};
    SavePending();
    const bool written = Written(m_store.Ini().WriteValues(values), "the new entry");
    ListsChanged();
    return written;
}

bool ProfileListEditor::RemoveEntry(ProfileCategory category, int removed,
                                    std::span<const std::string> names) {
    SavePending();
    const ProfileCategoryInfo& info = CategoryInfo(category);
    const platform::IniFile& ini = m_store.Ini();
    const int count = static_cast<int>(names.size());
    std::vector<platform::IniValue> values{
        Value(info.countSection, std::string(kCountKey), Key(count))};
    for (int i = 0; i < count; ++i) {
        values.push_back(Value(info.nameSection, Key(i), names[static_cast<std::size_t>(i)]));
        if (i >= removed) {
            // The entries after the removed one keep their links; the last
            // entry's old values stay in the file, beyond the count.
            values.push_back(
                Value(info.linkFlagSection, Key(i), ini.Read(info.linkFlagSection, Key(i + 1))));
            values.push_back(Value(info.linkPathSection, Key(i),
                                   ini.FindWhole(info.linkPathSection, Key(i + 1)).value_or("0")));
        }
    }
    const bool written = Written(m_store.Ini().WriteValues(values), "the shortened list");
    ListsChanged();
    return written;
}

bool ProfileListEditor::AddEntry(ProfileCategory category, std::span<const std::string> names,
                                 std::optional<std::span<const std::uint8_t>> body) {
    if (!body) {
        RemoveEntryFile(category, names.back());
    } else if (!WriteEntry(category, names.back(), *body)) {
        return false;
    }
    if (!AppendEntry(category, names)) {
        // The file would be taken for the entry by the next of that name.
        RemoveEntryFile(category, names.back());
        return false;
    }
    return true;
}

bool ProfileListEditor::DeleteEntry(ProfileCategory category, int removed,
                                    std::span<const std::string> names,
                                    std::string_view removedName) {
    if (!RemoveEntry(category, removed, names)) {
        return false;
    }
    RemoveEntryFile(category, removedName);
    return true;
}

ProfileListEditor::RenameResult ProfileListEditor::Rename(ProfileCategory category, int index,
                                                          std::string_view oldName,
                                                          std::string_view newName) {
    const ProfileCategoryInfo& info = CategoryInfo(category);
    std::vector<std::uint8_t> body(info.bodyLength, 0);
    switch (ReadEntry(category, oldName, body)) {
        case ProfileReadResult::Missing:
            return RenameResult::OldFileMissing;
        case ProfileReadResult::BadMagic:
            return RenameResult::OldFileBadMagic;
        case ProfileReadResult::Loaded:
            break;
    }
    if (!WriteEntry(category, newName, body)) {
        return RenameResult::WriteFailed;
    }
    const int count = m_store.Count(category);
    const std::vector<platform::IniValue> values{
        Value(info.countSection, std::string(kCountKey), Key(count)),
        Value(info.nameSection, Key(index), std::string(newName))};
    if (!Written(m_store.Ini().WriteValues(values), "the new name")) {
        RemoveEntryFile(category, newName);
        return RenameResult::IniFailed;
    }
    // The old file goes only now; on a file system that ignores case the new
    // file may be the old one.
    const auto oldFile = m_store.FileOf(category, oldName);
    const auto newFile = m_store.FileOf(category, newName);
    if (oldFile && newFile && *oldFile != *newFile) {
        std::error_code error;
        std::filesystem::remove(*oldFile, error);
    }
    ListsChanged();
    return RenameResult::Renamed;
}

platform::IniWriteResult ProfileListEditor::WriteLink(ProfileCategory category, int index,
                                                      std::string_view path) {
    const ProfileCategoryInfo& info = CategoryInfo(category);
    const std::vector<platform::IniValue> values{
        Value(info.linkFlagSection, Key(index), path.empty() ? "0" : "1"),
        Value(info.linkPathSection, Key(index), std::string(path.empty() ? kNoLinkPath : path))};
    const platform::IniWriteResult result = m_store.Ini().WriteValues(values);
    static_cast<void>(Written(result, "the program link"));
    return result;
}

}  // namespace varlok::profiles
