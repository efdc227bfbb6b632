#pragma once

#include <functional>
#include <thread>

#include "platform/filedescriptor.h"

namespace varlok::platform {

// A thread of its own that sleeps in poll() on one descriptor (a compositor's
// socket, an X connection) and runs a handler whenever it is readable, until
// the handler says the stream is done or the watch is destroyed. Nothing runs
// while nothing arrives.
class SocketWatch {
public:
    // Called on the watch's thread; false ends the watch (the peer is gone).
    using Handler = std::function<bool()>;

    SocketWatch();
    // Wakes the thread and joins it.
    ~SocketWatch();
    SocketWatch(const SocketWatch&) = delete;
    SocketWatch& operator=(const SocketWatch&) = delete;

    // Starts watching fd, which must stay open until the watch is destroyed.
    // With handleFirst the handler runs once before the first sleep (for data
    // a library read into its own queue already). Once.
    void Start(int fd, Handler handler, bool handleFirst = false);

private:
    void Run(int fd, const Handler& handler, bool handleFirst) const;

    FileDescriptor m_stop;
    std::thread m_thread;
};

}  // namespace varlok::platform
