#include "settings/page/performancepage.h"

#include <algorithm>
#include <cstdint>
#include <optional>

#include "device/sensortable.h"
#include "platform/decimal.h"
#include "settings/dpitable.h"
#include "settings/performancesettings.h"
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

PerformancePage::PerformancePage(const PageContext& context)
    : m_controls(context.controls),
      m_model(context.model),
      m_dialogs(context.dialogs),
      m_subscription(m_model.Subscribe([this](MouseChange changed) { OnModelChanged(changed); })) {}

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
                            m_model.SetStageDpi(stage, Signed(msg.wParam));
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
    routes.OnNotify(kOwner, kItemSelect, kReportRateCombo, NameMatch::Exact,
                    [this](ui::TNotifyUI& msg, std::optional<int>) {
                        m_model.SetReportRate(Signed(msg.wParam));
                    });
    routes.OnNotify(kOwner, kValueChanged, kPointerSlider, NameMatch::Exact,
                    [this](ui::TNotifyUI& msg, std::optional<int>) {
                        m_model.SetPointerSpeed(PointerSpeedOfPosition(Signed(msg.wParam)));
                    });
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
    routes.OnSignal(kOwner, settings::PageSignal::kFillPageData, [this] { ShowDesktopNotice(); });
}

void PerformancePage::OnModelChanged(MouseChange changed) {
    if (HasAny(changed, MouseChange::Record | MouseChange::Settings)) {
        Refresh();
    }
    if (HasAny(changed, MouseChange::DesktopSettings)) {
        const MouseMirror& mirror = m_model.Mirror();
        ShowDesktopSettings(PositionOfPointerSpeed(mirror.pointerSpeed.Get()),
                            mirror.wheelLines.Get());
    }
}

void PerformancePage::OnStageMoving(int stage, int position) {
    // While the thumb moves the label follows the device's own steps; the
    // stored value comes with the release.
    SetLabel(StageControl(stage, "_label_value"),
             Decimal(MovingStageDpi(m_model.Mirror().deviceInfo, position)));
}

void PerformancePage::OnPickStageColour(int stage) {
    ui::CControlUI* button = m_controls.FindControl(ColourButton(stage));
    if (button == nullptr) {
        return;
    }
    if (const std::optional<ui::Argb> colour = m_dialogs.PickColour(button->GetBkColor())) {
        m_model.SetStageColour(stage, Rgb{static_cast<std::uint8_t>(*colour >> 16),
                                          static_cast<std::uint8_t>(*colour >> 8),
                                          static_cast<std::uint8_t>(*colour)});
    }
}

void PerformancePage::OnHover(int stage, bool inside) {
    if (ui::CControlUI* button = m_controls.FindControl(ColourButton(stage))) {
        if (inside) {
            button->SetBorderColor(kHoverBorderColour);
        }
        button->SetBorderSize(inside ? kHoverBorderSize : 0);
    }
}

int PerformancePage::WheelEditValue() const {
    const ui::CControlUI* edit = m_controls.FindControl(kWheelEdit);
    return edit != nullptr ? platform::ParseDecimal(edit->GetText()) : 0;
}

void PerformancePage::OnWheelStep(int direction) {
    int lines = WheelEditValue();
    if (direction > 0) {
        lines = std::min(std::max(lines, 1) + 1, MouseModel::kMaxWheelLines);
    } else {
        lines = std::max(std::min(lines, MouseModel::kMaxWheelLines) - 1, 1);
    }
    SetLabel(std::string(kWheelEdit), Decimal(lines));
    m_model.SetWheelLines(lines, MouseModel::WheelLinesFrom::Steps);
}

void PerformancePage::OnWheelTextChanged() {
    const int lines = WheelEditValue();
    if (lines > MouseModel::kMaxWheelLines) {
        SetLabel(std::string(kWheelEdit), Decimal(MouseModel::kMaxWheelLines));
    } else if (lines <= 0) {
        SetLabel(std::string(kWheelEdit), "1");
    }
}

void PerformancePage::OnWheelFocusLost() {
    // The typing clamp keeps the text within 1-100; the bounds hold here
    // too, whatever reached the edit.
    m_model.SetWheelLines(WheelEditValue(), MouseModel::WheelLinesFrom::Typing);
}

void PerformancePage::OnRestoreDefaults() {
    m_model.RestoreDefaults();
    // The controls show the desktop's defaults; the stored values stay, and
    // the next profile save writes them as they were.
    ShowDesktopSettings(MouseModel::kDefaultPointerPosition, MouseModel::kDefaultWheelLines);
}

void PerformancePage::ShowDesktopSettings(int pointerPosition, int wheelLines) {
    if (auto* slider = m_controls.FindControl<ui::CSliderUI>(kPointerSlider)) {
        slider->SetValue(pointerPosition);
    }
    SetLabel(std::string(kWheelEdit), Decimal(wheelLines));
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
    const PerformanceSettings performance = m_model.Performance();
    if (auto* combo = m_controls.FindControl<ui::CComboUI>(kReportRateCombo)) {
        combo->SelectItem(performance.ReportRateIndex(), false, false);
    }
    const device::DeviceInfo& info = m_model.Mirror().deviceInfo;
    if (const std::optional<device::SensorInfo> sensor = device::FindSensor(info.SensorCode())) {
        for (int stage = 1; stage <= sensor->stagesLabelled; ++stage) {
            SetLabel(StageControl(stage, "_min"), sensor->minLabel);
            SetLabel(StageControl(stage, "_max"), sensor->maxLabel);
        }
    }
    const int highest = HighestStagePosition(info);
    for (int stage = 1; stage <= kStageCount; ++stage) {
        const int position = performance.StagePosition(stage);
        if (auto* slider = m_controls.FindControl<ui::CSliderUI>(StageControl(stage, "_slider"))) {
            slider->SetMinValue(0);
            slider->SetMaxValue(highest);
            slider->SetValue(position);
        }
        SetLabel(StageControl(stage, "_label_value"), Decimal(DpiOfPosition(position)));
        if (ui::CControlUI* button = m_controls.FindControl(ColourButton(stage))) {
            const Rgb colour = performance.StageColour(stage);
            button->SetBkColor(ui::MakeArgb(0xFF, colour.red, colour.green, colour.blue));
        }
    }
    ShowCurrentStage();
}

void PerformancePage::ShowCurrentStage() {
    const int current = m_model.Performance().CurrentStageIndex();
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
    const bool speed = m_model.Desktop().Supports(DesktopSetting::PointerSpeed);
    const bool wheel = m_model.Desktop().Supports(DesktopSetting::WheelLines);
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

}  // namespace varlok::settings
