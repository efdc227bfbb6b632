#pragma once

// What the macro and cursor sections (and the macro section's parts) do
// alike with their controls: the file dialog of a store file, option
// states, enabling, showing, texts and typed numbers. A control the layout
// lacks is skipped (reads as unselected, empty or 0).

#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "ui/filedialog.h"
#include "ui/paintmanagerui.h"
#include "ui/routetable.h"

namespace varlok::keys {

// The open and save dialogs of a store file with this extension ("mac",
// "cur"): "*.ext", the filter "(*.ext) | *.ext ||", hide read-only,
// overwrite prompt.
[[nodiscard]] ui::FileDialogOptions StoreFileDialog(std::string_view extension);

[[nodiscard]] bool IsOptionSelected(const ui::CPaintManagerUI& controls, std::string_view option);

// The edit's number limited to 0..max. A limited value is written back
// with `writing` set meanwhile, so that the page can ignore the edit's own
// notification of that write.
int ReadNumberEdit(ui::CPaintManagerUI& controls, std::string_view edit, int max, bool& writing);

// Routes the click of each button to its handler, a member of object.
template <class Object, class Buttons>
void RouteClicks(ui::RouteTable& routes, std::string_view owner, Object& object,
                 const Buttons& buttons) {
    for (const auto& button : buttons) {
        routes.OnClick(owner, button.first, ui::NameMatch::Exact,
                       [&object, handler = button.second](ui::TNotifyUI&, std::optional<int>) {
                           (object.*handler)();
                       });
    }
}

void SetControlEnabled(ui::CPaintManagerUI& controls, std::string_view name, bool enabled);
void SetControlVisible(ui::CPaintManagerUI& controls, std::string_view name, bool visible);
// Sets the control's text with `writing` set meanwhile (as ReadNumberEdit).
void SetControlText(ui::CPaintManagerUI& controls, std::string_view name, const std::string& text,
                    bool& writing);

}  // namespace varlok::keys
