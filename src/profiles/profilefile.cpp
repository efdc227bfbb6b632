#include "profiles/profilefile.h"

#include <algorithm>
#include <mutex>

#include "platform/atomicfile.h"
#include "platform/debugoutput.h"
#include "platform/pathmutex.h"

namespace varlok::profiles {

namespace {

bool HasMagic(std::string_view bytes) {
    // A header cut short lacks the magic unless its first two bytes hold it.
    return bytes.size() >= 2 &&
           static_cast<std::uint16_t>(static_cast<std::uint8_t>(bytes[0]) |
                                      (static_cast<std::uint8_t>(bytes[1]) << 8)) == kProfileMagic;
}

struct BodyRead {
    ProfileReadResult result = ProfileReadResult::Missing;
    // How much of the body the file held.
    std::size_t bodyBytes = 0;
};

BodyRead ReadBody(const std::filesystem::path& path, std::span<std::uint8_t> body) {
    // Only as much as a profile holds, and only from a plain file: a folder,
    // a pipe or a device chosen for import would fail, never end or never
    // run out.
    const platform::FileContents file =
        platform::ReadRegularFile(path, kProfileHeaderSize + body.size());
    // A longer file is read as far as a profile goes.
    if (file.status != platform::FileReadStatus::Ok &&
        file.status != platform::FileReadStatus::TooLarge) {
        return {};
    }
    const std::string& bytes = file.bytes;
    if (!HasMagic(bytes)) {
        return {ProfileReadResult::BadMagic, 0};
    }
    // As far as the file goes; the rest of the body stays as it was.
    const std::size_t bodyBytes =
        bytes.size() > kProfileHeaderSize ? bytes.size() - kProfileHeaderSize : 0;
    std::copy_n(bytes.begin() + kProfileHeaderSize, bodyBytes, body.begin());
    return {ProfileReadResult::Loaded, bodyBytes};
}

}  // namespace

ProfileReadResult ReadProfileFile(const std::filesystem::path& path, std::span<std::uint8_t> body) {
    return ReadBody(path, body).result;
}

ProfileReadResult ReadImportedProfileFile(const std::filesystem::path& path,
                                          std::span<std::uint8_t> body) {
    const BodyRead read = ReadBody(path, body);
    if (read.result == ProfileReadResult::Loaded && read.bodyBytes < body.size()) {
        return ProfileReadResult::BadMagic;
    }
    return read.result;
}

std::optional<std::string> ProfileFileFault(std::string_view bytes, std::size_t bodyLength) {
    if (!HasMagic(bytes)) {
        return "no profile file (wrong magic)";
    }
    if (bytes.size() < kProfileHeaderSize + bodyLength) {
        return std::to_string(bytes.size()) + " bytes, less than the " +
               std::to_string(kProfileHeaderSize + bodyLength) + " of a profile";
    }
    return std::nullopt;
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
