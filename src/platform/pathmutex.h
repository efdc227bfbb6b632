#pragma once

#include <filesystem>
#include <memory>
#include <mutex>

namespace varlok::platform {

// The process-wide mutex of one file, so that threads working on the same file
// through different objects serialise. Pass the canonical path (see
// CanonicalFilePath): every caller naming the same file gets the same mutex for as
// long as someone holds it. Thread-safe.
[[nodiscard]] std::shared_ptr<std::mutex> MutexForPath(const std::filesystem::path& canonicalPath);

// An absolute path with symbolic links and "." / ".." resolved as far as the path
// exists, so that two spellings of one file compare equal. Never fails: falls back
// to the absolute, then the given, path.
[[nodiscard]] std::filesystem::path CanonicalFilePath(const std::filesystem::path& path);

}  // namespace varlok::platform
