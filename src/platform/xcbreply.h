#pragma once

// Owns what xcb allocates for the caller (replies, events, errors), which is
// freed with free().

#include <cstdlib>
#include <memory>

namespace varlok::platform {

template <class T>
using XcbReply = std::unique_ptr<T, decltype(&std::free)>;

template <class T>
XcbReply<T> Own(T* reply) {
    return XcbReply<T>(reply, &std::free);
}

}  // namespace varlok::platform
