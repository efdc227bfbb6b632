#include "profiles/page/profilelistspage.h"

#include <algorithm>
#include <array>
#include <memory>
#include <optional>
#include <string>

#include "profiles/applicationlinks.h"
#include "profiles/applicationlinkwatcher.h"
#include "profiles/page/profileitems.h"
#include "settings/keyblockwriter.h"
#include "ui/comboui.h"
#include "ui/listlabelelementui.h"
#include "ui/sliderui.h"

namespace varlok::profiles {

namespace {

constexpr std::string_view kPointerSlider = "ms_point_speed_slider";
constexpr std::string_view kWheelEdit = "ms_gunlun_speed_edit";
constexpr std::string_view kKeyFunctionPanel = "ms_tab_function";
// What a reset leaves on the desktop: the middle pointer speed, and the
// wheel lines of the list's default.
constexpr int kResetPointerSpeed = 10;
constexpr int kDeviceResetWheelLines = 3;
constexpr int kLightingResetWheelLines = 1;
// The zone selector a device reset leaves.
constexpr std::uint8_t kResetZoneSlot = 2;
// A lighting reset takes the default's record up to the bytes that hold the
// desktop's settings.
constexpr std::size_t kLightingResetBytes = 56;

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
    return ListControls(category).list;
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
        routes.OnClick(
            kOwner, ListControls(category).resetButton, ui::NameMatch::Exact,
            [this, category](ui::TNotifyUI&, std::optional<int>) { ResetProfile(category); });
    }
    m_operations.RegisterRoutes(routes, kOwner);
    m_links.RegisterRoutes(routes, kOwner, m_follow.foreground);
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
            combo->Add(MakeProfileItem(name, ProfileItemOrigin::StartUpFill));
        }
    }
    m_listsFilled = !lists.failure.has_value();
    if (lists.failure) {
        m_dialogs.ShowMessage(ReadFailureMessage(*lists.failure));
    }
}

void ProfileListsPage::SelectStoredDeviceProfile() {
    ChooseEntry(ProfileCategory::Device, m_store.SelectedIndex(ProfileCategory::Device));
}

void ProfileListsPage::ChooseEntry(ProfileCategory category, int index) {
    auto* combo = m_controls.FindControl<ui::CComboUI>(ListControl(category));
    // Choosing the entry that is chosen already changes nothing and sends
    // nothing; an index the list does not hold chooses nothing.
    if (combo != nullptr && index >= 0 && index < combo->GetCount() &&
        index != combo->GetCurSel()) {
        combo->SelectItem(index, false, true);
    }
}

std::optional<int> ProfileListsPage::ChosenEntry(ProfileCategory category) const {
    const auto* combo = m_controls.FindControl<ui::CComboUI>(ListControl(category));
    if (combo == nullptr || combo->GetCurSel() < 0) {
        return std::nullopt;
    }
    return combo->GetCurSel();
}

void ProfileListsPage::ApplyProfileBody(ProfileCategory category,
                                        std::span<const std::uint8_t> body) {
    m_store.TakeBody(category, body);
    ShowLoaded(category);
    static_cast<void>(m_store.Save(category));
    if (category == ProfileCategory::Key) {
        m_store.SaveDeviceProfile();
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
    ChooseEntry(ProfileCategory::Device, target);
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
    if (ui::CControlUI* edit = m_controls.FindControl(ListControls(category).nameEdit)) {
        edit->SetText(combo->GetItemAt(index)->GetUserData());
    }
    static_cast<void>(m_store.Ini().Write(CategoryInfo(category).selectSection, kSelectKey,
                                          std::to_string(index)));
    if (!m_links.ShowLink(category, index)) {
        // Linked to something that names no program: left as it is.
        return;
    }
    // A failed load leaves the live settings as they were; they are shown
    // and sent all the same.
    static_cast<void>(m_store.Load(category, index));
    ShowLoaded(category);
}

void ProfileListsPage::ShowLoaded(ProfileCategory category) {
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
            SendKeyTable();
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
            SendKeyTable();
            break;
    }
}

void ProfileListsPage::SendKeyTable() {
    // Only onboard profile 0's own key block changes in the mouse; the
    // other profiles' blocks that its window covers stay as they are.
    static_cast<void>(settings::KeyBlockWriter::Write(m_mouseLink, 0, m_mirror));
}

void ProfileListsPage::ResetProfile(ProfileCategory category) {
    std::vector<std::uint8_t> body(CategoryInfo(category).bodyLength, 0);
    // The device default is taken twice over, as the mouse has always had it.
    const int runs = category == ProfileCategory::Device ? 2 : 1;
    for (int run = 0; run < runs; ++run) {
        if (const ProfileReadResult read = m_store.ReadDefault(category, body);
            read != ProfileReadResult::Loaded) {
            m_dialogs.ShowMessage(ReadFailureMessage(read));
            return;
        }
        TakeDefault(category, body);
    }
}

void ProfileListsPage::TakeDefault(ProfileCategory category, std::span<const std::uint8_t> body) {
    settings::RecordTableEntry& staging = m_mirror.recordTable[0];
    switch (category) {
        case ProfileCategory::Device:
            std::ranges::copy(body.first(settings::kKeyTableSize), m_mirror.keySlots[0].begin());
            std::ranges::copy(body.subspan(kDeviceRecordOffset, settings::kRecordSize),
                              staging.begin());
            m_mirror.settingsRecord.Assign(staging);
            m_mirror.mouseZoneSlot.Set(kResetZoneSlot);
            // Stored before the desktop's settings change: the entry keeps
            // the ones it had until the next save.
            m_store.SaveDeviceProfile();
            m_routes->Raise(ui::PageSignal::RefreshMousePage);
            m_mirror.settingsDirty.Mark();
            SetDesktopSettings(kResetPointerSpeed, kDeviceResetWheelLines);
            m_routes->Raise(ui::PageSignal::RefreshKeyPage);
            SendKeyTable();
            break;
        case ProfileCategory::Lighting:
            std::ranges::copy(body.first(kLightingResetBytes), staging.begin());
            m_mirror.settingsRecord.Assign(staging);
            m_store.SaveLightingProfile();
            m_store.SaveDeviceProfile();
            m_routes->Raise(ui::PageSignal::RefreshMousePage);
            m_mirror.settingsDirty.Mark();
            SetDesktopSettings(kResetPointerSpeed, kLightingResetWheelLines);
            break;
        case ProfileCategory::Key:
            std::ranges::copy(body.first(settings::kKeyTableSize), m_mirror.keySlots[0].begin());
            m_store.SaveKeyProfile();
            m_routes->Raise(ui::PageSignal::RefreshMousePage);
            m_routes->Raise(ui::PageSignal::RefreshKeyPage);
            SendKeyTable();
            break;
    }
}

void ProfileListsPage::SetDesktopSettings(int pointerSpeed, int wheelLines) {
    m_mirror.pointerSpeed.Set(static_cast<std::uint8_t>(pointerSpeed));
    m_mirror.wheelLines.Set(static_cast<std::uint8_t>(wheelLines));
    ShowDesktopSettings();
    m_desktop.ApplyPointerSpeedLater();
    m_desktop.ApplyWheelLinesLater();
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
