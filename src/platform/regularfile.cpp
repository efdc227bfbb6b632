#include "platform/regularfile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/filedescriptor.h"

namespace varlok::platform {

FileContents ReadRegularFileStart(const std::filesystem::path& path, std::size_t maxBytes) {
    // Without O_NONBLOCK opening a FIFO would wait for a writer.
    const FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (!file.Valid()) {
        return {errno == ENOENT ? FileReadStatus::Missing : FileReadStatus::Error, {}};
    }
    struct stat info {};
    if (::fstat(file.Get(), &info) != 0 || !S_ISREG(info.st_mode)) {
        return {FileReadStatus::Error, {}};
    }
    std::string bytes(maxBytes, '\0');
    std::size_t filled = 0;
    while (filled < maxBytes) {
        const ssize_t got = ::read(file.Get(), bytes.data() + filled, maxBytes - filled);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            return {FileReadStatus::Error, {}};
        }
        if (got == 0) {
            break;
        }
        filled += static_cast<std::size_t>(got);
    }
    bytes.resize(filled);
    return {FileReadStatus::Ok, std::move(bytes)};
}

}  // namespace varlok::platform
