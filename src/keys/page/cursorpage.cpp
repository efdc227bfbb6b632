#include "keys/page/cursorpage.h"
#include "keys/page/pagecontrols.h"
#include "keys/page/storemessagebox.h"

#include <utility>

#include "platform/debugoutput.h"
#include "ui/checkboxui.h"
#include "ui/controlui.h"
#include "ui/filedialog.h"
#include "ui/notify.h"
#include "ui/optionui.h"

namespace varlok::keys {

namespace {

using ui::NameMatch;
using Routed = std::optional<int>;
namespace msgtype = ui::msgtype;

}  // namespace

CursorPage::CursorPage(const settings::PageContext& context)
    : m_controls(context.controls),
      m_model(context.model),
      m_scripts(*context.cursorScripts),
      m_mouseLink(context.model.MouseLink()),
      m_dialogs(context.dialogs) {}

std::string CursorPage::ShotOption(int shot) {
    return std::string(kShotOptionPrefix) + std::to_string(shot);
}

std::string CursorPage::ScriptOption(int script) {
    return std::string(kScriptOptionPrefix) + std::to_string(script);
}

void CursorPage::RegisterRoutes(ui::RouteTable& routes) {
    routes.OnNotify(kOwner, msgtype::kSelectChanged, kScriptOptionPrefix, NameMatch::PrefixIndex,
                    [this](ui::TNotifyUI& msg, Routed number) {
                        if (msg.wParam != 0 && *number < CursorScripts::kScriptCount) {
                            ChooseScript(*number);
                        }
                    });
    routes.OnNotify(kOwner, msgtype::kSelectChanged, kShotOptionPrefix, NameMatch::PrefixIndex,
                    [this](ui::TNotifyUI& msg, Routed number) {
                        if (*number < CursorScripts::kShotCount) {
                            OnShotOption(*number, msg.wParam != 0);
                        }
                    });
    routes.OnClick(kOwner, kPreviousButton, NameMatch::Exact, [this](ui::TNotifyUI&, Routed) {
        if (m_shot > 0) {
            SelectShot(m_shot - 1);
        }
    });
    routes.OnClick(kOwner, kNextButton, NameMatch::Exact, [this](ui::TNotifyUI&, Routed) {
        if (m_shot < CursorScripts::kShotCount - 1) {
            SelectShot(m_shot + 1);
        }
    });
    for (const std::string_view edit : {kHorizontalEdit, kVerticalEdit}) {
        routes.OnNotify(kOwner, msgtype::kTextChanged, edit, NameMatch::Exact,
                        [this, edit](ui::TNotifyUI&, Routed) { OnDistanceEdit(edit); });
    }
    routes.OnNotify(kOwner, msgtype::kTextChanged, kPauseEdit, NameMatch::Exact,
                    [this](ui::TNotifyUI&, Routed) { OnPauseEdit(); });
    for (const std::string_view check : {kHorizontalCheck, kVerticalCheck}) {
        routes.OnNotify(kOwner, msgtype::kSelectChanged, check, NameMatch::Exact,
                        [this, check](ui::TNotifyUI&, Routed) { OnDirectionCheck(check); });
    }
    routes.OnClick(kOwner, kSendButton, NameMatch::Exact,
                   [this](ui::TNotifyUI&, Routed) { OnSend(); });
    routes.OnClick(kOwner, kResetButton, NameMatch::Exact,
                   [this](ui::TNotifyUI&, Routed) { OnReset(); });
    routes.OnClick(kOwner, kImportButton, NameMatch::Exact,
                   [this](ui::TNotifyUI&, Routed) { OnImport(); });
    routes.OnClick(kOwner, kExportButton, NameMatch::Exact,
                   [this](ui::TNotifyUI&, Routed) { OnExport(); });
    routes.OnSignal(kOwner, settings::PageSignal::kFillPageData, [this] { Prepare(); });
}

void CursorPage::Prepare() {
    if (!m_scripts.PrepareCursorScripts()) {
        platform::DebugOutput::Write("cursor page: the cursor scripts are not all in place");
    }
    if (auto* option = m_controls.FindControl<ui::COptionUI>(ScriptOption(0))) {
        option->Selected(true, false);
    }
    ChooseScript(0);
}

void CursorPage::ChooseScript(int script) {
    m_script = script;
    SelectShot(0);
}

void CursorPage::SelectShot(int shot) {
    for (int other = 0; other < CursorScripts::kShotCount; ++other) {
        if (auto* option = m_controls.FindControl<ui::COptionUI>(ShotOption(other))) {
            option->Selected(other == shot, false);
        }
    }
    OnShotOption(shot, true);
}

void CursorPage::OnShotOption(int shot, bool selected) {
    if (!selected) {
        // The chosen shot clicked again: no shot is chosen, nothing to edit.
        if (shot == m_shot) {
            if (auto* editor = m_controls.FindControl(kEditor)) {
                editor->SetEnabled(false);
            }
        }
        return;
    }
    // The shot options keep no group of their own, so the others are
    // deselected here (quietly: they are no choice of the user's).
    for (int other = 0; other < CursorScripts::kShotCount; ++other) {
        if (other == shot) {
            continue;
        }
        if (auto* option = m_controls.FindControl<ui::COptionUI>(ShotOption(other))) {
            option->Selected(false, false);
        }
    }
    m_shot = shot;
    LoadShot();
    if (auto* editor = m_controls.FindControl(kEditor)) {
        editor->SetEnabled(true);
    }
    SetText(kShotIndexLabel, std::to_string(shot + 1));
}

void CursorPage::LoadShot() {
    const CursorScripts::Shot shot = m_scripts.LoadShot(m_script, m_shot);
    m_filling = true;
    SetText(kPauseEdit, std::to_string(shot.pauseMs));
    SetText(kHorizontalEdit, std::to_string(shot.horizontal));
    SetCheck(kHorizontalCheck, shot.left, shot.left ? kMoveLeftLabel : kMoveRightLabel);
    SetText(kVerticalEdit, std::to_string(shot.vertical));
    SetCheck(kVerticalCheck, shot.up, shot.up ? kMoveUpLabel : kMoveDownLabel);
    m_filling = false;
}

int CursorPage::ReadEdit(std::string_view edit, int max) {
    return ReadNumberEdit(m_controls, edit, max, m_filling);
}

void CursorPage::OnDistanceEdit(std::string_view edit) {
    if (m_filling) {
        return;
    }
    static_cast<void>(ReadEdit(edit, CursorScripts::kMaxDistance));
    SaveShot();
}

void CursorPage::OnPauseEdit() {
    if (m_filling) {
        return;
    }
    static_cast<void>(ReadEdit(kPauseEdit, CursorScripts::kMaxPauseMs));
    SaveShot();
}

void CursorPage::OnDirectionCheck(std::string_view check) {
    if (m_filling) {
        return;
    }
    const bool selected = IsChecked(check);
    if (check == kHorizontalCheck) {
        SetCheck(check, selected, selected ? kMoveLeftLabel : kMoveRightLabel);
    } else {
        SetCheck(check, selected, selected ? kMoveUpLabel : kMoveDownLabel);
    }
    SaveShot();
}

void CursorPage::SaveShot() {
    CursorScripts::Shot shot;
    shot.pauseMs = ReadEdit(kPauseEdit, CursorScripts::kMaxPauseMs);
    shot.horizontal = ReadEdit(kHorizontalEdit, CursorScripts::kMaxDistance);
    shot.left = IsChecked(kHorizontalCheck);
    shot.vertical = ReadEdit(kVerticalEdit, CursorScripts::kMaxDistance);
    shot.up = IsChecked(kVerticalCheck);
    if (!m_scripts.SaveShot(m_script, m_shot, shot)) {
        Show({std::string(kWriteFailedMessage), {}});
        return;
    }
    ScriptsChanged();
}

void CursorPage::OnSend() {
    const TableUpload upload = m_scripts.UploadCursorScripts(m_mouseLink);
    if (upload.message) {
        Show(*upload.message);
    }
}

void CursorPage::OnReset() {
    if (m_scripts.ResetScript(m_script)) {
        ScriptsChanged();
    } else {
        Show({std::string(kWriteFailedMessage), {}});
    }
    SelectShot(0);
}

void CursorPage::OnImport() {
    const std::optional<std::string> path = ui::OpenFileDialog(StoreFileDialog("cur"));
    if (!path) {
        return;
    }
    if (const std::optional<StoreMessage> refusal = m_scripts.ImportScript(m_script, *path)) {
        Show(*refusal);
        return;
    }
    ScriptsChanged();
    LoadShot();
}

void CursorPage::OnExport() {
    const std::optional<std::string> path = ui::SaveFileDialog(StoreFileDialog("cur"));
    if (path && !m_scripts.ExportScript(m_script, *path)) {
        Show({std::string(kWriteFailedMessage), {}});
    }
}

void CursorPage::ScriptsChanged() {
    m_model.NoteChange(settings::Touch::CursorTable, settings::MouseChange::CursorScripts);
}

bool CursorPage::IsChecked(std::string_view check) const {
    return IsOptionSelected(m_controls, check);
}

void CursorPage::SetCheck(std::string_view check, bool selected, std::string_view label) {
    if (auto* option = m_controls.FindControl<ui::COptionUI>(check)) {
        option->Selected(selected, false);
        option->SetText(label);
    }
}

void CursorPage::SetText(std::string_view control, const std::string& text) {
    if (auto* found = m_controls.FindControl(control)) {
        found->SetText(text);
    }
}

void CursorPage::Show(const StoreMessage& message) {
    ShowStoreMessage(m_dialogs, message);
}

}  // namespace varlok::keys
