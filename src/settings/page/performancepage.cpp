#include "settings/page/performancepage.h"

#include <algorithm>
#include <cstdint>
#include <optional>

#include "device/sensortable.h"
#include "platform/decimal.h"
#include "settings/dpitable.h"
#include "ui/comboui.h"
#include "ui/controlui.h"
#include "ui/editui.h"
#include "ui/labelui.h"
#include "ui/notify.h"
#include "ui/optionui.h"
#include "ui/sliderui.h"

namespace varlok::settings {

namespace {

using ui::NameMatch;

constexpr std::string_view kReportRateCombo = "ms_report_fct_combo";
constexpr std::string_view kPointerSlider = "ms_point_speed_slider";
constexpr std::string_view kWheelEdit = "ms_gunlun_speed_edit";
constexpr std::string_view kWheelUp = "ms_gunlun_speed_up_btn";
constexpr std::string_view kWheelDown = "ms_gunlun_speed_down_btn";
constexpr std::string_view kRestoreDefaults = "ms_one_profile_default";
constexpr std::string_view kColourButtonPrefix = "ms_DPIcolor_btn_";
constexpr std::string_view kHeight2mm = "height2mm";
constexpr std::string_view kHeight3mm = "height3mm";
// Says which desktop settings this desktop does not let the program change.
constexpr std::string_view kDesktopNotice = "ms_desktop_notice";

constexpr ui::Argb kCurrentStageColour = ui::MakeArgb(0xFF, 255, 50, 0);
constexpr ui::Argb kUnknownStageColour = ui::MakeArgb(0xFF, 255, 0, 0);
constexpr ui::Argb kOtherStageColour = ui::MakeArgb(0xFF, 255, 255, 255);
constexpr ui::Argb kHoverBorderColour = ui::MakeArgb(0xFF, 255, 255, 255);
constexpr int kHoverBorderSize = 2;

int Signed(ui::WParam value) {
    return static_cast<int>(static_cast<std::intptr_t>(value));
}

std::string Decimal(int value) {
    return std::to_string(value);
}

}  // namespace

PerformancePage::PerformancePage(ui::CPaintManagerUI& controls, MouseMirror& mirror,
                                 device::DeviceLink& mouseLink, ProfileSaves& saves,
                                 DesktopApplier& desktop, ui::DialogService& dialogs)
    : m_controls(controls),
      m_mirror(mirror),
      m_mouseLink(mouseLink),
      m_saves(saves),
      m_desktop(desktop),
      m_dialogs(dialogs) {}

std::string PerformancePage::StageControl(int stage, std::string_view suffix) {
    return "ms_DPI" + Decimal(stage) + std::string(suffix);
}

std::string PerformancePage::ColourButton(int stage) {
    return std::string(kColourButtonPrefix) + Decimal(stage);
}

void PerformancePage::RegisterRoutes(ui::RouteTable& routes) {
    using namespace ui::msgtype;
    for (int stage = 1; stage <= kStageCount; ++stage) {
        routes.OnNotify(kOwner, kValueChanged, StageControl(stage, "_slider"), NameMatch::Exact,
                        [this, stage](ui::TNotifyUI& msg, std::optional<int>) {
                            SetStageDpi(stage, Signed(msg.wParam));
                        });
        if (stage <= kPreviewStages) {
            routes.OnNotify(kOwner, kMoveValueChanged, StageControl(stage, "_slider"),
                            NameMatch::Exact,
                            [this, stage](ui::TNotifyUI& msg, std::optional<int>) {
                                OnStageMoving(stage, Signed(msg.wParam));
                            });
        }
    }
    routes.OnClick(kOwner, kColourButtonPrefix, NameMatch::PrefixIndex,
                   [this](ui::TNotifyUI&, std::optional<int> stage) {
                       if (*stage >= 1 && *stage <= kStageCount) {
                           OnPickStageColour(*stage);
                       }
                   });
    for (const auto& [type, inside] :
         {std::pair{kMouseEnter, true}, std::pair{kMouseLeave, false}}) {
        routes.OnNotify(kOwner, type, kColourButtonPrefix, NameMatch::PrefixIndex,
                        [this, inside = inside](ui::TNotifyUI&, std::optional<int> stage) {
                            if (*stage >= 1 && *stage <= kHoverStages) {
                                OnHover(*stage, inside);
                            }
                        });
    }
    routes.OnNotify(
        kOwner, kItemSelect, kReportRateCombo, NameMatch::Exact,
        [this](ui::TNotifyUI& msg, std::optional<int>) { SetReportRate(Signed(msg.wParam)); });
    routes.OnNotify(
        kOwner, kValueChanged, kPointerSlider, NameMatch::Exact,
        [this](ui::TNotifyUI& msg, std::optional<int>) { OnPointerSpeed(Signed(msg.wParam)); });
    routes.OnClick(kOwner, kWheelUp, NameMatch::Exact,
                   [this](ui::TNotifyUI&, std::optional<int>) { OnWheelStep(+1); });
    routes.OnClick(kOwner, kWheelDown, NameMatch::Exact,
                   [this](ui::TNotifyUI&, std::optional<int>) { OnWheelStep(-1); });
    routes.OnNotify(kOwner, kTextChanged, kWheelEdit, NameMatch::Exact,
                    [this](ui::TNotifyUI&, std::optional<int>) { OnWheelTextChanged(); });
    routes.OnNotify(kOwner, kKillFocus, kWheelEdit, NameMatch::Exact,
                    [this](ui::TNotifyUI&, std::optional<int>) { OnWheelFocusLost(); });
    routes.OnClick(kOwner, kRestoreDefaults, NameMatch::Exact,
                   [this](ui::TNotifyUI&, std::optional<int>) { OnRestoreDefaults(); });
    for (const std::string_view option : {kHeight2mm, kHeight3mm}) {
        routes.OnNotify(kOwner, kSelectChanged, option, NameMatch::Exact,
                        [this, option](ui::TNotifyUI& msg, std::optional<int>) {
                            OnHeightOption(option, msg.wParam != 0);
                        });
    }
    routes.OnSignal(kOwner, ui::PageSignal::RefreshMousePage, [this] { Refresh(); });
    routes.OnSignal(kOwner, ui::PageSignal::FillPageData, [this] { ShowDesktopNotice(); });
}

void PerformancePage::SetStageDpi(int stage, int position) {
    const int p = std::clamp(position, 0, kHighestDpiPosition);
    if (auto* slider = m_controls.FindControl<ui::CSliderUI>(StageControl(stage, "_slider"))) {
        slider->SetValue(p);
    }
    m_mirror.settingsRecord.Set(SettingsRecord::DpiStageOffset(static_cast<unsigned>(stage)),
                                DpiCodeOfPosition(p));
    SetLabel(StageControl(stage, "_label_value"), Decimal(DpiOfPosition(p)));
    m_mirror.settingsDirty.Mark();
    SaveBoth();
}

void PerformancePage::OnStageMoving(int stage, int position) {
    // While the thumb moves the label follows the device's own steps; the
    // stored value comes with the release.
    const device::DeviceInfo& info = m_mirror.deviceInfo;
    SetLabel(StageControl(stage, "_label_value"),
             Decimal(info.DpiStep() * position + info.BaseDpi()));
}

void PerformancePage::OnPickStageColour(int stage) {
    ui::CControlUI* button = m_controls.FindControl(ColourButton(stage));
    if (button == nullptr) {
        return;
    }
    if (const std::optional<ui::Argb> colour = m_dialogs.PickColour(button->GetBkColor())) {
        SetStageColour(stage, *colour);
    }
}

void PerformancePage::SetStageColour(int stage, ui::Argb colour) {
    if (ui::CControlUI* button = m_controls.FindControl(ColourButton(stage))) {
        button->SetBkColor(colour);
    }
    const std::size_t offset = SettingsRecord::DpiColourOffset(static_cast<unsigned>(stage));
    m_mirror.settingsRecord.Set(offset, static_cast<std::uint8_t>(colour >> 16));
    m_mirror.settingsRecord.Set(offset + 1, static_cast<std::uint8_t>(colour >> 8));
    m_mirror.settingsRecord.Set(offset + 2, static_cast<std::uint8_t>(colour));
    m_mirror.settingsDirty.Mark();
    m_saves.SaveDeviceProfile();
}

void PerformancePage::OnHover(int stage, bool inside) {
    if (ui::CControlUI* button = m_controls.FindControl(ColourButton(stage))) {
        if (inside) {
            button->SetBorderColor(kHoverBorderColour);
        }
        button->SetBorderSize(inside ? kHoverBorderSize : 0);
    }
}

void PerformancePage::SetReportRate(int index) {
    if (auto* combo = m_controls.FindControl<ui::CComboUI>(kReportRateCombo)) {
        combo->SelectItem(index, false, false);
    }
    m_mirror.settingsRecord.Set(SettingsRecord::kReportRate, static_cast<std::uint8_t>(index));
    m_mirror.settingsDirty.Mark();
    SaveBoth();
}

void PerformancePage::SetCurrentStage(int stage) {
    m_mirror.settingsRecord.Set(SettingsRecord::kCurrentDpiStage,
                                static_cast<std::uint8_t>(std::clamp(stage, 1, kStageCount) - 1));
    ShowCurrentStage();
    m_mirror.settingsDirty.Mark();
    SaveBoth();
}

void PerformancePage::OnPointerSpeed(int position) {
    const int v = std::max(position, 0);
    m_mirror.pointerSpeed.Set(static_cast<std::uint8_t>(std::min(2 * v + 2, 255)));
    m_desktop.ApplyPointerSpeedLater();
    SaveBoth();
}

int PerformancePage::WheelEditValue() const {
    const ui::CControlUI* edit = m_controls.FindControl(kWheelEdit);
    return edit != nullptr ? platform::ParseDecimal(edit->GetText()) : 0;
}

void PerformancePage::OnWheelStep(int direction) {
    int lines = WheelEditValue();
    if (direction > 0) {
        lines = std::min(std::max(lines, 1) + 1, kMaxWheelLines);
    } else {
        lines = std::max(std::min(lines, kMaxWheelLines) - 1, 1);
    }
    SetLabel(std::string(kWheelEdit), Decimal(lines));
    m_mirror.wheelLines.Set(static_cast<std::uint8_t>(lines));
    m_desktop.ApplyWheelLinesLater();
    SaveBoth();
}

void PerformancePage::OnWheelTextChanged() {
    const int lines = WheelEditValue();
    if (lines > kMaxWheelLines) {
        SetLabel(std::string(kWheelEdit), Decimal(kMaxWheelLines));
    } else if (lines <= 0) {
        SetLabel(std::string(kWheelEdit), "1");
    }
}

void PerformancePage::OnWheelFocusLost() {
    // The typing clamp keeps the text within 1-100; the bounds hold here
    // too, whatever reached the edit.
    const int lines = std::clamp(WheelEditValue(), 1, kMaxWheelLines);
    m_mirror.wheelLines.Set(static_cast<std::uint8_t>(lines));
    m_desktop.ApplyWheelLinesLater();
    m_saves.SaveDeviceProfile();
}

void PerformancePage::OnRestoreDefaults() {
    if (auto* slider = m_controls.FindControl<ui::CSliderUI>(kPointerSlider)) {
        slider->SetValue(kDefaultPointerPosition);
    }
    m_desktop.ApplyPointerSpeedNow(platform::DesktopSettings::kDefaultPointerSpeed);
    SetLabel(std::string(kWheelEdit), Decimal(kDefaultWheelLines));
    m_desktop.ApplyWheelLinesNow(kDefaultWheelLines);
    // The stored pointer speed and wheel lines stay: the next profile save
    // writes them as they were.
    static_cast<void>(m_mouseLink.RestoreDefaults());
}

void PerformancePage::OnHeightOption(std::string_view chosen, bool selected) {
    // The two lift-off heights exclude each other; neither changes a setting.
    if (!selected) {
        return;
    }
    const std::string_view other = chosen == kHeight2mm ? kHeight3mm : kHeight2mm;
    if (auto* option = m_controls.FindControl<ui::COptionUI>(other)) {
        option->Selected(false, true);
    }
}

void PerformancePage::Refresh() {
    const SettingsRecord& record = m_mirror.settingsRecord;
    if (auto* combo = m_controls.FindControl<ui::CComboUI>(kReportRateCombo)) {
        combo->SelectItem(record.Get(SettingsRecord::kReportRate), false, false);
    }
    device::DeviceInfo& info = m_mirror.deviceInfo;
    if (const std::optional<device::SensorInfo> sensor = device::FindSensor(info.SensorCode())) {
        info.SetBaseDpi(sensor->baseDpi);
        for (int stage = 1; stage <= sensor->stagesLabelled; ++stage) {
            SetLabel(StageControl(stage, "_min"), sensor->minLabel);
            SetLabel(StageControl(stage, "_max"), sensor->maxLabel);
        }
    }
    // A device that claims more slider positions than the table holds gets
    // the table's: positions past 15 would store codes no DPI stands for.
    const int highest = std::min<int>(info.HighestDpiPosition(), kHighestDpiPosition);
    for (int stage = 1; stage <= kStageCount; ++stage) {
        const int position = DpiPositionOfCode(
            record.Get(SettingsRecord::DpiStageOffset(static_cast<unsigned>(stage))));
        if (auto* slider = m_controls.FindControl<ui::CSliderUI>(StageControl(stage, "_slider"))) {
            slider->SetMinValue(0);
            slider->SetMaxValue(highest);
            slider->SetValue(position);
        }
        SetLabel(StageControl(stage, "_label_value"), Decimal(DpiOfPosition(position)));
        if (ui::CControlUI* button = m_controls.FindControl(ColourButton(stage))) {
            const std::size_t offset =
                SettingsRecord::DpiColourOffset(static_cast<unsigned>(stage));
            button->SetBkColor(ui::MakeArgb(0xFF, record.Get(offset), record.Get(offset + 1),
                                            record.Get(offset + 2)));
        }
    }
    ShowCurrentStage();
}

void PerformancePage::ShowCurrentStage() {
    const int current = m_mirror.settingsRecord.Get(SettingsRecord::kCurrentDpiStage);
    for (int stage = 1; stage <= kStageCount; ++stage) {
        ui::Argb colour = kOtherStageColour;
        if (current < kStageCount) {
            colour = stage == current + 1 ? kCurrentStageColour : kOtherStageColour;
        } else if (stage == 1) {
            colour = kUnknownStageColour;
        }
        for (const char* suffix : {"_label_rank", "_label_value"}) {
            if (auto* label = m_controls.FindControl<ui::CLabelUI>(StageControl(stage, suffix))) {
                label->SetTextColor(colour);
            }
        }
    }
}

void PerformancePage::ShowDesktopNotice() {
    using platform::DesktopSetting;
    const bool speed = m_desktop.Supports(DesktopSetting::PointerSpeed);
    const bool wheel = m_desktop.Supports(DesktopSetting::WheelLines);
    ui::CControlUI* notice = m_controls.FindControl(kDesktopNotice);
    if (notice == nullptr) {
        return;
    }
    if (speed && wheel) {
        notice->SetVisible(false);
        return;
    }
    notice->SetText(!speed && !wheel ? "performance_desktop_neither"
                    : !speed         ? "performance_desktop_no_speed"
                                     : "performance_desktop_no_wheel");
    notice->SetToolTip(notice->GetText());
    notice->SetVisible(true);
}

void PerformancePage::SetLabel(const std::string& name, std::string_view text) {
    if (ui::CControlUI* control = m_controls.FindControl(name)) {
        control->SetText(text);
    }
}

void PerformancePage::SaveBoth() {
    m_saves.SaveLightingProfile();
    m_saves.SaveDeviceProfile();
}

}  // namespace varlok::settings
