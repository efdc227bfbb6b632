#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string_view>

#include "device/devicelink.h"
#include "platform/foregroundprogram.h"
#include "profiles/page/profilelinks.h"
#include "profiles/page/profileoperations.h"
#include "profiles/profilecategory.h"
#include "profiles/profilelisteditor.h"
#include "profiles/profilestore.h"
#include "settings/desktopapplier.h"
#include "settings/mousemirror.h"
#include "ui/dialogservice.h"
#include "ui/paintmanagerui.h"
#include "ui/routetable.h"

namespace varlok::profiles {

// The three profile lists of the mouse page (ms_device_profile_combo,
// ms_deng_profile_combo, ms_key_profile_combo): filled from the store when
// the window initialises, creating the first profile of each list on the
// first run; choosing an entry makes it the selected profile, shows its
// program link, loads it into the live settings and sends them to the mouse.
// When the mouse arrives the stored device profile is chosen. The reset
// buttons bring a list's default back into the live settings and its
// selected entry; the other buttons are ProfileOperations', the links
// ProfileLinks'.
//
// Thread affinity: the UI thread.
class ProfileListsPage : public ui::Page {
public:
    static constexpr std::string_view kOwner = "profile lists";

    // Every reference must outlive the page. routes is the table the page
    // registers with; it raises the mouse page's refresh through it.
    ProfileListsPage(ui::CPaintManagerUI& controls, ProfileStore& store,
                     settings::MouseMirror& mirror, device::DeviceLink& mouseLink,
                     settings::DesktopApplier& desktop, ui::DialogService& dialogs);

    void RegisterRoutes(ui::RouteTable& routes) override;

    // The combo box of a category.
    [[nodiscard]] static std::string_view ListControl(ProfileCategory category);

    // Lets the device list follow the program in front: the page registers
    // the link watcher in workerSlot, which asks for a follow by calling
    // post (any thread), and post must deliver `message` to the window,
    // where the page follows on the UI thread. Before RegisterRoutes;
    // foreground must outlive the page.
    struct ForegroundFollow {
        platform::ForegroundProgram* foreground = nullptr;
        std::size_t workerSlot = 0;
        ui::MessageId message = 0;
        std::function<void()> post;
    };
    void FollowForeground(ForegroundFollow follow) { m_follow = std::move(follow); }

    // The program at programPath (empty: none) is in front: the first device
    // profile linked to it is chosen, or else the user's own, the one the
    // store's selection names; the stored selection keeps naming the user's.
    void FollowForegroundProgram(std::string_view programPath);

    // Chooses entry index of the category's list as the user does in the
    // list (which runs the selection); nothing happens when the list shows
    // it already or holds no such entry.
    void ChooseEntry(ProfileCategory category, int index);
    // The entry the list shows chosen, or nothing when it shows none.
    [[nodiscard]] std::optional<int> ChosenEntry(ProfileCategory category) const;
    // Takes a profile file's body into the live settings as choosing an
    // entry of its category loads it, shows and sends it the same way, and
    // saves it into the category's selected entry (a key table also into the
    // device profile, which holds one).
    void ApplyProfileBody(ProfileCategory category, std::span<const std::uint8_t> body);

    // True when the start-up fill completed (every list was filled).
    [[nodiscard]] bool ListsFilled() const { return m_listsFilled; }

private:
    void FillLists();
    void SelectStoredDeviceProfile();
    void SelectProfile(ProfileCategory category, int index);
    // What a selection does after the load: the live settings shown, applied
    // to the desktop and sent to the mouse as the category asks.
    void ShowLoaded(ProfileCategory category);
    void ResetProfile(ProfileCategory category);
    // Takes the default body into the live settings, stores and sends them.
    void TakeDefault(ProfileCategory category, std::span<const std::uint8_t> body);
    // The desktop's pointer speed and wheel lines as a reset leaves them.
    void SetDesktopSettings(int pointerSpeed, int wheelLines);
    void SendKeyTable();
    void ShowDesktopSettings();

    ui::CPaintManagerUI& m_controls;
    ProfileStore& m_store;
    settings::MouseMirror& m_mirror;
    device::DeviceLink& m_mouseLink;
    settings::DesktopApplier& m_desktop;
    ui::DialogService& m_dialogs;
    ProfileListEditor m_editor{m_store};
    ProfileLinks m_links{m_controls, m_editor, m_dialogs};
    ProfileOperations m_operations{
        m_controls, m_editor, m_dialogs,
        [this](ProfileCategory category, int index) { SelectProfile(category, index); }};
    const ui::RouteTable* m_routes = nullptr;
    ForegroundFollow m_follow;
    bool m_listsFilled = false;
};

}  // namespace varlok::profiles
