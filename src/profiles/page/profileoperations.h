#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "profiles/liveprofiles.h"
#include "profiles/page/profileitems.h"
#include "profiles/page/profilelistcontrols.h"
#include "profiles/profilelisteditor.h"
#include "ui/comboui.h"
#include "ui/dialogservice.h"
#include "ui/filedialog.h"
#include "ui/paintmanagerui.h"
#include "ui/routetable.h"

namespace varlok::profiles {

// The buttons beside the three profile lists: add, delete, copy, import,
// export and rename an entry, and the toggles of their panels. The entry an
// operation made is chosen in the live profiles, which load and send it.
// A list shows what the store holds: its items change only once the store
// took the change, so that a disk that refuses one never leaves the list
// and msProfile.ini apart (a later change would then tear the INI file's
// list).
//
// Thread affinity: the UI thread.
class ProfileOperations {
public:
    // The language keys of what the operations say beyond the lists' own
    // messages: no entry is selected; the name cannot name a file.
    static constexpr std::string_view kNoSelectionMessage = "profile_message_no_selection";
    static constexpr std::string_view kBadNameMessage = "profile_message_bad_name";
    // A file could not be written.
    static constexpr std::string_view kWriteFailedMessage = "message_text_10";

    // Every reference must outlive the object.
    ProfileOperations(ui::CPaintManagerUI& controls, LiveProfiles& live, ui::DialogService& dialogs)
        : m_controls(controls), m_live(live), m_editor(live.Editor()), m_dialogs(dialogs) {}

    void RegisterRoutes(ui::RouteTable& routes, std::string_view owner);

    void AddProfile(ProfileCategory category);
    void DeleteProfile(ProfileCategory category);
    void CopyProfile(ProfileCategory category);
    void ImportProfile(ProfileCategory category);
    void ExportProfile(ProfileCategory category);
    void RenameProfile(ProfileCategory category);

    // The import and export dialogs' options for the list's files.
    [[nodiscard]] static ui::FileDialogOptions FileOptions(ProfileCategory category);

private:
    [[nodiscard]] ui::CComboUI* List(ProfileCategory category) const;
    // Appends the entry's item to the list alone; returns its index.
    int AddItem(ui::CComboUI& list, const std::string& name, ProfileItemOrigin origin);
    // Appends an entry's INI values, then its item; its index, or nothing
    // when the INI file could not be written (the list is then unchanged).
    std::optional<int> AppendEntry(ui::CComboUI& list, ProfileCategory category,
                                   const std::string& name, ProfileItemOrigin origin);
    // The add button's work: the new entry's index, or nothing when none
    // was added (the message says why).
    std::optional<int> AddEntry(ProfileCategory category);
    void TogglePanel(std::string_view panel);
    // False, with the message that says why, unless the file was read.
    bool Loaded(ProfileReadResult read);

    ui::CPaintManagerUI& m_controls;
    LiveProfiles& m_live;
    ProfileListEditor& m_editor;
    ui::DialogService& m_dialogs;
};

}  // namespace varlok::profiles
