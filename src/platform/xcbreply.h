#pragma once

// Owns what xcb allocates for the caller: replies, events and errors (freed
// with free()), and connections.

#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>

namespace varlok::platform {

template <class T>
using XcbReply = std::unique_ptr<T, decltype(&std::free)>;

template <class T>
XcbReply<T> Own(T* reply) {
    return XcbReply<T>(reply, &std::free);
}

// An X connection, closed with xcb_disconnect().
struct XcbDisconnect {
    void operator()(xcb_connection_t* connection) const { xcb_disconnect(connection); }
};
using XcbConnection = std::unique_ptr<xcb_connection_t, XcbDisconnect>;

}  // namespace varlok::platform
