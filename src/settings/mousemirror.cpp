#include "settings/mousemirror.h"

#include <algorithm>

namespace varlok::settings {

FactoryKeyMap BuiltInFactoryKeyMap() {
    constexpr std::array<std::array<std::uint8_t, kKeyEntrySize>, 6> kKeys{{
        {0x10, 0x01, 0x00},  // left button
        {0x10, 0x04, 0x00},  // middle button
        {0x10, 0x02, 0x00},  // right button
        {0x10, 0x10, 0x00},  // forward
        {0x10, 0x08, 0x00},  // back
        {0x13, 0x03, 0x00},  // DPI cycle
    }};
    FactoryKeyMap map{};
    std::fill_n(map.begin(), kKeyTableUsed, kUnusedKeyByte);
    for (std::size_t key = 0; key < kKeys.size(); ++key) {
        std::ranges::copy(kKeys[key],
                          map.begin() + static_cast<std::ptrdiff_t>(key * kKeyEntrySize));
    }
    return map;
}

}  // namespace varlok::settings
