#pragma once

#include <string_view>

#include "profiles/liveprofiles.h"
#include "profiles/page/profilelinks.h"
#include "profiles/page/profileoperations.h"
#include "profiles/profilecategory.h"
#include "settings/page/pagecontext.h"
#include "ui/dialogservice.h"
#include "ui/paintmanagerui.h"
#include "ui/routetable.h"

namespace varlok::profiles {

// The three profile lists of the mouse page (ms_device_profile_combo,
// ms_deng_profile_combo, ms_key_profile_combo): filled from the store when
// the window initialises, creating the first profile of each list on the
// first run. A choice in a list goes to the live profiles (which select,
// load and send the entry), and the lists show the entries chosen there,
// with the chosen entry's name and program link. The reset buttons bring a
// list's default back; the other buttons are ProfileOperations', the links
// ProfileLinks'. When the window has a program in front to follow, the page
// runs the link watcher that has the device list follow it.
//
// Thread affinity: the UI thread.
class ProfileListsPage : public ui::Page {
public:
    static constexpr std::string_view kOwner = "profile lists";

    // context.profiles must be set.
    explicit ProfileListsPage(const settings::PageContext& context);

    void RegisterRoutes(ui::RouteTable& routes) override;

    // The combo box of a category.
    [[nodiscard]] static std::string_view ListControl(ProfileCategory category);

    // True when the start-up fill completed (every list was filled).
    [[nodiscard]] bool ListsFilled() const { return m_listsFilled; }

private:
    void FillLists();
    void OnModelChanged(settings::MouseChange changed);
    // The lists show the entries chosen in the live profiles.
    void ShowChoices();
    // The name and program link of the entry being selected.
    void ShowSelection(const LiveProfiles::Selection& selection);
    void ResetProfile(ProfileCategory category);

    ui::CPaintManagerUI& m_controls;
    LiveProfiles& m_live;
    ui::DialogService& m_dialogs;
    platform::ForegroundProgram* m_foreground;
    settings::PageContext::Message m_follow;
    ProfileLinks m_links{m_controls, m_live.Editor(), m_dialogs};
    ProfileOperations m_operations{m_controls, m_live, m_dialogs};
    bool m_listsFilled = false;
    settings::MouseModel::Subscription m_subscription;
};

}  // namespace varlok::profiles
