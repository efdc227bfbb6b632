// Arbitrary bytes as a profile file, read into buffers of the three body
// sizes. A file is Loaded exactly when it starts with the magic AA 55 and is
// BadMagic otherwise (never Missing: it is there); the body then holds the
// file's bytes after the 16-byte header as far as the file goes, and the
// buffer's previous contents after that.

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "fuzzsupport.h"
#include "profiles/profilecategory.h"
#include "profiles/profilefile.h"

namespace {

using varlok::profiles::kProfileHeaderSize;
using varlok::profiles::ProfileReadResult;

// What the buffer holds before the read; unlike the zeros of a real caller,
// so that a byte written where the file has none shows.
std::uint8_t Filler(std::size_t index) {
    return static_cast<std::uint8_t>(0xA7 ^ (index * 13));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::filesystem::path path = varlok::fuzz::ScratchFolder() / "profile";
    varlok::fuzz::WriteFile(path, std::string_view(reinterpret_cast<const char*>(data), size));
    const bool magic = size >= 2 && data[0] == 0xAA && data[1] == 0x55;

    for (const auto& category : varlok::profiles::kProfileCategories) {
        std::vector<std::uint8_t> body(category.bodyLength);
        for (std::size_t i = 0; i < body.size(); ++i) {
            body[i] = Filler(i);
        }
        const ProfileReadResult result = varlok::profiles::ReadProfileFile(path, body);
        VARLOK_FUZZ_CHECK(result ==
                          (magic ? ProfileReadResult::Loaded : ProfileReadResult::BadMagic));
        if (result != ProfileReadResult::Loaded) {
            continue;
        }
        for (std::size_t i = 0; i < body.size(); ++i) {
            const std::size_t at = kProfileHeaderSize + i;
            VARLOK_FUZZ_CHECK(body[i] == (at < size ? data[at] : Filler(i)));
        }
    }
    return 0;
}
