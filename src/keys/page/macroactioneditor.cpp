#include "keys/page/macroactioneditor.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "keys/keynametable.h"
#include "keys/macrorecorder.h"
#include "keys/mouseeventtable.h"
#include "keys/page/pagecontrols.h"
#include "ui/comboui.h"
#include "ui/listcontainerelementui.h"
#include "ui/listlabelelementui.h"
#include "ui/tablayoutui.h"

namespace varlok::keys {

namespace {

using Routed = std::optional<int>;
using C = MacroControls;

constexpr int kComboItemHeight = 30;

// A keyboard or mouse action that takes over the delay of the one it
// replaces.
MacroAction KeepingPause(MacroAction changed, const MacroAction& old) {
    changed.delayLow = old.delayLow;
    changed.delayHigh = old.delayHigh;
    return changed;
}

}  // namespace

void MacroActionEditor::RegisterRoutes(ui::RouteTable& routes, std::string_view owner) {
    namespace msgtype = ui::msgtype;
    routes.OnNotify(owner, msgtype::kItemClick, C::kActionRow, ui::NameMatch::Exact,
                    [this](ui::TNotifyUI& msg, Routed) {
                        if (auto* row = dynamic_cast<ui::CListContainerElementUI*>(msg.pSender)) {
                            OnActionClick(row->GetIndex());
                        }
                    });
    const std::array<std::pair<std::string_view, void (MacroActionEditor::*)(int)>, 3> combos{{
        {C::kKeyCombo, &MacroActionEditor::OnKeySelect},
        {C::kUpDownCombo, &MacroActionEditor::OnUpDown},
        {C::kMouseCombo, &MacroActionEditor::OnMouseSelect},
    }};
    for (const auto& combo : combos) {
        routes.OnNotify(owner, msgtype::kItemSelect, combo.first, ui::NameMatch::Exact,
                        [this, handler = combo.second](ui::TNotifyUI& msg, Routed) {
                            if (!m_filling) {
                                (this->*handler)(static_cast<int>(msg.wParam));
                            }
                        });
    }
    for (const std::string_view edit : {C::kKeyPauseEdit, C::kMousePauseEdit}) {
        routes.OnNotify(owner, msgtype::kTextChanged, edit, ui::NameMatch::Exact,
                        [this, edit](ui::TNotifyUI&, Routed) { OnPauseEdit(edit); });
    }
    routes.OnNotify(owner, msgtype::kTextChanged, C::kDistanceEdit, ui::NameMatch::Exact,
                    [this](ui::TNotifyUI&, Routed) { OnDistanceEdit(); });
}

void MacroActionEditor::FillCombos() {
    const auto fill = [this](std::string_view name, auto texts) {
        auto* combo = m_controls.FindControl<ui::CComboUI>(name);
        if (combo == nullptr) {
            return;
        }
        combo->RemoveAll();
        for (const auto& text : texts) {
            auto item = std::make_unique<ui::CListLabelElementUI>();
            item->SetResourceText(true);
            item->SetText(text);
            item->SetFixedHeight(kComboItemHeight);
            combo->Add(std::move(item));
        }
    };
    std::vector<std::string> keys;
    for (std::size_t row = 0; row < kMacroKeyRows; ++row) {
        keys.push_back(KeyNameTable::Rows()[row].LanguageKey());
    }
    fill(C::kKeyCombo, keys);
    fill(C::kUpDownCombo, C::kUpDownTexts);
    fill(C::kMouseCombo, C::kMouseEventTexts);
}

void MacroActionEditor::ShowPage(MacroControls::EditorPage page) {
    if (auto* tabs = m_controls.FindControl<ui::CTabLayoutUI>(C::kEditorTab)) {
        tabs->SelectItem(page);
    }
}

void MacroActionEditor::OnActionClick(int index) {
    if (index < 0 || index >= static_cast<int>(m_macro.Actions().size())) {
        return;
    }
    m_macro.SetUnsavedEdits(true);
    const MacroAction& action = m_macro.Actions()[static_cast<std::size_t>(index)];
    const bool filling = std::exchange(m_filling, true);
    const auto select = [this](std::string_view name, std::optional<std::size_t> row) {
        if (auto* combo = m_controls.FindControl<ui::CComboUI>(name)) {
            combo->SelectItem(row ? static_cast<int>(*row) : -1, false, false);
        }
    };
    const auto text = [this](std::string_view name, int number) {
        SetControlText(m_controls, name, std::to_string(number), m_filling);
    };
    if (IsMouseAction(action)) {
        ShowPage(C::kMouseEditor);
        select(C::kMouseCombo, MouseEventTable::FindEditorRow(action));
        SetControlVisible(m_controls, C::kDistancePanel, IsMoveAction(action));
        text(C::kDistanceEdit, IsMoveAction(action) ? action.value : 0);
        text(C::kMousePauseEdit, action.PauseUnits());
    } else {
        ShowPage(C::kKeyboardEditor);
        select(C::kKeyCombo, FindKeyRowOfAction(action));
        select(C::kUpDownCombo, std::size_t{action.downFlag != 0 ? 1U : 0U});
        text(C::kKeyPauseEdit, action.PauseUnits());
    }
    m_filling = filling;
}

void MacroActionEditor::OnKeySelect(int row) {
    if (row < 0 || row >= static_cast<int>(kMacroKeyRows)) {
        return;
    }
    m_list.ChangeSelected([row](MacroAction& action) {
        action = KeepingPause(KeyboardActionOf(static_cast<std::size_t>(row), action.downFlag != 0),
                              action);
    });
}

void MacroActionEditor::OnUpDown(int down) {
    m_list.ChangeSelected([down](MacroAction& action) {
        action.downFlag = down == 1 ? 1 : 0;
        action.code = static_cast<std::uint8_t>(down == 1 ? (action.code | kDownBit)
                                                          : (action.code & ~kDownBit));
    });
}

void MacroActionEditor::OnMouseSelect(int row) {
    if (row < 0 || row >= static_cast<int>(MouseEventTable::kEditorRows)) {
        return;
    }
    const bool move = row >= static_cast<int>(MouseEventTable::kFirstMoveRow);
    const int distance = move ? ReadEdit(C::kDistanceEdit, MouseEventTable::kMaxDistance) : 0;
    SetControlVisible(m_controls, C::kDistancePanel, move);
    m_list.ChangeSelected([row, distance](MacroAction& action) {
        action = KeepingPause(MouseEventTable::ActionOf(static_cast<std::size_t>(row),
                                                        static_cast<std::uint8_t>(distance)),
                              action);
    });
}

void MacroActionEditor::OnPauseEdit(std::string_view edit) {
    if (m_filling) {
        return;
    }
    const int units = ReadEdit(edit, kMaxPauseUnits);
    m_list.ChangeSelected([units](MacroAction& action) { action.SetPauseUnits(units); });
}

void MacroActionEditor::OnDistanceEdit() {
    if (m_filling) {
        return;
    }
    const int distance = ReadEdit(C::kDistanceEdit, MouseEventTable::kMaxDistance);
    m_list.ChangeSelected([distance](MacroAction& action) {
        if (IsMoveAction(action)) {
            action.value = static_cast<std::uint8_t>(distance);
        }
    });
}

int MacroActionEditor::ReadEdit(std::string_view edit, int max) {
    return ReadNumberEdit(m_controls, edit, max, m_filling);
}

}  // namespace varlok::keys
