#pragma once

#include <mutex>

#include "platform/foregroundprogram.h"

namespace varlok::platform {

// The program in front as a test sets it.
class FakeForegroundProgram : public ForegroundProgram {
public:
    explicit FakeForegroundProgram(ForegroundSupport support = ForegroundSupport::Available)
        : m_support(support) {}

    // Puts a window of the program at path in front (empty: none); signals
    // Changed() when that is a change.
    void BringToFront(std::string path);

    [[nodiscard]] ForegroundSupport Support() const override { return m_support; }
    [[nodiscard]] std::string Path() const override;
    [[nodiscard]] Event& Changed() override { return m_changed; }

private:
    const ForegroundSupport m_support;
    mutable std::mutex m_mutex;
    std::string m_path;
    Event m_changed{false, false};
};

}  // namespace varlok::platform
