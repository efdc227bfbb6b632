#pragma once

#include <string>

#include "keys/storemessage.h"

namespace varlok::tools {

// A store's refusal (macros too large, ...) as varlok words it in English.
[[nodiscard]] std::string DescribeStoreMessage(const keys::StoreMessage& message);

}  // namespace varlok::tools
