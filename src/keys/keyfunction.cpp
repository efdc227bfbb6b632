#include "keys/keyfunction.h"

namespace varlok::keys {

KeyFunction KeyEntry(std::span<const std::uint8_t, settings::kKeyTableSize> table,
                     std::size_t key) {
    const std::size_t at = key * KeyFunction::kSize;
    return {table[at], table[at + 1], table[at + 2]};
}

void SetKeyEntry(std::span<std::uint8_t, settings::kKeyTableSize> table, std::size_t key,
                 const KeyFunction& function) {
    const std::size_t at = key * KeyFunction::kSize;
    table[at] = function.type;
    table[at + 1] = function.p1;
    table[at + 2] = function.p2;
}

}  // namespace varlok::keys
