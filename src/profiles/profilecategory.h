#pragma once

#include <array>
#include <cstddef>
#include <string_view>

namespace varlok::profiles {

// The three lists of named mouse profiles.
enum class ProfileCategory {
    Device,    // the whole configuration: key table and settings record (.config)
    Lighting,  // the settings record with the pointer speed and wheel lines (.led)
    Key,       // the key table (.pro)
};

// Where a category keeps its list in msProfile.ini, its files and its
// default: the one table of these names.
struct ProfileCategoryInfo {
    ProfileCategory category;
    // A short name for messages ("device").
    std::string_view name;
    // Sections of msProfile.ini: the count (key "count"), the names (key =
    // entry index), the selection (key "select"), the link flags and the
    // linked programs (key = entry index).
    std::string_view countSection;
    std::string_view nameSection;
    std::string_view selectSection;
    std::string_view linkFlagSection;
    std::string_view linkPathSection;
    // The file of entry "name" is name + extension in the data folder.
    std::string_view extension;
    std::size_t bodyLength;
    // In the installation folder.
    std::string_view defaultFile;
};

inline constexpr std::string_view kCountKey = "count";
inline constexpr std::string_view kSelectKey = "select";

inline constexpr std::array kProfileCategories{
    ProfileCategoryInfo{ProfileCategory::Device, "device", "PROFILEDEVICECOUNT",
                        "PROFILEDEVICENAME", "PROFILEDEVICESELECT", "PROFILELIKEDEVICEEXE",
                        "DEVICEPROCESS", ".config", 576, "msdevicedefault.config"},
    ProfileCategoryInfo{ProfileCategory::Lighting, "lighting", "PROFILEDENGCOUNT",
                        "PROFILEDENGNAME", "PROFILEDENGSELECT", "PROFILELIKEDENGEXE", "DENGPROCESS",
                        ".led", 64, "msdengdefault.led"},
    ProfileCategoryInfo{ProfileCategory::Key, "key", "PROFILECOUNT", "PROFILENAME", "PROFILESELECT",
                        "PROFILELIKEEXE", "PROCESS", ".pro", 512, "mskeydefault.pro"},
};

[[nodiscard]] constexpr const ProfileCategoryInfo& CategoryInfo(ProfileCategory category) {
    return kProfileCategories[static_cast<std::size_t>(category)];
}

// The categories' names and their files' extensions, in the table's order.
inline constexpr auto kProfileCategoryNames = [] {
    std::array<std::string_view, kProfileCategories.size()> names{};
    for (std::size_t i = 0; i < names.size(); ++i) {
        names[i] = kProfileCategories[i].name;
    }
    return names;
}();
inline constexpr auto kProfileExtensions = [] {
    std::array<std::string_view, kProfileCategories.size()> extensions{};
    for (std::size_t i = 0; i < extensions.size(); ++i) {
        extensions[i] = kProfileCategories[i].extension;
    }
    return extensions;
}();

static_assert(CategoryInfo(ProfileCategory::Device).category == ProfileCategory::Device);
static_assert(CategoryInfo(ProfileCategory::Lighting).category == ProfileCategory::Lighting);
static_assert(CategoryInfo(ProfileCategory::Key).category == ProfileCategory::Key);

}  // namespace varlok::profiles
