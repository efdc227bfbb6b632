#include "ui/customcontrols.h"

#include <memory>

#include "ui/chartviewui.h"
#include "ui/circleprogressui.h"
#include "ui/controlfactory.h"
#include "ui/devicekeybuttonui.h"
#include "ui/wndui.h"

namespace varlok::ui {

void RegisterCustomControls() {
    CControlFactory& factory = CControlFactory::GetInstance();
    factory.RegistControl("CCircleProgressUI",
                          [] { return std::make_unique<CCircleProgressUI>(); });
    factory.RegistControl("CChartViewUI", [] { return std::make_unique<CChartViewUI>(); });
    factory.RegistControl("CWndUI", [] { return std::make_unique<CWndUI>(); });
    factory.RegistControl("CDeviceKeyButtonUI",
                          [] { return std::make_unique<CDeviceKeyButtonUI>(); });
}

}  // namespace varlok::ui
