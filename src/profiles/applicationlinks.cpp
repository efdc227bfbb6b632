#include "profiles/applicationlinks.h"

#include "platform/entrynames.h"

namespace varlok::profiles {

ApplicationLink ReadApplicationLink(const platform::IniFile& ini, ProfileCategory category,
                                    int index) {
    const ProfileCategoryInfo& info = CategoryInfo(category);
    const std::string key = std::to_string(index);
    return ApplicationLink{ini.ReadInt(info.linkFlagSection, key) == 1,
                           ini.Read(info.linkPathSection, key, "")};
}

std::optional<int> LinkedEntryFor(const platform::IniFile& ini, ProfileCategory category, int count,
                                  std::string_view programPath) {
    if (programPath.empty()) {
        return std::nullopt;
    }
    for (int index = 0; index < count; ++index) {
        const ApplicationLink link = ReadApplicationLink(ini, category, index);
        if (link.linked && platform::SameNameIgnoringCase(link.path, programPath)) {
            return index;
        }
    }
    return std::nullopt;
}

}  // namespace varlok::profiles
