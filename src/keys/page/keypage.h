#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "keys/keyassignment.h"
#include "keys/keyfunctioneditor.h"
#include "keys/keylabel.h"
#include "keys/macrostore.h"
#include "keys/page/devicehook.h"
#include "keys/page/keyeditorcontrols.h"
#include "settings/mousemodel.h"
#include "settings/page/pagecontext.h"
#include "ui/dialogservice.h"
#include "ui/paintmanagerui.h"
#include "ui/routetable.h"

namespace varlok::keys {

// The key section of the mouse page: the seven key controls ms_key_0 ...
// ms_key_6 (the control number is the device's key index) show the function
// of their key in the active onboard profile's key slot; choosing one shows
// its function in the editor, where every change is written into the slot at
// once and told through the model (the labels follow its notification, as
// they follow every change of the key slots, of the live settings and of the
// macro list). The keyboard-key category takes the next key pressed on the
// PC through the device hook. The send button saves the whole configuration
// to the mouse through the model. Acts on its controls by name through the
// window's paint manager; a control the layout lacks is skipped.
//
// Thread affinity: the UI thread.
class KeyPage : public ui::Page {
public:
    static constexpr std::string_view kOwner = "key page";
    static constexpr std::string_view kKeyControlPrefix = "ms_key_";
    static constexpr std::string_view kEditor = "ms_tab_function";
    static constexpr std::string_view kSectionOption = "ms_key_Op_tab";
    static constexpr std::string_view kApplyButton = "ms_key_butt_keysave";
    static constexpr std::string_view kDefaultButton = "ms_key_butt_keydefalut";
    static constexpr std::string_view kSendButton = "ms_key_butt_prosave";
    static constexpr std::string_view kCaptureHint = "ms_key_capture_hint";
    // The hint's texts: keys are taken from any program, or only while our
    // window is in front (where the desktop lets no program see the others').
    static constexpr std::string_view kCaptureHintText = "key_page_capture_hint";
    static constexpr std::string_view kCaptureHintWindowText = "key_page_capture_hint_window";
    static constexpr std::string_view kOnlyLeftButtonMessage = "message_text_6";

    // Needs context.macros (macro keys are labelled with their names there)
    // and context.deviceHook.
    explicit KeyPage(const settings::PageContext& context);

    void RegisterRoutes(ui::RouteTable& routes) override;

    // RefreshKeyLabels: sets the text and the tooltip of each key control
    // from entry `control number` of key slot `slot` (0-4; anything else
    // changes nothing). A language key is shown through the language table,
    // a macro name as it is.
    void RefreshKeyLabels(std::size_t slot);
    // The same for the active onboard profile's slot.
    void RefreshActiveKeyLabels();

    [[nodiscard]] std::size_t SelectedKey() const { return m_key; }
    [[nodiscard]] const KeyFunctionEditor& Editor() const { return m_editor; }
    [[nodiscard]] bool IsCapturing() const { return m_capturing; }

    [[nodiscard]] static std::string KeyControl(std::size_t key);

private:
    void OnModelChanged(settings::MouseChange changed);
    // The macro combo follows the macro list (after a macro was added,
    // renamed or deleted), and so do the macro keys' labels.
    void RefreshMacroCombo();
    // A key slot entry was written: recorded and told through the model.
    void KeySlotsChanged();
    // ShowKeyFunction with the page's part: the left-button rule's message
    // (unless quiet), the editor's state and the key capture.
    void ShowKey(std::size_t key, bool quiet);
    void OnCategory(int index);
    void OnParameterCombo(int number, int index);
    void OnParameterEdit();
    void OnCapturedKey(ui::LParam record);
    void OnDefault();
    void OnPointer(std::size_t key, bool over);
    // ApplyKeyFunction: the editor's code into the selected key's entry,
    // then the labels.
    void Apply();
    void StartCapture();
    void StopCapture();
    void SetEditorState(bool visible, bool enabled);
    [[nodiscard]] std::size_t MacroCount() const;

    ui::CPaintManagerUI& m_controls;
    settings::MouseModel& m_model;
    settings::MouseMirror& m_mirror;
    const MacroStore& m_macros;
    ui::DialogService& m_dialogs;
    CDeviceHook& m_hook;
    KeyAssignment m_assignment;
    KeyEditorControls m_editorControls;
    MacroNameLookup m_macroNames;
    KeyFunctionEditor m_editor;
    std::size_t m_key = 0;
    bool m_capturing = false;
    // Set while the page fills the editor: the edits' own notifications
    // must not apply a half-filled editor.
    bool m_filling = false;
    settings::MouseModel::Subscription m_subscription;
};

}  // namespace varlok::keys
