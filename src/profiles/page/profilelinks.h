#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/foregroundprogram.h"
#include "profiles/page/profilelistcontrols.h"
#include "profiles/profilelisteditor.h"
#include "ui/dialogservice.h"
#include "ui/paintmanagerui.h"
#include "ui/routetable.h"

namespace varlok::profiles {

// The program links of the three profile lists: the link check box ticked
// to choose a program for the selected entry and unticked to clear its
// link, the link button that chooses one directly, the device list's cancel
// button, and the display of the selected entry's link. A program already
// linked to an entry of the same list is refused. Where the desktop cannot
// tell the program in front, the link controls are disabled and say why.
//
// Thread affinity: the UI thread.
class ProfileLinks {
public:
    // The language key of the tooltip on the disabled link controls, which
    // says why the program in front cannot be told (and, where the user can
    // change that, how); empty where links can follow it.
    [[nodiscard]] static std::string_view UnavailableTip(platform::ForegroundSupport support);

    // Every reference must outlive the object.
    ProfileLinks(ui::CPaintManagerUI& controls, ProfileListEditor& editor,
                 ui::DialogService& dialogs)
        : m_controls(controls), m_editor(editor), m_dialogs(dialogs) {}

    // foreground: the desktop's program in front, or nullptr when there is none.
    void RegisterRoutes(ui::RouteTable& routes, std::string_view owner,
                        const platform::ForegroundProgram* foreground);

    // Shows the link of entry index of the list; an entry linked to a path
    // without a folder (which names no program) leaves the controls as they
    // are.
    void ShowLink(ProfileCategory category, int index);

private:
    void ShowAvailability();
    void OnLinkCheck(const ProfileListControls& list, bool checked);
    void OnLinkButton(const ProfileListControls& list);
    void OnCancel();
    // The program the user chose, or nothing when the dialog was cancelled.
    [[nodiscard]] std::optional<std::string> ChooseProgram() const;
    // The selected entry, or std::nullopt (said to the user) when none is.
    [[nodiscard]] std::optional<int> SelectedEntry(const ProfileListControls& list);
    [[nodiscard]] bool LinkedElsewhere(const ProfileListControls& list,
                                       const std::string& program) const;
    // Stores and shows the link; false, with the message that says why, when
    // the store refused it.
    bool ShowLinked(const ProfileListControls& list, int index, const std::string& program);
    void Clear(const ProfileListControls& list, int index, bool rowVisible);
    void UntickWithNotification(const ProfileListControls& list);

    ui::CPaintManagerUI& m_controls;
    ProfileListEditor& m_editor;
    ui::DialogService& m_dialogs;
    const platform::ForegroundProgram* m_foreground = nullptr;
};

}  // namespace varlok::profiles
