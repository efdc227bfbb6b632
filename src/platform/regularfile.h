#pragma once

#include <cstddef>
#include <filesystem>

#include "platform/atomicfile.h"

namespace varlok::platform {

// Reads the first maxBytes bytes (fewer when the file is shorter) of the
// regular file at path, for files the user names, which may be anything: a
// FIFO, a device such as /dev/zero or a folder is never read, and opening one
// does not wait for a writer, so such a path neither hangs the caller nor
// fills its memory. The check is made on the opened file, not on the name, so
// a file swapped in meanwhile is checked too.
//
// Missing when nothing is at the path; Error when it is not a regular file or
// cannot be read. Any thread.
[[nodiscard]] FileContents ReadRegularFileStart(const std::filesystem::path& path,
                                                std::size_t maxBytes);

}  // namespace varlok::platform
