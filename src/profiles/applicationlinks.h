#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/inifile.h"
#include "profiles/profilecategory.h"

namespace varlok::profiles {

// A list entry's link to a program, as the store's INI file holds it: the
// flag (in the category's link flag section) and the program's full path (in
// its link path section), both keyed by the entry's index.
struct ApplicationLink {
    // The flag reads as the number 1.
    bool linked = false;
    std::string path;
};

[[nodiscard]] ApplicationLink ReadApplicationLink(const platform::IniFile& ini,
                                                  ProfileCategory category, int index);

// The linked path of entry index as stored, whole: a program's path may be
// longer than an INI read gives, and a path cut short names no program.
// "" when there is none.
[[nodiscard]] std::string ReadLinkedPath(const platform::IniFile& ini, ProfileCategory category,
                                         int index);

// The first of the list's `count` entries, in list order, that is linked to
// programPath (compared without regard to case); std::nullopt when none is,
// or when programPath is empty (no program in front).
[[nodiscard]] std::optional<int> LinkedEntryFor(const platform::IniFile& ini,
                                                ProfileCategory category, int count,
                                                std::string_view programPath);

}  // namespace varlok::profiles
