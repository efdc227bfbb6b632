#pragma once

#include <functional>
#include <string_view>

#include "keys/macrorecorder.h"
#include "keys/openmacro.h"
#include "keys/page/devicehook.h"
#include "keys/page/macroactionlist.h"
#include "ui/dialogservice.h"
#include "ui/paintmanagerui.h"
#include "ui/routetable.h"

namespace varlok::keys {

// Recording in the macro section: the record button starts and stops taking
// the PC's keys and mouse buttons through the CDeviceHook (as the recording
// options choose), and each one taken becomes an action of the open macro.
// While it records, the lists and the editing buttons are out of reach; the
// recorded actions are unsaved edits.
//
// Thread affinity: the UI thread.
class MacroRecording {
public:
    // Every reference must outlive the recording. closeEditor turns the
    // action editor to its empty page; ticks is the recorder's clock (the
    // steady clock when empty).
    MacroRecording(ui::CPaintManagerUI& controls, OpenMacro& macro, MacroActionList& list,
                   CDeviceHook& hook, ui::DialogService& dialogs, std::function<void()> closeEditor,
                   MacroRecorder::TickSource ticks = {});
    // Removes the capture of a recording still running.
    ~MacroRecording();
    MacroRecording(const MacroRecording&) = delete;
    MacroRecording& operator=(const MacroRecording&) = delete;

    void RegisterRoutes(ui::RouteTable& routes, std::string_view owner);

    // The record button's text and tooltip (how far the capture reaches).
    void Prepare();
    void Stop();
    [[nodiscard]] bool IsRecording() const { return m_recorder.IsRecording(); }

private:
    void OnRecordButton();
    void Start();
    // The controls and the button text of recording (true) or idle.
    void ShowRecording(bool recording);
    ui::LResult OnHookKey(ui::WParam wParam, ui::LParam lParam);
    ui::LResult OnHookMouse(ui::WParam wParam);
    // Whether the pointer is on the record button (which stops a recording).
    [[nodiscard]] bool PointerOnRecordButton() const;

    ui::CPaintManagerUI& m_controls;
    OpenMacro& m_macro;
    MacroActionList& m_list;
    CDeviceHook& m_hook;
    ui::DialogService& m_dialogs;
    std::function<void()> m_closeEditor;
    MacroRecorder m_recorder;
    // Between "msenter" and "msleave" of the record button.
    bool m_pointerOnRecordButton = false;
};

}  // namespace varlok::keys
