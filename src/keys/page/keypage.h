#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "keys/keyassignment.h"
#include "keys/keylabel.h"
#include "settings/mousemirror.h"
#include "ui/paintmanagerui.h"
#include "ui/routetable.h"

namespace varlok::keys {

// The key section of the mouse page: the seven key controls ms_key_0 ...
// ms_key_6 (the control number is the device's key index) show the function
// of their key in the active onboard profile's key slot. Acts on its
// controls by name through the window's paint manager; a control the layout
// lacks is skipped.
//
// Thread affinity: the UI thread.
class KeyPage : public ui::Page {
public:
    static constexpr std::string_view kOwner = "key page";
    static constexpr std::string_view kKeyControlPrefix = "ms_key_";

    // controls and mirror must outlive the page; macroNames gives the names
    // of macro keys (an empty lookup knows no macro, and macro keys keep
    // their labels).
    KeyPage(ui::CPaintManagerUI& controls, settings::MouseMirror& mirror,
            MacroNameLookup macroNames);

    // Refreshes the labels when the key tables change (device read, key
    // profile load) and when the live settings change under the mouse page,
    // which includes a switch of onboard profile and so of the active slot.
    void RegisterRoutes(ui::RouteTable& routes) override;

    // RefreshKeyLabels: sets the text and the tooltip of each key control
    // from entry `control number` of key slot `slot` (0-4; anything else
    // changes nothing). A language key is shown through the language table,
    // a macro name as it is.
    void RefreshKeyLabels(std::size_t slot);
    // The same for the active onboard profile's slot.
    void RefreshActiveKeyLabels();

    [[nodiscard]] static std::string KeyControl(std::size_t key);

private:
    ui::CPaintManagerUI& m_controls;
    settings::MouseMirror& m_mirror;
    KeyAssignment m_assignment;
    MacroNameLookup m_macroNames;
};

}  // namespace varlok::keys
