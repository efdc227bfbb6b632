#pragma once

// The monkey's one source of chance: every choice of a run comes from it, so
// that a seed replays the same actions in the same order.

#include <cstdint>
#include <random>
#include <span>
#include <string>
#include <vector>

namespace varlok::soak {

class MonkeyRandom {
public:
    explicit MonkeyRandom(std::uint64_t seed) : m_engine(seed) {}

    // 0 .. count - 1 (0 when count is 0).
    [[nodiscard]] std::size_t Below(std::size_t count) {
        return count == 0 ? 0 : std::uniform_int_distribution<std::size_t>(0, count - 1)(m_engine);
    }
    [[nodiscard]] int Between(int low, int high) {
        return std::uniform_int_distribution<int>(low, high)(m_engine);
    }
    [[nodiscard]] bool Chance(double share) { return std::bernoulli_distribution(share)(m_engine); }
    template <typename T>
    [[nodiscard]] const T& Pick(std::span<const T> items) {
        return items[Below(items.size())];
    }
    template <typename T>
    [[nodiscard]] const T& Pick(const std::vector<T>& items) {
        return items[Below(items.size())];
    }
    [[nodiscard]] std::vector<std::uint8_t> Bytes(std::size_t count);

    // What users type where a name goes: plain, long, foreign, blank,
    // path-like and INI-like names, sometimes with a number.
    [[nodiscard]] std::string Name();
    // What users type into any edit: names, numbers in and far out of
    // range, nothing.
    [[nodiscard]] std::string Text();

private:
    std::mt19937_64 m_engine;
};

}  // namespace varlok::soak
