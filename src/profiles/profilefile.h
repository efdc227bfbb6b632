#pragma once

// The envelope of every profile file (.config, .led, .pro, the defaults and
// exported files): a 16-byte header, then the body, whose length the reader
// knows from the category.
//
//   bytes 0-1    magic 0x55AA, little-endian (AA 55)
//   bytes 2-3    not defined; written as 0, ignored when read
//   bytes 4-5    device type code, little-endian (2 for the mouse)
//   bytes 6-15   not defined; written as 0, ignored when read
//   bytes 16-    the body

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "platform/atomicfile.h"

namespace varlok::profiles {

inline constexpr std::size_t kProfileHeaderSize = 16;
inline constexpr std::uint16_t kProfileMagic = 0x55AA;
inline constexpr std::size_t kTypeCodeOffset = 4;
// The debug text of a profile file or store that could not be written.
inline constexpr std::string_view kWriteFailedText = "文件打开失败";

// The results the callers have always acted on.
enum class ProfileReadResult : int {
    Loaded = 0,
    Missing = 1,    // no file at the path, or it cannot be opened
    BadMagic = -1,  // the file does not start with the magic
};

// Reads the file's body into `body`, which the caller clears first: a file
// shorter than its body leaves the rest of the buffer as it was, and a
// longer one is read only as far as the buffer. The type code is not
// checked. Only a regular file is read, and only its header and body: any
// other kind of file is Missing. Any thread.
[[nodiscard]] ProfileReadResult ReadProfileFile(const std::filesystem::path& path,
                                                std::span<std::uint8_t> body);

// Reads a file the user chose to import, as ReadProfileFile does, except
// that a file without a whole body is BadMagic: a header alone or a file cut
// short would put zeros in place of settings the mouse then runs.
[[nodiscard]] ProfileReadResult ReadImportedProfileFile(const std::filesystem::path& path,
                                                        std::span<std::uint8_t> body);

// Why a profile file's bytes (its first header + bodyLength of them, or all
// of a shorter file) are no profile of a list whose bodies have that length:
// no magic, or less than a whole body, which a write of ours never leaves.
// Nothing for a profile; a longer file is one, read as far as its body goes.
[[nodiscard]] std::optional<std::string> ProfileFileFault(std::string_view bytes,
                                                          std::size_t bodyLength);

// The header and body as they go to disk.
[[nodiscard]] std::string EncodeProfileFile(std::span<const std::uint8_t> body,
                                            std::uint16_t typeCode);

// Writes header and body so that a crash leaves the old file or the new one,
// never a torn one (written aside, then renamed over it). On failure the
// debug output gets "文件打开失败" and the old file stays; false.
[[nodiscard]] bool WriteProfileFile(const std::filesystem::path& path,
                                    std::span<const std::uint8_t> body, std::uint16_t typeCode,
                                    const platform::AtomicWriteFaultHook& faultHook = {});

}  // namespace varlok::profiles
