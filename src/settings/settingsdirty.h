#pragma once

#include <atomic>

namespace varlok::settings {

// The flag that makes the next settings flush send the SettingsRecord:
// set by every page handler that changes the record, taken by the flush.
// Thread-safe.
class SettingsDirty {
public:
    // MarkSettingsDirty.
    void Mark() { m_set.store(true, std::memory_order_release); }
    [[nodiscard]] bool IsSet() const { return m_set.load(std::memory_order_acquire); }
    // Clears the flag; true when it was set. A Mark after Take is kept for
    // the next flush.
    [[nodiscard]] bool Take() { return m_set.exchange(false, std::memory_order_acq_rel); }

private:
    std::atomic<bool> m_set{false};
};

}  // namespace varlok::settings
