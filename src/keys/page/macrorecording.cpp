#include "keys/page/macrorecording.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <utility>

#include "keys/page/macrocontrols.h"
#include "keys/page/pagecontrols.h"
#include "keys/page/storemessagebox.h"
#include "settings/page/pagecontext.h"
#include "ui/buttonui.h"

namespace varlok::keys {

namespace {

using C = MacroControls;
using Routed = std::optional<int>;

}  // namespace

MacroRecording::MacroRecording(ui::CPaintManagerUI& controls, OpenMacro& macro,
                               MacroActionList& list, CDeviceHook& hook, ui::DialogService& dialogs,
                               std::function<void()> closeEditor, MacroRecorder::TickSource ticks)
    : m_controls(controls),
      m_macro(macro),
      m_list(list),
      m_hook(hook),
      m_dialogs(dialogs),
      m_closeEditor(std::move(closeEditor)),
      m_recorder(std::move(ticks)) {}

MacroRecording::~MacroRecording() {
    if (m_recorder.IsRecording()) {
        m_hook.Remove();
    }
}

void MacroRecording::RegisterRoutes(ui::RouteTable& routes, std::string_view owner) {
    namespace msgtype = ui::msgtype;
    routes.OnClick(owner, C::kRecordButton, ui::NameMatch::Exact,
                   [this](ui::TNotifyUI&, Routed) { OnRecordButton(); });
    for (const std::string_view type : {msgtype::kMouseEnter, msgtype::kMouseLeave}) {
        routes.OnNotify(owner, type, C::kRecordButton, ui::NameMatch::Exact,
                        [this, over = type == msgtype::kMouseEnter](ui::TNotifyUI&, Routed) {
                            m_pointerOnRecordButton = over;
                        });
    }
    routes.OnMessage(owner, kHookMacroKeyMessage, kHookMacroKeyMessage,
                     [this](ui::MessageId, ui::WParam wParam, ui::LParam lParam) {
                         return OnHookKey(wParam, lParam);
                     });
    routes.OnMessage(
        owner, kHookMacroMouseMessage, kHookMacroMouseMessage,
        [this](ui::MessageId, ui::WParam wParam, ui::LParam) { return OnHookMouse(wParam); });
    routes.OnSignal(owner, settings::PageSignal::kStopRecording, [this] { Stop(); });
}

void MacroRecording::Prepare() {
    if (auto* button = m_controls.FindControl(C::kRecordButton)) {
        button->SetText(C::kRecordStartText);
        button->SetToolTip(m_hook.Reach() == platform::CaptureReach::OwnWindow
                               ? C::kRecordWindowOnlyTip
                               : C::kRecordTip);
    }
}

void MacroRecording::OnRecordButton() {
    if (m_recorder.IsRecording()) {
        Stop();
    } else {
        Start();
    }
}

void MacroRecording::Start() {
    if (!m_macro.IsOpen()) {
        return;
    }
    const bool hadUnsavedEdits = m_macro.HasUnsavedEdits();
    m_macro.SetUnsavedEdits(true);
    m_closeEditor();
    const MacroRecorder::Options options{
        .keyboard = IsOptionSelected(m_controls, C::kKeyboardOption),
        .mouseClicks = IsOptionSelected(m_controls, C::kClickOption),
        .fixedPause = IsOptionSelected(m_controls, C::kFixedPauseOption)};
    const bool mouse = options.mouseClicks || IsOptionSelected(m_controls, C::kWheelOption) ||
                       IsOptionSelected(m_controls, C::kMoveOption);
    if (!m_hook.Install(HookMode::Macro, options.keyboard, mouse)) {
        m_macro.SetUnsavedEdits(hadUnsavedEdits);
        ShowStoreMessage(m_dialogs, {std::string(kCaptureKeyboardBusy), {}});
        return;
    }
    m_recorder.Start(options);
    ShowRecording(true);
}

void MacroRecording::Stop() {
    if (!m_recorder.IsRecording()) {
        return;
    }
    m_hook.Remove();
    m_recorder.Stop();
    ShowRecording(false);
}

void MacroRecording::ShowRecording(bool recording) {
    for (const auto& controls : {std::span<const std::string_view>(C::kRecordOptions),
                                 std::span<const std::string_view>(C::kEditingButtons),
                                 std::span<const std::string_view>(C::kOutOfReachWhileRecording)}) {
        for (const std::string_view control : controls) {
            SetControlEnabled(m_controls, control, !recording);
        }
    }
    if (auto* button = m_controls.FindControl(C::kRecordButton)) {
        button->SetText(recording ? C::kRecordStopText : C::kRecordStartText);
    }
}

ui::LResult MacroRecording::OnHookKey(ui::WParam wParam, ui::LParam lParam) {
    if (!m_recorder.IsRecording() || lParam == 0) {
        return 0;
    }
    const KeyboardHookRecord& record = HookRecordOf(lParam);
    if (m_recorder.RecordKey(m_macro.EditActions(), static_cast<std::uint32_t>(wParam),
                             record.virtualKey, record.flags)) {
        m_list.Rebuild();
    }
    return 0;
}

ui::LResult MacroRecording::OnHookMouse(ui::WParam wParam) {
    // A button posted before the capture went away may still arrive.
    if (m_recorder.IsRecording() &&
        m_recorder.RecordMouse(m_macro.EditActions(), static_cast<std::uint32_t>(wParam),
                               PointerOnRecordButton())) {
        m_list.Rebuild();
    }
    return 0;
}

bool MacroRecording::PointerOnRecordButton() const {
    // Over the button, or pressing it (a capture on a thread of its own may
    // deliver the press after the button saw it).
    const auto* button = m_controls.FindControl<ui::CButtonUI>(C::kRecordButton);
    return m_pointerOnRecordButton || (button != nullptr && button->IsPushed());
}

}  // namespace varlok::keys
