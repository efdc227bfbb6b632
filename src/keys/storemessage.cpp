#include "keys/storemessage.h"

namespace varlok::keys {

std::string FormatStoreMessage(std::string_view text, std::optional<int> number) {
    std::string result(text);
    const std::size_t slot = result.find("%d");
    if (number && slot != std::string::npos) {
        result.replace(slot, 2, std::to_string(*number));
    }
    return result;
}

}  // namespace varlok::keys
