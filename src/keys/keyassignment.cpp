#include "keys/keyassignment.h"

namespace varlok::keys {

std::optional<std::size_t> KeyAssignment::ActiveSlotIndex() const {
    const std::size_t active = m_mirror.settingsRecord.ActiveProfile();
    if (active >= settings::kOnboardProfileCount) {
        return std::nullopt;
    }
    return active;
}

std::optional<KeyFunction> KeyAssignment::Entry(std::size_t key) const {
    const auto slot = ActiveSlotIndex();
    if (!slot || key >= kKeyEntryCount) {
        return std::nullopt;
    }
    return KeyEntry(m_mirror.keySlots[*slot], key);
}

KeyFunction KeyAssignment::FactoryEntry(std::size_t key) const {
    return key < kKeyEntryCount ? KeyEntry(m_mirror.factoryKeyMap, key) : KeyFunction{};
}

bool KeyAssignment::IsDefault(std::size_t key) const {
    return Entry(key) == FactoryEntry(key);
}

bool KeyAssignment::Apply(std::size_t key, const KeyFunction& code) {
    const auto slot = ActiveSlotIndex();
    if (!slot || key >= kKeyEntryCount) {
        return false;
    }
    SetKeyEntry(m_mirror.keySlots[*slot], key, code);
    return true;
}

bool KeyAssignment::ResetToDefault(std::size_t key) {
    return key < kKeyEntryCount && Apply(key, FactoryEntry(key));
}

bool KeyAssignment::IsOnlyLeftButton(std::size_t key) const {
    if (Entry(key) != kLeftButton) {
        return false;
    }
    for (std::size_t other = 0; other < kLeftButtonRuleEntries; ++other) {
        if (other != key && Entry(other) == kLeftButton) {
            return false;
        }
    }
    return true;
}

}  // namespace varlok::keys
