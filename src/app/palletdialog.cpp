#include "app/palletdialog.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdio>

#include "app/presetcolours.h"
#include "platform/debugoutput.h"
#include "ui/colorpaletteui.h"
#include "ui/controlui.h"

namespace varlok::app {

CPalletDialog::CPalletDialog(std::string layoutFile, ui::Argb initialColour)
    : CFramelessDialog(std::move(layoutFile), kCancelled),
      m_colour(initialColour),
      m_shown(initialColour) {}

void CPalletDialog::InitWindow() {
    auto& manager = GetPaintManager();
    m_palette = manager.FindControl<ui::CColorPaletteUI>("Pallet");
    m_okButton = manager.FindControl("Pallet_BTN_OK");
    m_cancelButton = manager.FindControl("Pallet_BTN_CANCEL");
    ShowColour(m_colour);
}

void CPalletDialog::ShowColour(ui::Argb colour) {
    m_shown = colour;
    if (ui::CControlUI* show = GetPaintManager().FindControl("color_show_btn")) {
        show->SetBkImage("");
        show->SetBkColor(colour);
        show->Invalidate();
    }
    if (ui::CControlUI* value = GetPaintManager().FindControl("color_value_text")) {
        value->SetResourceText(false);
        value->SetText(ColourText(colour));
    }
    if (m_palette != nullptr) {
        m_palette->SetSelectColor(colour);
    }
}

std::string CPalletDialog::ColourText(ui::Argb colour) {
    std::array<char, 8> text{};
    std::snprintf(text.data(), text.size(), "#%06X", static_cast<unsigned>(colour & 0xFFFFFFu));
    return text.data();
}

void CPalletDialog::Confirm() {
    if (m_palette == nullptr) {
        Close(kCancelled);
        return;
    }
    m_colour = m_shown;
    Close(kChosen);
}

std::optional<int> CPalletDialog::SwatchIndex(std::string_view name) {
    const std::size_t underscore = name.rfind('_');
    if (underscore == std::string_view::npos ||
        !SameName(name.substr(0, underscore + 1), kSwatchPrefix)) {
        return std::nullopt;
    }
    const std::string_view digits = name.substr(underscore + 1);
    if (digits.empty() ||
        !std::ranges::all_of(digits, [](char c) { return c >= '0' && c <= '9'; })) {
        return std::nullopt;
    }
    int index = -1;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), index);
    if (error != std::errc() || end != digits.data() + digits.size() || !PresetColour(index)) {
        return std::nullopt;
    }
    return index;
}

void CPalletDialog::Notify(ui::TNotifyUI& msg) {
    if (msg.pSender == nullptr) {
        return;
    }
    const std::string& name = msg.pSender->GetName();
    if (msg.sType == ui::msgtype::kColorChanged) {
        if (msg.pSender == m_palette && m_palette != nullptr) {
            ShowColour(m_palette->GetSelectColor());
        }
        return;
    }
    if (msg.sType != ui::msgtype::kClick) {
        return;
    }
    if (SameName(name, "closebtn") ||
        (m_cancelButton != nullptr && msg.pSender == m_cancelButton)) {
        Close(kCancelled);
    } else if (SameName(name, "okbtn") || (m_okButton != nullptr && msg.pSender == m_okButton)) {
        Confirm();
    } else if (const auto index = SwatchIndex(name)) {
        platform::DebugOutput::Write("preset colour " + std::to_string(*index));
        ShowColour(*PresetColour(*index));
    }
}

std::optional<ui::Argb> CPalletDialog::Pick(ui::WindowImplBase& owner, ui::Argb initialColour,
                                            ui::UiPoint cursor, std::string layoutFile) {
    CPalletDialog dialog(std::move(layoutFile), initialColour);
    if (!dialog.Create(&owner, kTitle)) {
        platform::DebugOutput::Write("colour dialog layout missing; not shown");
        return std::nullopt;
    }
    MoveWindowTo(dialog, ui::UiPoint{cursor.x + kCursorOffsetX, cursor.y + kCursorOffsetY});
    if (dialog.ShowModal() != kChosen) {
        return std::nullopt;
    }
    return dialog.GetColor();
}

}  // namespace varlok::app
