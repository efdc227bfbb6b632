#include "profiles/profilefile.h"

#include <algorithm>
#include <array>
#include <mutex>

#include "platform/debugoutput.h"
#include "platform/pathmutex.h"

namespace varlok::profiles {

namespace {

constexpr std::string_view kWriteFailedText = "文件打开失败";

}  // namespace

ProfileReadResult ReadProfileFile(const std::filesystem::path& path, std::span<std::uint8_t> body) {
    // Only plain files, and no further than the body: a folder, a pipe or a
    // device chosen for import would fail or never end.
    const platform::FileContents contents =
        platform::ReadRegularFile(path, kProfileHeaderSize + body.size());
    if (contents.status != platform::FileReadStatus::Ok &&
        contents.status != platform::FileReadStatus::TooLarge) {
        return ProfileReadResult::Missing;
    }
    // A header cut short reads as zeros, so it lacks the magic unless its
    // first two bytes hold it.
    std::array<std::uint8_t, 2> magicBytes{};
    std::copy_n(contents.bytes.begin(), std::min(contents.bytes.size(), magicBytes.size()),
                magicBytes.begin());
    const auto magic = static_cast<std::uint16_t>(magicBytes[0] | (magicBytes[1] << 8));
    if (magic != kProfileMagic) {
        return ProfileReadResult::BadMagic;
    }
    // Read as far as the file goes; the rest of the body stays as it was.
    if (contents.bytes.size() > kProfileHeaderSize) {
        std::copy(contents.bytes.begin() + static_cast<std::ptrdiff_t>(kProfileHeaderSize),
                  contents.bytes.end(), body.begin());
    }
    return ProfileReadResult::Loaded;
}

std::string EncodeProfileFile(std::span<const std::uint8_t> body, std::uint16_t typeCode) {
    std::string bytes(kProfileHeaderSize, '\0');
    bytes[0] = static_cast<char>(kProfileMagic & 0xFF);
    bytes[1] = static_cast<char>(kProfileMagic >> 8);
    bytes[kTypeCodeOffset] = static_cast<char>(typeCode & 0xFF);
    bytes[kTypeCodeOffset + 1] = static_cast<char>(typeCode >> 8);
    bytes.append(body.begin(), body.end());
    return bytes;
}

bool WriteProfileFile(const std::filesystem::path& path, std::span<const std::uint8_t> body,
                      std::uint16_t typeCode, const platform::AtomicWriteFaultHook& faultHook) {
    const auto mutex = platform::MutexForPath(platform::CanonicalFilePath(path));
    const std::lock_guard lock(*mutex);
    if (!platform::ReplaceFileAtomically(path, EncodeProfileFile(body, typeCode), faultHook)) {
        platform::DebugOutput::Write(std::string(kWriteFailedText) + " " + path.string());
        return false;
    }
    return true;
}

}  // namespace varlok::profiles
