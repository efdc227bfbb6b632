#pragma once

#include "platform/foregroundprogram.h"

namespace varlok::platform {

// A backend that learns nothing by itself: Path() stays empty and Changed()
// never fires. It stands where no backend applies (Support() says why), and
// where a helper inside the compositor reports the program in front through
// the bus service instead (ThroughHelper). Any thread.
class SilentForegroundProgram : public ForegroundProgram {
public:
    explicit SilentForegroundProgram(ForegroundSupport support) : m_support(support) {}

    [[nodiscard]] ForegroundSupport Support() const override { return m_support; }
    [[nodiscard]] std::string Path() const override { return {}; }
    [[nodiscard]] Event& Changed() override { return m_never; }

protected:
    // For a derived backend's constructor, before any other thread sees it.
    void SetSupport(ForegroundSupport support) { m_support = support; }

private:
    ForegroundSupport m_support;
    Event m_never{false, false};
};

}  // namespace varlok::platform
