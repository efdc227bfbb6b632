#pragma once

#include <atomic>
#include <cstdint>

namespace varlok::settings {

// One setting byte that the UI thread and worker threads read and write
// without a lock: each access is whole (a relaxed atomic), and a reader sees
// the old or the new value, which is all the settings ever needed.
class SharedByte {
public:
    constexpr explicit SharedByte(std::uint8_t value = 0) : m_value(value) {}
    SharedByte(const SharedByte&) = delete;
    SharedByte& operator=(const SharedByte&) = delete;

    [[nodiscard]] std::uint8_t Get() const { return m_value.load(std::memory_order_relaxed); }
    void Set(std::uint8_t value) { m_value.store(value, std::memory_order_relaxed); }

private:
    std::atomic<std::uint8_t> m_value;
};

}  // namespace varlok::settings
