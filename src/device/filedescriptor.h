#pragma once

#include "platform/filedescriptor.h"

namespace varlok::device {

using platform::FileDescriptor;

}  // namespace varlok::device
