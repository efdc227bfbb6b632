#pragma once

#include <chrono>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "platform/filedescriptor.h"

namespace varlok::platform {

// Blocking helpers for a Unix stream socket of a peer on this machine (a
// compositor's IPC socket). Every read waits at most the given time, so that
// a peer that stops answering never holds a caller for good. Any thread.

// A socket connected to the file-system path; not Valid() when nobody
// listens there (or the path does not fit a socket address).
[[nodiscard]] FileDescriptor ConnectLocalSocket(const std::string& path);

// Writes all of bytes; false when the peer went away.
[[nodiscard]] bool SendAll(int fd, std::string_view bytes);

// Reads exactly size bytes, each wait at most timeout; nothing when the peer
// closed the stream, failed or did not send in time.
[[nodiscard]] std::optional<std::string> ReceiveExactly(int fd, std::size_t size,
                                                        std::chrono::milliseconds timeout);

// Reads what the peer sends until it closes the stream, at most limit bytes
// (more is a failure), each wait at most timeout; nothing on a failure.
[[nodiscard]] std::optional<std::string> ReceiveUntilClosed(int fd, std::size_t limit,
                                                            std::chrono::milliseconds timeout);

// Reads what is there now, at most limit bytes (waiting at most timeout for
// the first); "" once the peer closed the stream, nothing on a failure.
[[nodiscard]] std::optional<std::string> ReceiveAvailable(int fd, std::size_t limit,
                                                          std::chrono::milliseconds timeout);

}  // namespace varlok::platform
