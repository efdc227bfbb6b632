#include "profiles/applicationlinks.h"

#include "platform/entrynames.h"

namespace varlok::profiles {

ApplicationLink ReadApplicationLink(const platform::IniFile& ini, ProfileCategory category,
                                    int index) {
    return ApplicationLink{
        ini.ReadInt(CategoryInfo(category).linkFlagSection, std::to_string(index)) == 1,
        ReadLinkedPath(ini, category, index)};
}

std::string ReadLinkedPath(const platform::IniFile& ini, ProfileCategory category, int index) {
    return ini.FindWhole(CategoryInfo(category).linkPathSection, std::to_string(index))
        .value_or("");
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
