#include "profiles/page/profilelinks.h"

#include <array>

#include "profiles/applicationlinks.h"
#include "profiles/page/profileitems.h"
#include "settings/page/pagecontext.h"
#include "ui/comboui.h"
#include "ui/filedialog.h"
#include "ui/optionui.h"
#include "ui/resourcemanager.h"

namespace varlok::profiles {

namespace {

constexpr std::string_view kAllProgramsText = "profile_all_programs";
constexpr std::string_view kNoSelectionMessage = "profile_message_no_selection";
// A program whose path the store cannot hold (a line break in it), and a
// store that could not be written.
constexpr std::string_view kBadProgramMessage = "profile_message_bad_program";
constexpr std::string_view kWriteFailedMessage = "message_text_10";

struct UnavailableReason {
    platform::ForegroundSupport support;
    std::string_view tip;
};

constexpr std::array<UnavailableReason, 5> kUnavailableReasons{{
    {platform::ForegroundSupport::NoX11Display, "profile_tip_links_unavailable"},
    {platform::ForegroundSupport::UnsupportedCompositor, "profile_tip_links_unavailable"},
    {platform::ForegroundSupport::GnomeExtensionMissing, "profile_tip_links_gnome_extension"},
    {platform::ForegroundSupport::KwinScriptNotLoaded, "profile_tip_links_kwin_script"},
    {platform::ForegroundSupport::CompositorUnreachable,
     "profile_tip_links_compositor_unreachable"},
}};

}  // namespace

std::string_view ProfileLinks::UnavailableTip(platform::ForegroundSupport support) {
    for (const UnavailableReason& reason : kUnavailableReasons) {
        if (reason.support == support) {
            return reason.tip;
        }
    }
    return {};
}

void ProfileLinks::RegisterRoutes(ui::RouteTable& routes, std::string_view owner,
                                  const platform::ForegroundProgram* foreground) {
    m_foreground = foreground;
    routes.OnSignal(owner, settings::PageSignal::kFillPageData, [this] { ShowAvailability(); });
    for (const ProfileListControls& list : kProfileListControls) {
        routes.OnNotify(owner, ui::msgtype::kSelectChanged, list.linkCheck, ui::NameMatch::Exact,
                        [this, &list](ui::TNotifyUI& msg, std::optional<int>) {
                            OnLinkCheck(list, msg.wParam != 0);
                        });
        routes.OnClick(owner, list.linkButton, ui::NameMatch::Exact,
                       [this, &list](ui::TNotifyUI&, std::optional<int>) { OnLinkButton(list); });
    }
    routes.OnClick(owner, kCancelLinkButton, ui::NameMatch::Exact,
                   [this](ui::TNotifyUI&, std::optional<int>) { OnCancel(); });
}

void ProfileLinks::ShowAvailability() {
    const platform::ForegroundSupport support = m_foreground != nullptr
                                                    ? m_foreground->Support()
                                                    : platform::ForegroundSupport::NoX11Display;
    if (platform::CanFollow(support)) {
        return;
    }
    // Links made here would never act: the controls say why instead.
    const std::string_view tip = UnavailableTip(support);
    const auto disable = [this, tip](std::string_view name) {
        if (ui::CControlUI* control = m_controls.FindControl(name)) {
            control->SetEnabled(false);
            control->SetToolTip(tip);
        }
    };
    for (const ProfileListControls& list : kProfileListControls) {
        disable(list.linkCheck);
        disable(list.linkButton);
        disable(list.linkEdit);
    }
    disable(kCancelLinkButton);
}

void ProfileLinks::ShowLink(ProfileCategory category, int index) {
    const ProfileListControls& list = ListControls(category);
    const ProfileCategoryInfo& info = CategoryInfo(category);
    const std::string key = std::to_string(index);
    if (m_editor.Store().Ini().ReadInt(info.linkFlagSection, key) == 0) {
        UntickWithNotification(list);
        return;
    }
    const std::optional<std::string> program =
        LinkedProgramName(ReadLinkedPath(m_editor.Store().Ini(), category, index));
    if (!program) {
        return;
    }
    if (ui::CControlUI* edit = m_controls.FindControl(list.linkEdit)) {
        edit->SetText(*program);
    }
    if (auto* check = m_controls.FindControl<ui::COptionUI>(list.linkCheck)) {
        check->Selected(true, false);
    }
    if (ui::CControlUI* row = m_controls.FindControl(list.linkRow)) {
        row->SetVisible(true);
    }
}

std::optional<std::string> ProfileLinks::ChooseProgram() const {
    ui::FileDialogOptions options;
    // Programs here are files one may run, whatever their names.
    options.filter =
        "(" + ui::CResourceManager::GetInstance().GetText(kAllProgramsText) + ") | * ||";
    options.flags |= ui::FileDialogOptions::kExecutablesOnly;
    return ui::OpenFileDialog(options);
}

std::optional<int> ProfileLinks::SelectedEntry(const ProfileListControls& list) {
    const auto* combo = m_controls.FindControl<ui::CComboUI>(list.list);
    if (combo == nullptr || combo->GetCurSel() < 0) {
        m_dialogs.ShowMessage(kNoSelectionMessage);
        return std::nullopt;
    }
    return combo->GetCurSel();
}

bool ProfileLinks::LinkedElsewhere(const ProfileListControls& list,
                                   const std::string& program) const {
    const auto* combo = m_controls.FindControl<ui::CComboUI>(list.list);
    return combo != nullptr && m_editor.IsLinked(list.category, combo->GetCount(), program);
}

void ProfileLinks::OnLinkCheck(const ProfileListControls& list, bool checked) {
    if (!checked) {
        if (const auto* combo = m_controls.FindControl<ui::CComboUI>(list.list);
            combo != nullptr && combo->GetCurSel() >= 0) {
            Clear(list, combo->GetCurSel(), list.variant.rowAfterUntick);
        }
        return;
    }
    const std::optional<int> index = SelectedEntry(list);
    if (!index) {
        UntickWithNotification(list);
        return;
    }
    const std::optional<std::string> program = ChooseProgram();
    if (!program) {
        UntickWithNotification(list);
        Clear(list, *index, false);
        return;
    }
    if (LinkedElsewhere(list, *program)) {
        m_dialogs.ShowMessage("message_text_13");
        UntickWithNotification(list);
        return;
    }
    if (!LinkedProgramName(*program)) {
        UntickWithNotification(list);
        Clear(list, *index, false);
        return;
    }
    if (!ShowLinked(list, *index, *program)) {
        UntickWithNotification(list);
    }
}

void ProfileLinks::OnLinkButton(const ProfileListControls& list) {
    const std::optional<int> index = SelectedEntry(list);
    if (!index) {
        return;
    }
    const std::optional<std::string> program = ChooseProgram();
    if (!program) {
        return;
    }
    if (list.variant.linkButtonChecksDuplicates && LinkedElsewhere(list, *program)) {
        m_dialogs.ShowMessage("message_text_13");
        UntickWithNotification(list);
        return;
    }
    if (LinkedProgramName(*program)) {
        // A refused program leaves the entry's link as it was.
        static_cast<void>(ShowLinked(list, *index, *program));
    }
}

void ProfileLinks::OnCancel() {
    const ProfileListControls& list = ListControls(ProfileCategory::Device);
    UntickWithNotification(list);
    if (const auto* combo = m_controls.FindControl<ui::CComboUI>(list.list);
        combo != nullptr && combo->GetCurSel() >= 0) {
        Clear(list, combo->GetCurSel(), true);
    }
}

bool ProfileLinks::ShowLinked(const ProfileListControls& list, int index,
                              const std::string& program) {
    if (const platform::IniWriteResult written = m_editor.WriteLink(list.category, index, program);
        written != platform::IniWriteResult::Ok) {
        m_dialogs.ShowMessage(written == platform::IniWriteResult::InvalidValue
                                  ? kBadProgramMessage
                                  : kWriteFailedMessage);
        return false;
    }
    if (ui::CControlUI* edit = m_controls.FindControl(list.linkEdit)) {
        edit->SetText(LinkedProgramName(program).value_or(""));
    }
    if (auto* check = m_controls.FindControl<ui::COptionUI>(list.linkCheck)) {
        check->Selected(true, false);
    }
    if (ui::CControlUI* row = m_controls.FindControl(list.linkRow)) {
        row->SetVisible(true);
    }
    return true;
}

void ProfileLinks::Clear(const ProfileListControls& list, int index, bool rowVisible) {
    if (ui::CControlUI* edit = m_controls.FindControl(list.linkEdit)) {
        edit->SetText(" ");
    }
    if (ui::CControlUI* row = m_controls.FindControl(list.linkRow)) {
        row->SetVisible(rowVisible);
    }
    static_cast<void>(m_editor.WriteLink(list.category, index, {}));
}

void ProfileLinks::UntickWithNotification(const ProfileListControls& list) {
    if (auto* check = m_controls.FindControl<ui::COptionUI>(list.linkCheck)) {
        check->Selected(false, true);
    }
}

}  // namespace varlok::profiles
