#pragma once

// A single-line text edit. The user's typing sends "textchanged" on every
// change, focus changes send "setfocus"/"killfocus" and Enter sends "return".
// SetText from code sends nothing.

#include "ui/labelui.h"

namespace varlok::ui {

class CEditUI : public CLabelUI {
public:
    CEditUI();
    ~CEditUI() override;
    [[nodiscard]] std::string_view GetClass() const override;

    [[nodiscard]] std::string GetText() const override;
    void SetText(std::string_view text) override;
    void SetMaxChar(int count);
    [[nodiscard]] int GetMaxChar() const { return m_maxChar; }
    void SetReadOnly(bool readOnly);
    [[nodiscard]] bool IsReadOnly() const { return m_readOnly; }
    void SetNumberOnly(bool numberOnly);
    [[nodiscard]] bool IsNumberOnly() const { return m_numberOnly; }
    void SetPasswordMode(bool password);
    // Grey hint shown while the edit is empty.
    void SetPromptText(std::string_view text);

    void SetAttribute(std::string_view name, std::string_view value) override;
    void SetPos(const UiRect& rc) override;
    void SetEnabled(bool enabled = true) override;
    void SetFocus() override;
    void DoEvent(TEventUI& event) override;
    void PaintText(PaintContext& context) override;
    // None: the text is the user's, drawn by the edit box itself.
    [[nodiscard]] std::optional<TextPlacement> GetTextPlacement() const override;
    void PaintBorder(PaintContext& context) override;

    // Called by the Qt layer when the user changed the text.
    void OnUserTextChanged();

private:
    void ApplyLook();
    int m_maxChar = 255;
    bool m_readOnly = false;
    bool m_numberOnly = false;
    bool m_password = false;
    std::string m_prompt;
    Argb m_focusBorderColor = 0;
};

}  // namespace varlok::ui
