#pragma once

// Profile names follow the rules of every entry name of the stores (see
// platform/entrynames.h); these are the names the profile store uses.

#include "platform/entrynames.h"

namespace varlok::profiles {

inline constexpr std::size_t kMaxProfileNameBytes = platform::kMaxEntryNameBytes;
using ProfileNameProblem = platform::EntryNameProblem;
using platform::SameNameIgnoringCase;

[[nodiscard]] inline ProfileNameProblem CheckProfileName(std::string_view name) {
    return platform::CheckEntryName(name);
}
[[nodiscard]] inline bool IsSafeProfileName(std::string_view name) {
    return platform::IsSafeEntryName(name);
}
[[nodiscard]] inline std::optional<std::filesystem::path> ProfileFilePath(
    const std::filesystem::path& folder, std::string_view name, std::string_view extension) {
    return platform::EntryFilePath(folder, name, extension);
}

}  // namespace varlok::profiles
