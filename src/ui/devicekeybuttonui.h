#pragma once

// A key of a keyboard picture: a button that can show a coloured light over
// itself and a mark for a key with an assigned function.

#include <atomic>
#include <string>

#include "ui/buttonui.h"

namespace varlok::ui {

class CDeviceKeyButtonUI : public CButtonUI {
public:
    [[nodiscard]] std::string_view GetClass() const override;
    // Keys take no part in the button's own initialisation.
    void DoInit() override {}

    // Stores the light without repainting at once: a change marks the key
    // (MarkForRepaint), and the window's periodic RepaintChanged shows it.
    // Safe from any thread: a paint that runs meanwhile shows a mix of old
    // and new values for one frame. Setting the light the key already shows
    // marks nothing. colour is handed to CRenderEngine::DrawImageString as is.
    void SetLight(Argb colour, int level, bool lit);
    [[nodiscard]] Argb GetLightColor() const { return m_lightColour.load(); }
    [[nodiscard]] int GetLightLevel() const { return m_lightLevel.load(); }
    [[nodiscard]] bool IsLit() const { return m_lit.load(); }
    // UI thread; repaints only when the value changes.
    void SetKeySetHidden(bool hidden);
    [[nodiscard]] bool IsKeySetHidden() const { return m_keySetHidden; }
    [[nodiscard]] const std::string& GetLightImage() const { return m_lightImage; }
    [[nodiscard]] const std::string& GetKeySetImage() const { return m_keySetImage; }

    // lightimage, keysetimage (both repaint) and gmnametextcolor (accepted
    // and ignored: the key's name is not drawn here), names compared without
    // regard to case; the rest goes to CButtonUI.
    void SetAttribute(std::string_view name, std::string_view value) override;
    // The button's status image, then the light when lit (tinted by the
    // light's colour and level), then the key-set mark unless hidden.
    void PaintStatusImage(PaintContext& context) override;

private:
    std::string m_lightImage;
    std::string m_keySetImage;
    bool m_keySetHidden = true;
    std::atomic<bool> m_lit = false;
    std::atomic<Argb> m_lightColour = 255;
    std::atomic<int> m_lightLevel = 200;
};

}  // namespace varlok::ui
