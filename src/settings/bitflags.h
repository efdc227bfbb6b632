#pragma once

#include <type_traits>

namespace varlok::settings {

// Enumerations whose values are single bits opt in to set operations by
// specialising this to true_type.
template <class Enum>
struct IsBitFlags : std::false_type {};

template <class Enum>
concept BitFlags = std::is_enum_v<Enum> && IsBitFlags<Enum>::value;

template <BitFlags Enum>
[[nodiscard]] constexpr Enum operator|(Enum a, Enum b) {
    using Bits = std::underlying_type_t<Enum>;
    return static_cast<Enum>(static_cast<Bits>(a) | static_cast<Bits>(b));
}

template <BitFlags Enum>
[[nodiscard]] constexpr Enum operator&(Enum a, Enum b) {
    using Bits = std::underlying_type_t<Enum>;
    return static_cast<Enum>(static_cast<Bits>(a) & static_cast<Bits>(b));
}

template <BitFlags Enum>
constexpr Enum& operator|=(Enum& a, Enum b) {
    return a = a | b;
}

// Whether `set` holds any bit of `flags`.
template <BitFlags Enum>
[[nodiscard]] constexpr bool HasAny(Enum set, Enum flags) {
    return static_cast<std::underlying_type_t<Enum>>(set & flags) != 0;
}

// `set` without the bits of `flags`.
template <BitFlags Enum>
[[nodiscard]] constexpr Enum Without(Enum set, Enum flags) {
    using Bits = std::underlying_type_t<Enum>;
    return static_cast<Enum>(static_cast<Bits>(set) & ~static_cast<Bits>(flags));
}

}  // namespace varlok::settings
