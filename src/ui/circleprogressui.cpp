#include "ui/circleprogressui.h"

#include "ui/customcontrolgeometry.h"
#include "ui/renderengine.h"

namespace varlok::ui {

namespace {
constexpr Argb kWhite = MakeArgb(0xFF, 0xFF, 0xFF, 0xFF);
}

std::string_view CCircleProgressUI::GetClass() const {
    return "CircleProgress";
}

void CCircleProgressUI::PaintBkColor(PaintContext& context) {
    CRenderEngine::FillPie(context, GetPos(), 0, 360, GetBkColor());
}

void CCircleProgressUI::PaintForeColor(PaintContext& context) {
    const int sweep = CircleSweepDegrees(GetValue(), GetMinValue(), GetMaxValue());
    if (sweep != 0) {
        CRenderEngine::FillPie(context, GetPos(), kCircleStartDegrees, sweep, GetForeColor());
    }
    CRenderEngine::FillEllipse(context, CircleCentreRect(GetPos()), kWhite);
}

void CCircleProgressUI::PaintForeImage(PaintContext& /*context*/) {}

}  // namespace varlok::ui
