#include "profiles/page/profileoperations.h"

#include <optional>
#include <span>
#include <vector>

#include "profiles/page/profileitems.h"
#include "profiles/profilenames.h"

namespace varlok::profiles {

namespace {

constexpr std::string_view kAddedItemStyle = "listex_item_style";

using OperationOf = void (ProfileOperations::*)(ProfileCategory);

}  // namespace

void ProfileOperations::RegisterRoutes(ui::RouteTable& routes, std::string_view owner) {
    for (const ProfileListControls& list : kProfileListControls) {
        const ProfileCategory category = list.category;
        for (const auto& [button, operation] :
             {std::pair<std::string_view, OperationOf>{list.addButton,
                                                       &ProfileOperations::AddProfile},
              {list.deleteButton, &ProfileOperations::DeleteProfile},
              {list.copyButton, &ProfileOperations::CopyProfile},
              {list.importButton, &ProfileOperations::ImportProfile},
              {list.exportButton, &ProfileOperations::ExportProfile},
              {list.renameButton, &ProfileOperations::RenameProfile}}) {
            routes.OnClick(
                owner, button, ui::NameMatch::Exact,
                [this, category, operation = operation](ui::TNotifyUI&, std::optional<int>) {
                    (this->*operation)(category);
                });
        }
    }
    for (const PanelToggle& toggle : kProfilePanelToggles) {
        routes.OnClick(owner, toggle.button, ui::NameMatch::Exact,
                       [this, panel = toggle.panel](ui::TNotifyUI&, std::optional<int>) {
                           TogglePanel(panel);
                       });
    }
}

ui::FileDialogOptions ProfileOperations::FileOptions(ProfileCategory category) {
    const std::string extension(ListControls(category).fileExtension);
    ui::FileDialogOptions options;
    options.defaultExtension = extension;
    options.initialName = "*." + extension;
    options.filter = "(*." + extension + ") | *." + extension + " ||";
    return options;
}

ui::CComboUI* ProfileOperations::List(ProfileCategory category) const {
    return m_controls.FindControl<ui::CComboUI>(ListControls(category).list);
}

int ProfileOperations::AddItem(ui::CComboUI& list, const std::string& name,
                               ProfileItemOrigin origin) {
    ui::CControlUI* item = list.Add(MakeProfileItem(name, origin));
    // The style needs the list's window, which the item has once added.
    if (item != nullptr && origin == ProfileItemOrigin::Added) {
        item->SetAttribute("style", kAddedItemStyle);
    }
    return list.GetCount() - 1;
}

std::optional<int> ProfileOperations::AppendEntry(ui::CComboUI& list, ProfileCategory category,
                                                  const std::string& name,
                                                  ProfileItemOrigin origin) {
    std::vector<std::string> names = ItemNames(list);
    names.push_back(name);
    if (!m_editor.AppendEntry(category, names)) {
        return std::nullopt;
    }
    return AddItem(list, name, origin);
}

bool ProfileOperations::Loaded(ProfileReadResult read) {
    if (read != ProfileReadResult::Loaded) {
        m_dialogs.ShowMessage(ReadFailureMessage(read));
        return false;
    }
    return true;
}

void ProfileOperations::AddProfile(ProfileCategory category) {
    static_cast<void>(AddEntry(category));
}

std::optional<int> ProfileOperations::AddEntry(ProfileCategory category) {
    ui::CComboUI* list = List(category);
    if (list == nullptr) {
        return std::nullopt;
    }
    std::vector<std::string> names = ItemNames(*list);
    const std::string name = ProfileListEditor::NewProfileName(names);
    names.push_back(name);
    std::vector<std::uint8_t> body(CategoryInfo(category).bodyLength, 0);
    const ProfileReadResult read = m_editor.Store().ReadDefault(category, body);
    const bool bodyMissing =
        read != ProfileReadResult::Loaded && ListControls(category).variant.addNeedsDefault;
    const bool listed = m_editor.AddEntry(
        category, names,
        bodyMissing ? std::nullopt : std::optional<std::span<const std::uint8_t>>(body));
    const std::optional<int> index =
        listed ? std::optional(AddItem(*list, name, ProfileItemOrigin::Added)) : std::nullopt;
    if (bodyMissing) {
        m_dialogs.ShowMessage(ReadFailureMessage(read));
        return index;
    }
    if (!index) {
        m_dialogs.ShowMessage(kWriteFailedMessage);
        return std::nullopt;
    }
    m_live.Choose(category, *index);
    return index;
}

void ProfileOperations::DeleteProfile(ProfileCategory category) {
    ui::CComboUI* list = List(category);
    if (list == nullptr) {
        return;
    }
    if (list->GetCount() == 1) {
        m_dialogs.ShowMessage("message_text_11");
        return;
    }
    const int selected = list->GetCurSel();
    if (selected < 0) {
        m_dialogs.ShowMessage(kNoSelectionMessage);
        return;
    }
    if (m_dialogs.ShowMessage("message_text_12") != ui::DialogService::kConfirmed) {
        return;
    }
    const std::string name = list->GetItemAt(selected)->GetUserData();
    std::vector<std::string> names = ItemNames(*list);
    names.erase(names.begin() + selected);
    if (!m_editor.DeleteEntry(category, selected, names, name)) {
        m_dialogs.ShowMessage(kWriteFailedMessage);
        return;
    }
    list->RemoveAt(selected);
    m_live.EntryRemoved(category, selected);
    m_live.Choose(category, list->GetCount() - 1);
    if (ListControls(category).variant.deleteSelectsTwice) {
        m_live.ChooseAgain(category);
    }
}

void ProfileOperations::CopyProfile(ProfileCategory category) {
    ui::CComboUI* list = List(category);
    if (list == nullptr || list->GetCurSel() < 0) {
        return;
    }
    const std::vector<std::string> names = ItemNames(*list);
    const std::string& source = names[static_cast<std::size_t>(list->GetCurSel())];
    const std::string name = ProfileListEditor::CopyName(names, source);
    if (!IsSafeProfileName(name)) {
        m_dialogs.ShowMessage(kBadNameMessage);
        return;
    }
    std::vector<std::uint8_t> body(CategoryInfo(category).bodyLength, 0);
    if (!Loaded(m_editor.ReadEntry(category, source, body))) {
        return;
    }
    if (!m_editor.WriteEntry(category, name, body)) {
        m_dialogs.ShowMessage(kWriteFailedMessage);
        return;
    }
    const std::optional<int> index = AppendEntry(*list, category, name, ProfileItemOrigin::Copied);
    if (!index) {
        m_editor.RemoveEntryFile(category, name);
        m_dialogs.ShowMessage(kWriteFailedMessage);
        return;
    }
    m_live.Choose(category, *index);
}

void ProfileOperations::ImportProfile(ProfileCategory category) {
    ui::CComboUI* list = List(category);
    if (list == nullptr || list->GetCurSel() < 0) {
        return;
    }
    const std::optional<std::string> file = ui::OpenFileDialog(FileOptions(category));
    if (!file) {
        return;
    }
    // Read and checked before anything changes: a file that is no profile
    // of this mouse leaves no entry, file or selection behind.
    std::vector<std::uint8_t> body(CategoryInfo(category).bodyLength, 0);
    if (!Loaded(ReadImportedProfileFile(*file, body))) {
        return;
    }
    int selected = list->GetCurSel();
    if (ListControls(category).variant.importAddsEntry) {
        // The new entry, also when the default could not be read and it was
        // not chosen: the file never replaces the entry chosen before, nor
        // any other when no entry could be added.
        const std::optional<int> added = AddEntry(category);
        if (!added) {
            return;
        }
        selected = *added;
    }
    if (!m_editor.WriteEntry(category, list->GetItemAt(selected)->GetUserData(), body)) {
        m_dialogs.ShowMessage(kWriteFailedMessage);
        return;
    }
    // Choosing the entry again loads what was imported and sends it.
    m_live.Choose(category, selected - 1);
    m_live.Choose(category, selected);
}

void ProfileOperations::ExportProfile(ProfileCategory category) {
    ui::CComboUI* list = List(category);
    if (list == nullptr || list->GetCurSel() < 0) {
        return;
    }
    const std::optional<std::string> file = ui::SaveFileDialog(FileOptions(category));
    if (!file) {
        return;
    }
    // The stored file, which every change of a setting has just written.
    std::vector<std::uint8_t> body(CategoryInfo(category).bodyLength, 0);
    if (!Loaded(m_editor.ReadEntry(category, list->GetItemAt(list->GetCurSel())->GetUserData(),
                                   body))) {
        return;
    }
    if (!WriteProfileFile(*file, body, ProfileStore::kTypeCode)) {
        m_dialogs.ShowMessage(kWriteFailedMessage);
    }
}

void ProfileOperations::RenameProfile(ProfileCategory category) {
    ui::CComboUI* list = List(category);
    ui::CControlUI* edit = m_controls.FindControl(ListControls(category).nameEdit);
    if (list == nullptr || edit == nullptr) {
        return;
    }
    const int selected = list->GetCurSel();
    if (selected < 0) {
        m_dialogs.ShowMessage(kNoSelectionMessage);
        return;
    }
    const std::string name = edit->GetText();
    if (name.empty()) {
        m_dialogs.ShowMessage("message_text_14");
        return;
    }
    if (ProfileListEditor::ListHolds(ItemNames(*list), name)) {
        m_dialogs.ShowMessage("message_text_15");
        return;
    }
    if (!IsSafeProfileName(name)) {
        m_dialogs.ShowMessage(kBadNameMessage);
        return;
    }
    ui::CControlUI* item = list->GetItemAt(selected);
    switch (m_editor.Rename(category, selected, item->GetUserData(), name)) {
        case ProfileListEditor::RenameResult::Renamed:
            item->SetText(name);
            item->SetUserData(name);
            edit->SetText(name);
            list->NeedUpdate();
            return;
        case ProfileListEditor::RenameResult::OldFileMissing:
            m_dialogs.ShowMessage(ReadFailureMessage(ProfileReadResult::Missing));
            return;
        case ProfileListEditor::RenameResult::OldFileBadMagic:
            m_dialogs.ShowMessage(ReadFailureMessage(ProfileReadResult::BadMagic));
            return;
        case ProfileListEditor::RenameResult::WriteFailed:
        case ProfileListEditor::RenameResult::IniFailed:
            m_dialogs.ShowMessage(kWriteFailedMessage);
            return;
    }
}

void ProfileOperations::TogglePanel(std::string_view panel) {
    if (ui::CControlUI* control = m_controls.FindControl(panel)) {
        control->SetVisible(!control->IsVisible());
    }
}

}  // namespace varlok::profiles
