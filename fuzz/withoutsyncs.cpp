// Linked into the fuzz targets that replace files, unless VARLOK_FUZZ_SYNCS is
// on: syncs that return at once. The atomic replacements the targets drive
// sync each new file and its folder so that a power cut leaves the old or the
// new file; a fuzz run's scratch files need no such promise, and the syncs
// would hold every run to the disk's pace. Defined in the program being
// linked, these take the place of the C library's for each call the program's
// own code makes. Only fuzz targets link this file: the test programs, built
// from the same libraries in the same tree, keep the real syncs.

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace {

// A descriptor that is not open fails as the real sync would.
int SyncNothing(int fd) {
    if (::fcntl(fd, F_GETFD) == -1) {
        errno = EBADF;
        return -1;
    }
    return 0;
}

}  // namespace

extern "C" int fsync(int fd) {
    return SyncNothing(fd);
}

extern "C" int fdatasync(int fd) {
    return SyncNothing(fd);
}
