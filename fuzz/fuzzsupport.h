#pragma once

// What the fuzz targets share: a scratch folder per process and a check that
// stops the run, so that libFuzzer keeps the input that broke a promise.

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

// A folder of this process in $TMPDIR, made on first use and removed with
// everything in it when the process ends normally.
inline const std::filesystem::path& ScratchFolder() {
    struct Folder {
        Folder() {
            std::string pattern =
                (std::filesystem::temp_directory_path() / "varlok-fuzz-XXXXXX").string();
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
