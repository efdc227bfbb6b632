#include "keys/page/keypage.h"

#include <array>
#include <utility>
#include <vector>

#include "keys/keyfunction.h"
#include "platform/debugoutput.h"
#include "ui/controlui.h"
#include "ui/notify.h"
#include "ui/optionui.h"

namespace varlok::keys {

namespace {

using ui::NameMatch;
using Routed = std::optional<int>;
namespace msgtype = ui::msgtype;

// The picture of each key by device key index: "ms/key_<name>_normal.png",
// and "_down" while the pointer is over the key.
constexpr std::array<std::string_view, kMouseKeyCount> kKeyPictures{
    "left", "wheel", "right", "forward", "back", "dpi", "dpi1"};

std::string KeyPicture(std::size_t key, bool over) {
    return "file='ms/key_" + std::string(kKeyPictures[key]) + (over ? "_down" : "_normal") +
           ".png'";
}

}  // namespace

KeyPage::KeyPage(const settings::PageContext& context)
    : m_controls(context.controls),
      m_model(context.model),
      m_mirror(context.model.Mirror()),
      m_macros(*context.macros),
      m_dialogs(context.dialogs),
      m_hook(*context.deviceHook),
      m_assignment(m_mirror),
      m_editorControls(m_controls),
      m_macroNames([this](std::size_t index) -> std::optional<std::string> {
          std::vector<std::string> names = m_macros.LoadMacroList();
          if (index >= names.size()) {
              return std::nullopt;
          }
          return std::move(names[index]);
      }),
      m_subscription(context.model.Subscribe(
          [this](settings::MouseChange changed) { OnModelChanged(changed); })) {}

std::string KeyPage::KeyControl(std::size_t key) {
    return std::string(kKeyControlPrefix) + std::to_string(key);
}

void KeyPage::RegisterRoutes(ui::RouteTable& routes) {
    routes.OnSignal(kOwner, settings::PageSignal::kFillPageData, [this] {
        m_editorControls.FillValueLists();
        RefreshMacroCombo();
        m_filling = true;
        m_editorControls.Show(m_editor);
        m_filling = false;
    });
    routes.OnSignal(kOwner, settings::PageSignal::kStopRecording, [this] { StopCapture(); });
    // The section comes forward on the key being edited; the window has
    // made the editor visible, and the left-button rule applies without its
    // message (the user has not chosen the key yet).
    routes.OnNotify(
        kOwner, msgtype::kSelectChanged, kSectionOption, NameMatch::Exact,
        [this](ui::TNotifyUI& msg, Routed) {
            if (msg.wParam == 0) {
                return;
            }
            if (auto* option = m_controls.FindControl<ui::COptionUI>(KeyControl(m_key))) {
                option->Selected(true, false);
            }
            ShowKey(m_key, true);
        });
    routes.OnNotify(kOwner, msgtype::kSelectChanged, kKeyControlPrefix, NameMatch::PrefixIndex,
                    [this](ui::TNotifyUI& msg, Routed number) {
                        if (msg.wParam != 0 && *number < static_cast<int>(kMouseKeyCount)) {
                            ShowKey(static_cast<std::size_t>(*number), false);
                        }
                    });
    for (const std::string_view type : {msgtype::kMouseEnter, msgtype::kMouseLeave}) {
        const bool over = type == msgtype::kMouseEnter;
        routes.OnNotify(kOwner, type, kKeyControlPrefix, NameMatch::PrefixIndex,
                        [this, over](ui::TNotifyUI&, Routed number) {
                            if (*number < static_cast<int>(kMouseKeyCount)) {
                                OnPointer(static_cast<std::size_t>(*number), over);
                            }
                        });
    }
    routes.OnNotify(
        kOwner, msgtype::kItemSelect, KeyEditorControls::kCategoryCombo, NameMatch::Exact,
        [this](ui::TNotifyUI& msg, Routed) { OnCategory(static_cast<int>(msg.wParam)); });
    routes.OnNotify(kOwner, msgtype::kItemSelect, KeyEditorControls::kComboPrefix,
                    NameMatch::PrefixIndex, [this](ui::TNotifyUI& msg, Routed number) {
                        if (KeyEditorControls::IsParameterCombo(*number)) {
                            OnParameterCombo(*number, static_cast<int>(msg.wParam));
                        }
                    });
    routes.OnNotify(kOwner, msgtype::kTextChanged, KeyEditorControls::kEditPrefix,
                    NameMatch::PrefixIndex, [this](ui::TNotifyUI&, Routed number) {
                        if (KeyEditorControls::IsParameterEdit(*number)) {
                            OnParameterEdit();
                        }
                    });
    routes.OnMessage(kOwner, kHookSingleKeyMessage, kHookSingleKeyMessage,
                     [this](ui::MessageId, ui::WParam wParam, ui::LParam lParam) -> ui::LResult {
                         // wParam names the key message (down or up): either
                         // one chooses the key.
                         static_cast<void>(wParam);
                         OnCapturedKey(lParam);
                         return 0;
                     });
    routes.OnClick(kOwner, kApplyButton, NameMatch::Exact, [this](ui::TNotifyUI&, Routed) {
        m_editorControls.Read(m_editor);
        Apply();
    });
    routes.OnClick(kOwner, kDefaultButton, NameMatch::Exact,
                   [this](ui::TNotifyUI&, Routed) { OnDefault(); });
    routes.OnClick(kOwner, kSendButton, NameMatch::Exact,
                   [this](ui::TNotifyUI&, Routed) { m_model.SaveToDevice(); });
}

void KeyPage::OnModelChanged(settings::MouseChange changed) {
    using settings::MouseChange;
    if (settings::HasAny(changed, MouseChange::MacroList)) {
        RefreshMacroCombo();
    } else if (settings::HasAny(changed, MouseChange::KeySlots | MouseChange::Settings)) {
        // The slots, or the record that names the active one.
        RefreshActiveKeyLabels();
    }
}

void KeyPage::KeySlotsChanged() {
    m_model.NoteChange(settings::Touch::KeySlots, settings::MouseChange::KeySlots);
}

void KeyPage::RefreshActiveKeyLabels() {
    if (const auto slot = m_assignment.ActiveSlotIndex()) {
        RefreshKeyLabels(*slot);
    }
}

void KeyPage::RefreshKeyLabels(std::size_t slot) {
    if (slot >= m_mirror.keySlots.size()) {
        return;
    }
    for (std::size_t key = 0; key < kMouseKeyCount; ++key) {
        ui::CControlUI* control = m_controls.FindControl(KeyControl(key));
        if (control == nullptr) {
            continue;
        }
        const KeyLabel label = LabelOf(KeyEntry(m_mirror.keySlots[slot], key), m_macroNames);
        if (label.kind == KeyLabel::Kind::Unchanged) {
            continue;
        }
        control->SetResourceText(label.kind == KeyLabel::Kind::LanguageKey);
        control->SetText(label.text);
        control->SetToolTip(label.text);
    }
}

void KeyPage::RefreshMacroCombo() {
    const std::vector<std::string> names = m_macros.LoadMacroList();
    // A macro index the list no longer holds names no macro.
    if (m_editor.macro && static_cast<std::size_t>(*m_editor.macro) >= names.size()) {
        m_editor.macro.reset();
    }
    m_editorControls.FillMacros(names, m_editor.macro);
    RefreshActiveKeyLabels();
}

std::size_t KeyPage::MacroCount() const {
    return m_macros.LoadMacroList().size();
}

void KeyPage::ShowKey(std::size_t key, bool quiet) {
    m_key = key;
    // The capture belongs to the keyboard-key category of the key shown
    // before; it starts again below if this key shows that category.
    StopCapture();
    switch (m_assignment.ShowKeyFunction(key, MacroCount(), m_editor)) {
        case KeyAssignment::ShowResult::OnlyLeftButton:
            if (!quiet) {
                m_dialogs.ShowMessage(kOnlyLeftButtonMessage);
            }
            SetEditorState(true, false);
            return;
        case KeyAssignment::ShowResult::NoActiveSlot:
            // The settings name an onboard profile the mouse does not have:
            // there is no key table to edit.
            SetEditorState(true, false);
            return;
        case KeyAssignment::ShowResult::Shown:
            break;
    }
    SetEditorState(true, true);
    m_filling = true;
    m_editorControls.Show(m_editor);
    m_filling = false;
    if (m_editor.category == KeyCategory::KeyboardKey) {
        StartCapture();
    }
}

void KeyPage::OnCategory(int index) {
    if (m_filling || index < 0 || index >= static_cast<int>(kKeyCategoryCount)) {
        return;
    }
    StopCapture();
    m_editorControls.ShowCategoryPage(index);
    m_editor.category = static_cast<KeyCategory>(index);
    if (m_editor.category == KeyCategory::KeyboardKey) {
        StartCapture();
    }
    m_editorControls.Read(m_editor);
    Apply();
}

void KeyPage::OnParameterCombo(int number, int index) {
    if (m_filling) {
        return;
    }
    if (number == KeyEditorControls::kRunModeCombo) {
        m_editorControls.ShowCountPart(index);
    }
    m_editorControls.Read(m_editor);
    Apply();
}

void KeyPage::OnParameterEdit() {
    if (m_filling) {
        return;
    }
    // Reading limits every edit, the typed one among them, and shows the
    // limited value in it.
    m_editorControls.Read(m_editor);
    Apply();
}

void KeyPage::OnCapturedKey(ui::LParam record) {
    // A key still on its way after the capture was removed is no choice.
    if (!m_capturing || record == 0) {
        return;
    }
    const KeyboardHookRecord& key = HookRecordOf(record);
    m_editorControls.Read(m_editor);
    if (m_assignment.IsOnlyLeftButton(m_key) ||
        !m_assignment.CaptureKeyboardKey(m_key, static_cast<std::uint16_t>(key.virtualKey),
                                         key.flags, m_editor)) {
        return;
    }
    m_editorControls.ShowCapturedKey(m_editor.keyboardKey);
    KeySlotsChanged();
}

void KeyPage::OnDefault() {
    if (!m_assignment.ResetKeyToDefault(m_key)) {
        return;
    }
    ShowKey(m_key, false);
    KeySlotsChanged();
}

void KeyPage::OnPointer(std::size_t key, bool over) {
    if (ui::CControlUI* picture = m_controls.FindControl(KeyControl(key) + "_0")) {
        picture->SetBkImage(KeyPicture(key, over));
    }
}

void KeyPage::Apply() {
    // The mouse's only left button keeps its function, whatever reaches
    // the editor.
    if (m_assignment.IsOnlyLeftButton(m_key)) {
        return;
    }
    if (m_assignment.ApplyKeyFunction(m_key, m_editor)) {
        KeySlotsChanged();
    }
}

void KeyPage::StartCapture() {
    m_capturing = m_hook.Install(HookMode::SingleKey, true, false);
    if (!m_capturing) {
        platform::DebugOutput::Write("key page: the keyboard could not be captured");
    }
    if (ui::CControlUI* hint = m_controls.FindControl(kCaptureHint)) {
        hint->SetText(m_hook.Reach() == platform::CaptureReach::OwnWindow ? kCaptureHintWindowText
                                                                          : kCaptureHintText);
    }
}

void KeyPage::StopCapture() {
    m_capturing = false;
    // The macro recording's capture is not the page's to remove.
    if (m_hook.IsInstalled() && m_hook.Mode() == HookMode::SingleKey) {
        m_hook.Remove();
    }
}

void KeyPage::SetEditorState(bool visible, bool enabled) {
    if (ui::CControlUI* editor = m_controls.FindControl(kEditor)) {
        editor->SetVisible(visible);
        editor->SetEnabled(enabled);
    }
}

}  // namespace varlok::keys
