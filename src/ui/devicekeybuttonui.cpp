#include "ui/devicekeybuttonui.h"

#include "ui/qt/attributes.h"
#include "ui/qt/convert.h"
#include "ui/qt/paintcontext.h"
#include "ui/renderengine.h"

namespace varlok::ui {

std::string_view CDeviceKeyButtonUI::GetClass() const {
    return "DeviceKeyButton";
}

void CDeviceKeyButtonUI::SetLight(Argb colour, int level, bool lit) {
    // Every value is stored, whatever the others did.
    const bool colourChanged = m_lightColour.exchange(colour) != colour;
    const bool levelChanged = m_lightLevel.exchange(level) != level;
    const bool litChanged = m_lit.exchange(lit) != lit;
    if (colourChanged || levelChanged || litChanged) {
        MarkForRepaint();
    }
}

void CDeviceKeyButtonUI::SetKeySetHidden(bool hidden) {
    if (m_keySetHidden == hidden) {
        return;
    }
    m_keySetHidden = hidden;
    Invalidate();
}

void CDeviceKeyButtonUI::SetAttribute(std::string_view name, std::string_view value) {
    if (attr::Equals(name, "lightimage")) {
        m_lightImage = value;
        Invalidate();
    } else if (attr::Equals(name, "keysetimage")) {
        m_keySetImage = value;
        Invalidate();
    } else if (attr::Equals(name, "gmnametextcolor")) {
        // Layouts carry a colour ("#RRGGBB") for a key name that this
        // control does not draw: accepted and kept away from the button.
    } else {
        CButtonUI::SetAttribute(name, value);
    }
}

void CDeviceKeyButtonUI::PaintStatusImage(PaintContext& context) {
    CButtonUI::PaintStatusImage(context);
    const UiRect paint = qt::ToUiRect(context.PaintRect());
    if (m_lit.load()) {
        CRenderEngine::DrawImageString(context, GetManager(), GetPos(), paint, m_lightImage,
                                       m_lightColour.load(), m_lightLevel.load(), true);
    }
    if (!m_keySetHidden) {
        CRenderEngine::DrawImageString(context, GetManager(), GetPos(), paint, m_keySetImage, 0, 0,
                                       false);
    }
}

}  // namespace varlok::ui
