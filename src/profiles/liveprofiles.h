#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "profiles/profilecategory.h"
#include "profiles/profilefile.h"
#include "profiles/profilelisteditor.h"
#include "profiles/profilestore.h"
#include "settings/mousemodel.h"

namespace varlok::profiles {

// The profile operations that change the live settings, one copy each, for
// the profile lists, the bus service and whoever else runs them: choosing an
// entry of a list (which selects, loads and sends it), applying a profile
// file's body, resetting a list to its default. It also keeps which entry
// each list shows chosen, which the lists show and the bus service reports;
// it differs from the stored selection while a linked program is in front.
//
// What is sent follows the category: a device profile goes to the mouse at
// once (its record, then key table 0 as block 0) and its record again with
// the next commit; a lighting profile with the next commit; a key profile's
// key table at once. The desktop gets the pointer speed and wheel lines a
// profile brings.
//
// Thread affinity: the UI thread (the model's).
class LiveProfiles {
public:
    // A selection being run: told to the model's views with ProfileLists
    // while it runs, before the entry is loaded.
    struct Selection {
        ProfileCategory category;
        int index;
    };

    // What a reset leaves on the desktop: the middle pointer speed, and the
    // wheel lines of the list's default.
    static constexpr int kResetPointerSpeed = 10;
    static constexpr int kDeviceResetWheelLines = 3;
    static constexpr int kLightingResetWheelLines = 1;

    // store and model must outlive this object. Chooses the stored device
    // profile whenever the model says the mouse was found connected.
    LiveProfiles(ProfileStore& store, settings::MouseModel& model);

    [[nodiscard]] ProfileStore& Store() const { return m_store; }
    [[nodiscard]] settings::MouseModel& Model() const { return m_model; }
    // The list edits, with the model's pending saves written first.
    [[nodiscard]] ProfileListEditor& Editor() { return m_editor; }

    // The entry the list shows chosen, or nothing when it shows none.
    [[nodiscard]] std::optional<int> Chosen(ProfileCategory category) const;
    // The selection running now, if one is (for the views it notifies).
    [[nodiscard]] std::optional<Selection> Selecting() const { return m_selecting; }

    // The list's choice moves to entry index, as a choice in the list does:
    // nothing happens when it is chosen already; an index the list does not
    // hold leaves the list without a choice and selects nothing; otherwise
    // the entry is selected: stored as the list's selection, then, unless it
    // is linked to a path that names no program, loaded into the live
    // settings and sent as its category says (a failed load sends the live
    // settings as they are).
    void Choose(ProfileCategory category, int index);
    // Runs the selection of the chosen entry once more.
    void ChooseAgain(ProfileCategory category);
    // Entry index left the list: the choice follows its entry, and is gone
    // when it was that one.
    void EntryRemoved(ProfileCategory category, int index);
    // The mouse was found: its stored device profile is chosen (nothing when
    // the list shows it already or does not hold it). A device profile chosen
    // while no mouse was connected is sent then.
    void ChooseStoredDeviceProfile();
    // The program at programPath (empty: none) is in front: the first device
    // profile linked to it is chosen, or else the user's own, the one the
    // stored selection names; the stored selection keeps naming the user's.
    void FollowProgram(std::string_view programPath);

    // Takes a profile file's body into the live settings as choosing an
    // entry of its category loads it, sends it the same way, and saves it
    // into the category's selected entry (a key table also into the device
    // profile, which holds one).
    void ApplyBody(ProfileCategory category, std::span<const std::uint8_t> body);
    // Brings the category's default back into the live settings, stores it
    // in the selected entry and sends it; a device reset runs twice, as the
    // mouse has always had it. Loaded, or why the default could not be read
    // (nothing changed then).
    [[nodiscard]] ProfileReadResult Reset(ProfileCategory category);

private:
    void Select(ProfileCategory category, int index);
    // What a selection does after the load, by category.
    void SendLoaded(ProfileCategory category);
    void TakeDefault(ProfileCategory category, std::span<const std::uint8_t> body);
    // The desktop's pointer speed and wheel lines as a reset leaves them.
    void SetDesktopSettings(int pointerSpeed, int wheelLines);
    void SendKeyProfile();
    // The record and key table 0 to the mouse, as a device profile's choice
    // sends them; without a connected mouse nothing is sent until it arrives.
    void SendDeviceProfile();

    ProfileStore& m_store;
    settings::MouseModel& m_model;
    ProfileListEditor m_editor{m_store, &m_model};
    std::array<std::optional<int>, kProfileCategories.size()> m_chosen{};
    std::optional<Selection> m_selecting;
    // A device profile was chosen while no mouse was connected.
    bool m_deviceProfileUnsent = false;
    settings::MouseModel::Subscription m_subscription;
};

}  // namespace varlok::profiles
