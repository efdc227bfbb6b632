#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "device/devicelink.h"
#include "keys/cursorscripts.h"
#include "keys/storemessage.h"
#include "settings/mousemodel.h"
#include "settings/page/pagecontext.h"
#include "ui/dialogservice.h"
#include "ui/paintmanagerui.h"
#include "ui/routetable.h"

namespace varlok::keys {

// The cursor section of the mouse page: the four script options, the 30 shot
// options, the editor of one shot (pause, horizontal and vertical move with
// their direction checks), and the send, reset, import and export buttons.
// Every change of the editor is written into the script's file at once (and
// told through the model); the mouse gets the scripts only from the send
// button (or the key page's send). Keeps only which script and shot are
// chosen; everything else is on disk.
//
// Thread affinity: the UI thread.
class CursorPage : public ui::Page {
public:
    static constexpr std::string_view kOwner = "cursor page";
    static constexpr std::string_view kScriptOptionPrefix = "ms_gun_op_";
    static constexpr std::string_view kShotOptionPrefix = "ms_bullet_op_";
    static constexpr std::string_view kEditor = "cursor_edit_layout";
    static constexpr std::string_view kPauseEdit = "ms_cursor_delay_eidt";
    static constexpr std::string_view kHorizontalEdit = "ms_cursor_x_eidt";
    static constexpr std::string_view kHorizontalCheck = "ms_cursor_x_check";
    static constexpr std::string_view kVerticalEdit = "ms_cursor_y_eidt";
    static constexpr std::string_view kVerticalCheck = "ms_cursor_y_check";
    static constexpr std::string_view kShotIndexLabel = "bullet_select_index";
    static constexpr std::string_view kPreviousButton = "bullet_selected_prev";
    static constexpr std::string_view kNextButton = "bullet_selected_next";
    static constexpr std::string_view kSendButton = "ms_bulletdate_save_btn";
    static constexpr std::string_view kResetButton = "ms_bulletdate_reset_btn";
    static constexpr std::string_view kImportButton = "ms_bulletdate_import_btn";
    static constexpr std::string_view kExportButton = "ms_bulletdate_export_btn";

    // Needs context.cursorScripts.
    explicit CursorPage(const settings::PageContext& context);

    void RegisterRoutes(ui::RouteTable& routes) override;

    // The first-run files, then script 0 with shot 0 chosen.
    void Prepare();

    [[nodiscard]] int CurrentScript() const { return m_script; }
    [[nodiscard]] int CurrentShot() const { return m_shot; }

    [[nodiscard]] static std::string ShotOption(int shot);
    [[nodiscard]] static std::string ScriptOption(int script);

private:
    void ChooseScript(int script);
    // Selects shot option shot alone and loads that shot.
    void SelectShot(int shot);
    void OnShotOption(int shot, bool selected);
    void LoadShot();
    void OnDistanceEdit(std::string_view edit);
    void OnPauseEdit();
    void OnDirectionCheck(std::string_view check);
    void SaveShot();
    void OnSend();
    void OnReset();
    void OnImport();
    void OnExport();
    // The scripts' files changed: recorded and told through the model.
    void ScriptsChanged();

    // The edit's number limited to max; a limited value is written back.
    int ReadEdit(std::string_view edit, int max);
    [[nodiscard]] bool IsChecked(std::string_view check) const;
    void SetCheck(std::string_view check, bool selected, std::string_view label);
    void SetText(std::string_view control, const std::string& text);
    void Show(const StoreMessage& message);

    ui::CPaintManagerUI& m_controls;
    settings::MouseModel& m_model;
    CursorScripts& m_scripts;
    device::DeviceLink& m_mouseLink;
    ui::DialogService& m_dialogs;
    int m_script = 0;
    int m_shot = 0;
    // Set while the page fills the editor, so that the edits' and checks'
    // own notifications do not write a half-filled shot back.
    bool m_filling = false;
};

}  // namespace varlok::keys
