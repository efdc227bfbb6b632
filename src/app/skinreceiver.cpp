#include "app/skinreceiver.h"

#include "app/skinsettings.h"
#include "ui/windowimplbase.h"

namespace varlok::app {

WindowSkinReceiver::WindowSkinReceiver(ui::WindowImplBase& window) : m_window(window) {}

int WindowSkinReceiver::OnSkinChanged(SkinChangedParam param) {
    ApplySkinToRoot(m_window.GetPaintManager().FindControl(kRootName), param);
    return 1;
}

}  // namespace varlok::app
