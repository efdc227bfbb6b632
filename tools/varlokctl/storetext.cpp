#include "varlokctl/storetext.h"

#include <array>
#include <string_view>
#include <utility>

namespace varlok::tools {

std::string DescribeStoreMessage(const keys::StoreMessage& message) {
    static constexpr std::array<std::pair<std::string_view, std::string_view>, 4> kTexts{{
        {keys::kNoMemoryMessage, "there is not enough memory to prepare the data for the mouse"},
        {keys::kScriptTableTooLongMessage,
         "the cursor scripts are too long for the mouse (at most 3072 bytes)"},
        {keys::kCapacityMessage,
         "the macros do not fit into the mouse's memory; number of actions to remove: at least "
         "%d"},
        {keys::kMacroLimitMessage, "you can keep at most %d macros"},
    }};
    for (const auto& [key, text] : kTexts) {
        if (key == message.key) {
            return keys::FormatStoreMessage(text, message.number);
        }
    }
    return message.key;
}

}  // namespace varlok::tools
