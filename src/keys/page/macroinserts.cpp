#include "keys/page/macroinserts.h"

#include <array>
#include <optional>
#include <string>
#include <utility>

#include "keys/mouseeventtable.h"
#include "keys/page/macrocontrols.h"
#include "keys/page/pagecontrols.h"

namespace varlok::keys {

namespace {

using Routed = std::optional<int>;

constexpr int kInsertedPauseUnits = 5;

// The insert panel of each mouse button: the MouseEventTable rows of its
// down and up actions.
struct InsertButton {
    std::string_view name;
    std::size_t downRow;
    std::size_t upRow;
};
constexpr std::array<InsertButton, 5> kInsertButtons{{
    {"leftkey", 0, 1},
    {"moudlekey", 4, 5},
    {"rightkey", 2, 3},
    {"forwardkey", 6, 7},
    {"backkey", 8, 9},
}};

struct InsertMove {
    std::string_view button;
    std::string_view edit;
    std::size_t row;
};
constexpr std::array<InsertMove, 4> kInsertMoves{{
    {"ms_macro_inset_moveleftkey_btn", "ms_mouse_x_left_edit", 10},
    {"ms_macro_inset_moverightkey_btn", "ms_mouse_x_right_edit", 11},
    {"ms_macro_inset_moveupkey_btn", "ms_mouse_y_up_edit", 12},
    {"ms_macro_inset_movedownkey_btn", "ms_mouse_y_down_edit", 13},
}};

std::string InsertControl(const InsertButton& button, std::string_view suffix) {
    return "ms_macro_inset_" + std::string(button.name) + std::string(suffix);
}

}  // namespace

void MacroInserts::RegisterRoutes(ui::RouteTable& routes, std::string_view owner) {
    using C = MacroControls;
    routes.OnNotify(owner, ui::msgtype::kSelectChanged, C::kInsertOption, ui::NameMatch::Exact,
                    [this](ui::TNotifyUI& msg, Routed) {
                        SetControlVisible(m_controls, C::kInsertPanel, msg.wParam != 0);
                        SetControlVisible(m_controls, C::kNamePanel, msg.wParam == 0);
                    });
    for (std::size_t index = 0; index < kInsertButtons.size(); ++index) {
        const InsertButton& button = kInsertButtons[index];
        routes.OnClick(owner, InsertControl(button, "_btn"), ui::NameMatch::Exact,
                       [this, index](ui::TNotifyUI&, Routed) { ShowPanel(index); });
        for (const auto& insert :
             {std::pair{"down_btn", button.downRow}, std::pair{"up_btn", button.upRow}}) {
            routes.OnClick(owner, InsertControl(button, insert.first), ui::NameMatch::Exact,
                           [this, row = insert.second](ui::TNotifyUI&, Routed) { Insert(row); });
        }
    }
    for (const InsertMove& move : kInsertMoves) {
        routes.OnClick(
            owner, move.button, ui::NameMatch::Exact, [this, move](ui::TNotifyUI&, Routed) {
                const int distance =
                    ReadNumberEdit(m_controls, move.edit, MouseEventTable::kMaxDistance, m_writing);
                Insert(move.row, static_cast<std::uint8_t>(distance));
            });
    }
}

void MacroInserts::Insert(std::size_t row, std::uint8_t distance) {
    MacroAction action = MouseEventTable::ActionOf(row, distance);
    action.SetPauseUnits(kInsertedPauseUnits);
    m_list.Insert(std::move(action));
}

void MacroInserts::ShowPanel(std::size_t button) {
    for (std::size_t other = 0; other < kInsertButtons.size(); ++other) {
        SetControlVisible(m_controls, InsertControl(kInsertButtons[other], "_tab"),
                          other == button);
    }
}

}  // namespace varlok::keys
