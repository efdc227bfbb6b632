#include "profiles/page/profilelistspage.h"

#include <array>
#include <memory>
#include <optional>
#include <string>

#include "profiles/applicationlinks.h"
#include "profiles/applicationlinkwatcher.h"
#include "settings/keyblockwriter.h"
#include "ui/comboui.h"
#include "ui/listlabelelementui.h"
#include "ui/sliderui.h"

namespace varlok::profiles {

namespace {

constexpr std::array<std::string_view, kProfileCategories.size()> kListControls{
    "ms_device_profile_combo", "ms_deng_profile_combo", "ms_key_profile_combo"};
constexpr std::array<std::string_view, kProfileCategories.size()> kNameEdits{
    "ms_device_profile_name_edit", "ms_deng_profile_name_edit", "ms_key_profile_name_edit"};
constexpr std::string_view kPointerSlider = "ms_point_speed_slider";
constexpr std::string_view kWheelEdit = "ms_gunlun_speed_edit";
constexpr std::string_view kKeyFunctionPanel = "ms_tab_function";

std::string_view ReadFailureMessage(ProfileReadResult result) {
    return result == ProfileReadResult::BadMagic ? "message_text_9" : "message_text_8";
}

}  // namespace

ProfileListsPage::ProfileListsPage(ui::CPaintManagerUI& controls, ProfileStore& store,
                                   settings::MouseMirror& mirror, device::DeviceLink& mouseLink,
                                   settings::DesktopApplier& desktop, ui::DialogService& dialogs)
    : m_controls(controls),
      m_store(store),
      m_mirror(mirror),
      m_mouseLink(mouseLink),
      m_desktop(desktop),
      m_dialogs(dialogs) {}

std::string_view ProfileListsPage::ListControl(ProfileCategory category) {
    return kListControls[static_cast<std::size_t>(category)];
}

void ProfileListsPage::RegisterRoutes(ui::RouteTable& routes) {
    m_routes = &routes;
    routes.OnSignal(kOwner, ui::PageSignal::FillPageData, [this] { FillLists(); });
    routes.OnSignal(kOwner, ui::PageSignal::MouseConnected,
                    [this] { SelectStoredDeviceProfile(); });
    if (m_follow.foreground != nullptr) {
        routes.OnWorker(kOwner, m_follow.workerSlot, [this](platform::Event& stop) {
            ApplicationLinkWatcher(*m_follow.foreground, m_follow.post).Run(stop);
        });
        routes.OnMessage(kOwner, m_follow.message, m_follow.message,
                         [this](ui::MessageId, ui::WParam, ui::LParam) -> ui::LResult {
                             FollowForegroundProgram(m_follow.foreground->Path());
                             return 0;
                         });
    }
    for (const ProfileCategoryInfo& info : kProfileCategories) {
        const ProfileCategory category = info.category;
        routes.OnNotify(kOwner, ui::msgtype::kItemSelect, ListControl(category),
                        ui::NameMatch::Exact,
                        [this, category](ui::TNotifyUI& msg, std::optional<int>) {
                            SelectProfile(category, static_cast<int>(msg.wParam));
                        });
    }
}

void ProfileListsPage::FillLists() {
    const ProfileStore::ListNames lists = m_store.InitProfileLists();
    for (const ProfileCategoryInfo& info : kProfileCategories) {
        auto* combo = m_controls.FindControl<ui::CComboUI>(ListControl(info.category));
        if (combo == nullptr) {
            continue;
        }
        combo->RemoveAll();
        for (const std::string& name : lists.names[static_cast<std::size_t>(info.category)]) {
            auto item = std::make_unique<ui::CListLabelElementUI>();
            // The user's own text, never a language key.
            item->SetResourceText(false);
            item->SetText(name);
            item->SetUserData(name);
            item->SetFixedHeight(kItemHeight);
            combo->Add(std::move(item));
        }
    }
    m_listsFilled = !lists.failure.has_value();
    if (lists.failure) {
        m_dialogs.ShowMessage(ReadFailureMessage(*lists.failure));
    }
}

void ProfileListsPage::SelectStoredDeviceProfile() {
    auto* combo = m_controls.FindControl<ui::CComboUI>(ListControl(ProfileCategory::Device));
    const int index = m_store.SelectedIndex(ProfileCategory::Device);
    // Choosing the entry that is chosen already changes nothing and sends
    // nothing; an index the list does not hold chooses nothing.
    if (combo != nullptr && index >= 0 && index < combo->GetCount() &&
        index != combo->GetCurSel()) {
        combo->SelectItem(index, false, true);
    }
}

void ProfileListsPage::FollowForegroundProgram(std::string_view programPath) {
    auto* combo = m_controls.FindControl<ui::CComboUI>(ListControl(ProfileCategory::Device));
    if (combo == nullptr) {
        return;
    }
    const int usersOwn = m_store.SelectedIndex(ProfileCategory::Device);
    const int target =
        LinkedEntryFor(m_store.Ini(), ProfileCategory::Device, combo->GetCount(), programPath)
            .value_or(usersOwn);
    if (target < 0 || target >= combo->GetCount() || target == combo->GetCurSel()) {
        return;
    }
    combo->SelectItem(target, false, true);
    // Choosing stored the linked entry as the selection: the store keeps
    // naming the user's own, where settings changed meanwhile are saved and
    // to which leaving the program returns.
    static_cast<void>(m_store.Ini().Write(CategoryInfo(ProfileCategory::Device).selectSection,
                                          kSelectKey, std::to_string(usersOwn)));
}

void ProfileListsPage::SelectProfile(ProfileCategory category, int index) {
    auto* combo = m_controls.FindControl<ui::CComboUI>(ListControl(category));
    if (combo == nullptr || index < 0 || index >= combo->GetCount()) {
        return;
    }
    if (ui::CControlUI* edit =
            m_controls.FindControl(kNameEdits[static_cast<std::size_t>(category)])) {
        edit->SetText(combo->GetItemAt(index)->GetUserData());
    }
    static_cast<void>(m_store.Ini().Write(CategoryInfo(category).selectSection, kSelectKey,
                                          std::to_string(index)));
    // A failed load leaves the live settings as they were; they are shown
    // and sent all the same.
    static_cast<void>(m_store.Load(category, index));

    // Only onboard profile 0's own key block changes in the mouse; the
    // other profiles' blocks that its window covers stay as they are.
    const auto sendKeyTable = [this] {
        static_cast<void>(settings::KeyBlockWriter::Write(m_mouseLink, 0, m_mirror));
    };
    switch (category) {
        case ProfileCategory::Device: {
            ShowDesktopSettings();
            m_desktop.ApplyPointerSpeedLater();
            m_desktop.ApplyWheelLinesLater();
            m_routes->Raise(ui::PageSignal::RefreshMousePage);
            const settings::SettingsRecord::Bytes record = m_mirror.settingsRecord.Snapshot();
            static_cast<void>(m_mouseLink.WriteSettings(record, 0));
            m_mirror.settingsDirty.Mark();
            m_routes->Raise(ui::PageSignal::RefreshKeyPage);
            sendKeyTable();
            break;
        }
        case ProfileCategory::Lighting:
            // The pointer speed is the desktop's own here; the record goes
            // with the next flush.
            ShowDesktopSettings();
            m_desktop.ApplyWheelLinesLater();
            m_routes->Raise(ui::PageSignal::RefreshMousePage);
            m_mirror.settingsDirty.Mark();
            break;
        case ProfileCategory::Key:
            if (ui::CControlUI* panel = m_controls.FindControl(kKeyFunctionPanel);
                panel != nullptr && panel->IsVisible()) {
                panel->SetVisible(false);
                panel->SetEnabled(false);
            }
            m_routes->Raise(ui::PageSignal::RefreshKeyPage);
            sendKeyTable();
            break;
    }
}

void ProfileListsPage::ShowDesktopSettings() {
    if (auto* slider = m_controls.FindControl<ui::CSliderUI>(kPointerSlider)) {
        slider->SetValue(m_mirror.pointerSpeed.Get() / 2 - 1);
    }
    if (ui::CControlUI* edit = m_controls.FindControl(kWheelEdit)) {
        edit->SetText(std::to_string(m_mirror.wheelLines.Get()));
    }
}

}  // namespace varlok::profiles
