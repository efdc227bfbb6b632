#pragma once

#include <string_view>

#include "app/skinobserver.h"

namespace varlok::ui {
class WindowImplBase;
}

namespace varlok::app {

// Shows every published skin choice on one window: its control named
// "root" takes the colour or the picture. Detaches from its publishers when
// destroyed; the window must outlive it. UI thread only.
class WindowSkinReceiver : public SkinReceiver {
public:
    static constexpr std::string_view kRootName = "root";

    explicit WindowSkinReceiver(ui::WindowImplBase& window);

    // Applies the choice to the window's root control. Returns 1.
    int OnSkinChanged(SkinChangedParam param) override;

private:
    ui::WindowImplBase& m_window;
};

}  // namespace varlok::app
