#pragma once

// A push button: state pictures and colours (normal, hot, pushed, focused,
// disabled) and a "click" notification when pressed and released over it.

#include "ui/labelui.h"

namespace varlok::ui {

class CButtonUI : public CLabelUI {
public:
    // Paints its background its own way.
    [[nodiscard]] bool FillsItsRect() const override { return false; }
    CButtonUI();
    [[nodiscard]] std::string_view GetClass() const override;

    void SetNormalImage(std::string_view image);
    [[nodiscard]] const std::string& GetNormalImage() const { return m_normalImage; }
    void SetHotImage(std::string_view image);
    void SetPushedImage(std::string_view image);
    void SetFocusedImage(std::string_view image);
    void SetDisabledImage(std::string_view image);
    void SetHotBkColor(Argb colour);
    void SetPushedBkColor(Argb colour);
    void SetHotTextColor(Argb colour);
    void SetPushedTextColor(Argb colour);

    [[nodiscard]] bool IsPushed() const { return m_pushed; }

    // What a click does: sends "click". Options add their selection.
    virtual void Activate();

    void SetAttribute(std::string_view name, std::string_view value) override;
    void DoEvent(TEventUI& event) override;
    void PaintBkColor(PaintContext& context) override;
    void PaintStatusImage(PaintContext& context) override;

protected:
    [[nodiscard]] Argb CurrentTextColor() const override;

private:
    std::string m_normalImage;
    std::string m_hotImage;
    std::string m_pushedImage;
    std::string m_focusedImage;
    std::string m_disabledImage;
    Argb m_hotBkColor = 0;
    Argb m_pushedBkColor = 0;
    Argb m_hotTextColor = 0;
    Argb m_pushedTextColor = 0;
    bool m_pushed = false;
};

}  // namespace varlok::ui
