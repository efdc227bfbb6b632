#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "profiles/applicationlinks.h"
#include "profiles/profilecategory.h"
#include "profiles/profilefile.h"
#include "profiles/profilestore.h"
#include "settings/mousemodel.h"

namespace varlok::profiles {

// The changes of the profile operations to the store: the names they make,
// the entries they add, remove and rename in msProfile.ini and the files
// that go with them, and the entries' program links. Each change of the INI
// file is one atomic write, and every file is written aside and renamed, so
// that the lists and the files never disagree halfway.
//
// Thread affinity: the UI thread (as the store's).
class ProfileListEditor {
public:
    // The text after which a copy's name is made ("a" -> "a copy").
    static constexpr std::string_view kCopySuffix = " copy";

    // store (and model, when given) must outlive the editor. With a model,
    // the saves it holds are written before an entry's file or the lists are
    // touched (so that they land in the entry they were made for and a copy
    // or export holds them), and the lists' changes are told to its views.
    explicit ProfileListEditor(ProfileStore& store, settings::MouseModel* model = nullptr)
        : m_store(store), m_model(model) {}

    [[nodiscard]] ProfileStore& Store() const { return m_store; }

    // "profile" and the smallest n >= 1 that no name of the list has,
    // without regard to case.
    [[nodiscard]] static std::string NewProfileName(std::span<const std::string> names);
    // base + " copy", with " copy" appended again while the list holds it.
    [[nodiscard]] static std::string CopyName(std::span<const std::string> names,
                                              std::string_view base);
    // Whether some name of the list is `name` without regard to case.
    [[nodiscard]] static bool ListHolds(std::span<const std::string> names, std::string_view name);

    // The entry's file into body (cleared first): Missing also for a name
    // that cannot name a file.
    [[nodiscard]] ProfileReadResult ReadEntry(ProfileCategory category, std::string_view name,
                                              std::span<std::uint8_t> body) const;
    // Writes body as the entry's file; false when nothing was written (a name
    // that cannot name a file, or the disk refused).
    bool WriteEntry(ProfileCategory category, std::string_view name,
                    std::span<const std::uint8_t> body);
    // Removes the entry's file (whatever the case of its name on disk).
    void RemoveEntryFile(ProfileCategory category, std::string_view name);

    // The list now holds `names`, the last one new and not linked.
    bool AppendEntry(ProfileCategory category, std::span<const std::string> names);
    // Entry `removed` left the list, which now holds `names`: the names are
    // written anew and the links of the entries after it move up by one.
    bool RemoveEntry(ProfileCategory category, int removed, std::span<const std::string> names);

    // A new entry, the last of `names`, with body as its file. The file is
    // written before the list names the entry, so that a program killed in
    // between leaves a file no entry names, never an entry without its file.
    // Without a body the entry is listed all the same and a file left from an
    // earlier entry of that name is removed. A body the disk refuses, or a
    // list it refuses, adds nothing: no entry, no file. True when the entry
    // is listed.
    bool AddEntry(ProfileCategory category, std::span<const std::string> names,
                  std::optional<std::span<const std::uint8_t>> body);
    // Entry `removed`, named removedName, left the list, which now holds
    // `names`: the list changes first and the file goes last, so that a
    // program killed in between leaves a file no entry names.
    bool DeleteEntry(ProfileCategory category, int removed, std::span<const std::string> names,
                     std::string_view removedName);

    // Why a rename did not happen.
    enum class RenameResult {
        Renamed,
        OldFileMissing,   // the entry's file is missing or unreadable
        OldFileBadMagic,  // the entry's file is not a profile
        WriteFailed,      // the new file could not be written
        IniFailed,        // the list could not be changed; the new file is gone again
    };
    // Renames entry index from oldName to newName (a safe name the list does
    // not hold): the new file is written first, the list's name changes only
    // once it exists, and the old file goes last. On any failure list, INI
    // file and files stay as they were.
    [[nodiscard]] RenameResult Rename(ProfileCategory category, int index, std::string_view oldName,
                                      std::string_view newName);

    [[nodiscard]] ApplicationLink Link(ProfileCategory category, int index) const {
        return ReadApplicationLink(m_store.Ini(), category, index);
    }
    // Stores the link of entry index; an empty path clears it (flag "0" and
    // a single blank as the path). A path the INI file cannot hold (a line
    // break in it) is refused with InvalidValue and nothing is written.
    [[nodiscard]] platform::IniWriteResult WriteLink(ProfileCategory category, int index,
                                                     std::string_view path);
    // Whether one of the list's count entries is linked to path.
    [[nodiscard]] bool IsLinked(ProfileCategory category, int count, std::string_view path) const {
        return LinkedEntryFor(m_store.Ini(), category, count, path).has_value();
    }

private:
    void SavePending() const;
    void ListsChanged() const;

    ProfileStore& m_store;
    settings::MouseModel* m_model = nullptr;
};

}  // namespace varlok::profiles
