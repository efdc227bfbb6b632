#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

namespace varlok::platform {

// The steps of an atomic file replacement, in order; a fault hook may fail any.
enum class AtomicWriteStep { CreateTemporary, WriteData, SyncFile, Rename, SyncFolder };

// Called before each step; returning false makes that step fail as a disk error
// would. Lets tests simulate a full or failing disk. Empty means no faults.
using AtomicWriteFaultHook = std::function<bool(AtomicWriteStep)>;

// For test and soak programs: a fault hook that every ReplaceFileAtomically of
// the process goes through after the caller's own, told the file it replaces,
// whatever store writes, so that a whole window can meet a full disk or a
// folder it may not write. None unless set, and the programs never set one;
// an empty hook ends it. Any thread; a write already under way may still see
// the hook it started with.
using ProcessWriteFaultHook =
    std::function<bool(const std::filesystem::path& target, AtomicWriteStep step)>;
void SetProcessWriteFaults(ProcessWriteFaultHook hook);

enum class FileReadStatus {
    Ok,
    Missing,
    Error,
    // The file holds more than the reader's bound (ReadRegularFile).
    TooLarge,
};

struct FileContents {
    FileReadStatus status = FileReadStatus::Missing;
    std::string bytes;
};

// Reads a whole file. Missing when nothing exists at the path; Error when it
// exists but cannot be read (a folder, no permission, an I/O error).
[[nodiscard]] FileContents ReadWholeFile(const std::filesystem::path& path);

// Reads a file the user chose (an import), which may be anything: only a
// regular file is read (a symbolic link to one counts), and at most maxBytes
// of it. Missing when nothing exists at the path; Error for a folder, pipe,
// socket or device (reading those may block or never end) and for a file
// that cannot be read; TooLarge, with its first maxBytes in bytes, when the
// file holds more. Never blocks on the open or the read.
[[nodiscard]] FileContents ReadRegularFile(const std::filesystem::path& path, std::size_t maxBytes);

// Replaces `target` with `bytes` so that a crash or a failing disk leaves either
// the old or the new file, never a torn one: writes a temporary file in the same
// folder, syncs it, renames it over the target and syncs the folder. Keeps the
// permission bits of an existing target. Returns false, with the old file intact
// and no temporary left behind, when any step up to the rename fails. A failing
// folder sync after the rename is written to DebugOutput but counts as success:
// the new content is in place and readers see it. Not thread-safe for the same
// target; callers serialise (see MutexForPath).
[[nodiscard]] bool ReplaceFileAtomically(const std::filesystem::path& target,
                                         std::string_view bytes,
                                         const AtomicWriteFaultHook& faultHook = {});

// Removes from `folder` the temporary files that ReplaceFileAtomically left
// behind when its program was killed between creating and renaming one
// (".NAME.tmp-PID-N"). Only regular files whose writer is no longer running
// are removed: a write of a live program (this one included) is never
// touched, and nothing else in the folder is. Returns how many were removed;
// a folder that does not exist or cannot be listed removes none.
std::size_t RemoveLeftoverTemporaries(const std::filesystem::path& folder);

}  // namespace varlok::platform
