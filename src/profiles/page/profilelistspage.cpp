#include "profiles/page/profilelistspage.h"

#include <optional>
#include <string>

#include "platform/foregroundprogram.h"
#include "profiles/applicationlinkwatcher.h"
#include "profiles/page/profileitems.h"
#include "settings/devicesession.h"
#include "ui/comboui.h"

namespace varlok::profiles {

namespace {

// The key section's function editor, which closes when a key profile takes
// over the keys it edits.
constexpr std::string_view kKeyFunctionPanel = "ms_tab_function";

}  // namespace

ProfileListsPage::ProfileListsPage(const settings::PageContext& context)
    : m_controls(context.controls),
      m_live(*context.profiles),
      m_dialogs(context.dialogs),
      m_foreground(context.foreground),
      m_follow(context.followForegroundProgram),
      m_subscription(context.model.Subscribe(
          [this](settings::MouseChange changed) { OnModelChanged(changed); })) {}

std::string_view ProfileListsPage::ListControl(ProfileCategory category) {
    return ListControls(category).list;
}

void ProfileListsPage::RegisterRoutes(ui::RouteTable& routes) {
    routes.OnSignal(kOwner, settings::PageSignal::kFillPageData, [this] { FillLists(); });
    if (m_foreground != nullptr && m_follow.post) {
        constexpr auto kWatcherSlot =
            static_cast<std::size_t>(settings::DeviceSession::WorkerSlot::ApplicationLinkWatcher);
        routes.OnWorker(kOwner, kWatcherSlot, [this](platform::Event& stop) {
            ApplicationLinkWatcher(*m_foreground, m_follow.post).Run(stop);
        });
        routes.OnMessage(kOwner, m_follow.id, m_follow.id,
                         [this](ui::MessageId, ui::WParam, ui::LParam) -> ui::LResult {
                             m_live.FollowProgram(m_foreground->Path());
                             return 0;
                         });
    }
    for (const ProfileCategoryInfo& info : kProfileCategories) {
        const ProfileCategory category = info.category;
        routes.OnNotify(kOwner, ui::msgtype::kItemSelect, ListControl(category),
                        ui::NameMatch::Exact,
                        [this, category](ui::TNotifyUI& msg, std::optional<int>) {
                            m_live.Choose(category, static_cast<int>(msg.wParam));
                        });
        routes.OnClick(
            kOwner, ListControls(category).resetButton, ui::NameMatch::Exact,
            [this, category](ui::TNotifyUI&, std::optional<int>) { ResetProfile(category); });
    }
    m_operations.RegisterRoutes(routes, kOwner);
    m_links.RegisterRoutes(routes, kOwner, m_foreground);
}

void ProfileListsPage::FillLists() {
    const ProfileStore::ListNames lists = m_live.Store().InitProfileLists();
    for (const ProfileCategoryInfo& info : kProfileCategories) {
        auto* combo = m_controls.FindControl<ui::CComboUI>(ListControl(info.category));
        if (combo == nullptr) {
            continue;
        }
        combo->RemoveAll();
        for (const std::string& name : lists.names[static_cast<std::size_t>(info.category)]) {
            combo->Add(MakeProfileItem(name, ProfileItemOrigin::StartUpFill));
        }
    }
    m_listsFilled = !lists.failure.has_value();
    if (lists.failure) {
        m_dialogs.ShowMessage(ReadFailureMessage(*lists.failure));
    }
}

void ProfileListsPage::OnModelChanged(settings::MouseChange changed) {
    using settings::MouseChange;
    if (settings::HasAny(changed, MouseChange::ProfileLists)) {
        ShowChoices();
        if (const std::optional<LiveProfiles::Selection> selection = m_live.Selecting()) {
            ShowSelection(*selection);
        }
    }
    if (settings::HasAny(changed, MouseChange::KeyProfileLoaded)) {
        if (ui::CControlUI* panel = m_controls.FindControl(kKeyFunctionPanel);
            panel != nullptr && panel->IsVisible()) {
            panel->SetVisible(false);
            panel->SetEnabled(false);
        }
    }
}

void ProfileListsPage::ShowChoices() {
    for (const ProfileCategoryInfo& info : kProfileCategories) {
        auto* combo = m_controls.FindControl<ui::CComboUI>(ListControl(info.category));
        const int chosen = m_live.Chosen(info.category).value_or(-1);
        if (combo != nullptr && combo->GetCurSel() != chosen) {
            combo->SelectItem(chosen, false, false);
        }
    }
}

void ProfileListsPage::ShowSelection(const LiveProfiles::Selection& selection) {
    const auto* combo = m_controls.FindControl<ui::CComboUI>(ListControl(selection.category));
    if (combo == nullptr || combo->GetItemAt(selection.index) == nullptr) {
        return;
    }
    if (ui::CControlUI* edit = m_controls.FindControl(ListControls(selection.category).nameEdit)) {
        edit->SetText(combo->GetItemAt(selection.index)->GetUserData());
    }
    m_links.ShowLink(selection.category, selection.index);
}

void ProfileListsPage::ResetProfile(ProfileCategory category) {
    if (const ProfileReadResult read = m_live.Reset(category); read != ProfileReadResult::Loaded) {
        m_dialogs.ShowMessage(ReadFailureMessage(read));
    }
}

}  // namespace varlok::profiles
