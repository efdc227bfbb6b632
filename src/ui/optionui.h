#pragma once

// A button with a selected state. Options sharing a group name in one window
// deselect each other; a click selects a grouped option (a selected one stays
// selected) and toggles an option without a group.

#include "ui/buttonui.h"

namespace varlok::ui {

class COptionUI : public CButtonUI {
public:
    ~COptionUI() override;
    [[nodiscard]] std::string_view GetClass() const override;

    [[nodiscard]] bool IsSelected() const { return m_selected; }
    // Sets the state. Only when it changes and triggerEvent is set is
    // "selectchanged" sent (for this option, and for each option of the group
    // that selecting this one deselects).
    virtual void Selected(bool selected, bool triggerEvent = false);
    [[nodiscard]] const std::string& GetGroup() const { return m_group; }
    void SetGroup(std::string_view group);

    void SetSelectedImage(std::string_view image);
    void SetSelectedHotImage(std::string_view image);
    void SetSelectedTextColor(Argb colour);
    void SetSelectedBkColor(Argb colour);

    // A user click: "click", then the selection with its notifications.
    void Activate() override;
    void SetAttribute(std::string_view name, std::string_view value) override;
    void SetManager(CPaintManagerUI* manager, CContainerUI* parent, bool init = true) override;
    void PaintBkColor(PaintContext& context) override;
    void PaintStatusImage(PaintContext& context) override;

protected:
    [[nodiscard]] Argb CurrentTextColor() const override;

private:
    bool m_selected = false;
    std::string m_group;
    std::string m_selectedImage;
    std::string m_selectedHotImage;
    Argb m_selectedTextColor = 0;
    Argb m_selectedBkColor = 0;
};

}  // namespace varlok::ui
