#pragma once

// What the fuzz targets share: a scratch folder per process and a check that
// stops the run, so that libFuzzer keeps the input that broke a promise.

#include <linux/magic.h>
#include <sys/statfs.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>

namespace varlok::fuzz {

// Prints the failed condition and aborts; libFuzzer saves the input.
[[noreturn]] inline void CheckFailed(const char* condition, const char* file, int line) {
    std::fprintf(stderr, "%s:%d: check failed: %s\n", file, line, condition);
    std::abort();
}

// Whether files below `folder` live in memory (tmpfs or ramfs).
inline bool InMemory(const std::filesystem::path& folder) {
    struct statfs about {};
    return ::statfs(folder.c_str(), &about) == 0 &&
           (about.f_type == TMPFS_MAGIC || about.f_type == RAMFS_MAGIC);
}

// Where the scratch folder goes: $TMPDIR (else /tmp) when it is in memory,
// else /dev/shm, else $XDG_RUNTIME_DIR, so that the targets that write files
// run at the pace of memory however they are started. A disk is the last
// resort, and said so.
inline std::filesystem::path ScratchBase() {
    std::error_code error;
    const std::filesystem::path temporary = std::filesystem::temp_directory_path(error);
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    for (const std::filesystem::path& candidate :
         {temporary, std::filesystem::path("/dev/shm"),
          std::filesystem::path(runtime != nullptr ? runtime : "")}) {
        if (!candidate.empty() && ::access(candidate.c_str(), W_OK) == 0 && InMemory(candidate)) {
            return candidate;
        }
    }
    std::fprintf(stderr, "varlok fuzz: no folder in memory; the disk sets the pace\n");
    return error ? std::filesystem::path("/tmp") : temporary;
}

// A folder of this process below ScratchBase, made on first use and
// removed with everything in it when the process ends normally.
inline const std::filesystem::path& ScratchFolder() {
    struct Folder {
        Folder() {
            std::string pattern = (ScratchBase() / "varlok-fuzz-XXXXXX").string();
            if (::mkdtemp(pattern.data()) == nullptr) {
                std::perror("varlok fuzz: mkdtemp");
                std::abort();
            }
            path = pattern;
        }
        ~Folder() {
            std::error_code ignored;
            std::filesystem::remove_all(path, ignored);
        }
        std::filesystem::path path;
    };
    static const Folder folder;
    return folder.path;
}

inline void WriteFile(const std::filesystem::path& path, std::string_view bytes) {
    std::ofstream stream(path, std::ios::binary | std::ios::trunc);
    stream.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream stream(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>()};
}

}  // namespace varlok::fuzz

#define VARLOK_FUZZ_CHECK(condition)    \
    ((condition) ? static_cast<void>(0) \
                 : ::varlok::fuzz::CheckFailed(#condition, __FILE__, __LINE__))
