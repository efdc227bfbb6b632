#pragma once

#include <string>
#include <string_view>

#include "device/devicelink.h"
#include "settings/desktopapplier.h"
#include "settings/mousemirror.h"
#include "settings/profilesaves.h"
#include "ui/dialogservice.h"
#include "ui/paintmanagerui.h"
#include "ui/routetable.h"

namespace varlok::settings {

// The performance section of the mouse page: seven DPI stages with their
// colours, the report rate, the desktop's pointer speed and wheel lines, the
// lift-off height options and the restore-defaults button. Acts on its
// controls by name through the window's paint manager; every change goes
// into the mirror, marks the settings dirty (the next flush sends the
// record) and is saved in the selected profiles at once.
//
// Thread affinity: the UI thread.
class PerformancePage : public ui::Page {
public:
    static constexpr std::string_view kOwner = "performance page";
    static constexpr int kStageCount = SettingsRecord::kDpiStageCount;
    // Stages whose slider previews the DPI while it moves, and whose colour
    // button gets a border while the pointer is over it.
    static constexpr int kPreviewStages = 6;
    static constexpr int kHoverStages = 6;
    // The pointer speed slider's position v stands for speed 2v + 2; the
    // position of the desktop's default speed 10.
    static constexpr int kDefaultPointerPosition = 4;
    static constexpr int kDefaultWheelLines = 3;
    static constexpr int kMaxWheelLines = 100;

    // Every reference must outlive the page.
    PerformancePage(ui::CPaintManagerUI& controls, MouseMirror& mirror,
                    device::DeviceLink& mouseLink, ProfileSaves& saves, DesktopApplier& desktop,
                    ui::DialogService& dialogs);

    void RegisterRoutes(ui::RouteTable& routes) override;

    // Shows the record, the DPI capability of the device and the current
    // stage (after every read of the mouse, switch of onboard profile and
    // profile load).
    void Refresh();

    // The changes the page's controls make, shared with the bus service,
    // which reaches them without the controls: each shows the new value on
    // its control, stores it in the record, marks the settings dirty and
    // saves the selected profiles. Stages are 1-7.

    // Stage's slider to a position of the DPI table (its value changed).
    void SetStageDpi(int stage, int position);
    // Stage's indicator colour (opaque ARGB), as the colour dialog gives it.
    void SetStageColour(int stage, ui::Argb colour);
    // The report-rate list's entry index.
    void SetReportRate(int index);
    // The current DPI stage, which the mouse otherwise reports itself.
    void SetCurrentStage(int stage);

    // The control names of stage n (1-7): "ms_DPI" n suffix.
    [[nodiscard]] static std::string StageControl(int stage, std::string_view suffix);
    [[nodiscard]] static std::string ColourButton(int stage);

private:
    void OnStageMoving(int stage, int position);
    void OnPickStageColour(int stage);
    void OnHover(int stage, bool inside);
    void OnPointerSpeed(int position);
    void OnWheelStep(int direction);
    void OnWheelTextChanged();
    void OnWheelFocusLost();
    void OnRestoreDefaults();
    void OnHeightOption(std::string_view chosen, bool selected);
    void ShowDesktopNotice();
    // The rank and value labels of the current stage in its colour.
    void ShowCurrentStage();

    void SetLabel(const std::string& name, std::string_view text);
    void SaveBoth();
    [[nodiscard]] int WheelEditValue() const;

    ui::CPaintManagerUI& m_controls;
    MouseMirror& m_mirror;
    device::DeviceLink& m_mouseLink;
    ProfileSaves& m_saves;
    DesktopApplier& m_desktop;
    ui::DialogService& m_dialogs;
};

}  // namespace varlok::settings
