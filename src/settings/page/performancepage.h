#pragma once

#include <string>
#include <string_view>

#include "settings/mousemodel.h"
#include "settings/page/pagecontext.h"
#include "ui/dialogservice.h"
#include "ui/paintmanagerui.h"
#include "ui/routetable.h"

namespace varlok::settings {

// The performance section of the mouse page: seven DPI stages with their
// colours, the report rate, the desktop's pointer speed and wheel lines, the
// lift-off height options and the restore-defaults button. Shows the model
// on its controls (by name, through the window's paint manager) whenever it
// changes, and turns the controls' events into the model's changes.
//
// Thread affinity: the UI thread.
class PerformancePage : public ui::Page {
public:
    static constexpr std::string_view kOwner = "performance page";
    static constexpr int kStageCount = PerformanceSettings::kStageCount;
    // Stages whose slider previews the DPI while it moves, and whose colour
    // button gets a border while the pointer is over it.
    static constexpr int kPreviewStages = 6;
    static constexpr int kHoverStages = 6;

    explicit PerformancePage(const PageContext& context);

    void RegisterRoutes(ui::RouteTable& routes) override;

    // Shows the record, the DPI capability of the device and the current
    // stage.
    void Refresh();

    // The control names of stage n (1-7): "ms_DPI" n suffix.
    [[nodiscard]] static std::string StageControl(int stage, std::string_view suffix);
    [[nodiscard]] static std::string ColourButton(int stage);

private:
    void OnModelChanged(MouseChange changed);
    void OnStageMoving(int stage, int position);
    void OnPickStageColour(int stage);
    void OnHover(int stage, bool inside);
    void OnWheelStep(int direction);
    void OnWheelTextChanged();
    void OnWheelFocusLost();
    void OnRestoreDefaults();
    void OnHeightOption(std::string_view chosen, bool selected);
    void ShowDesktopNotice();
    // The pointer speed slider and the wheel lines edit as the model holds
    // them.
    void ShowDesktopSettings(int pointerPosition, int wheelLines);
    // The rank and value labels of the current stage in its colour.
    void ShowCurrentStage();

    void SetLabel(const std::string& name, std::string_view text);
    [[nodiscard]] int WheelEditValue() const;

    ui::CPaintManagerUI& m_controls;
    MouseModel& m_model;
    ui::DialogService& m_dialogs;
    MouseModel::Subscription m_subscription;
};

}  // namespace varlok::settings
