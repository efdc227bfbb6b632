#pragma once

// What a page of the mouse may use, in one place: the application fills one
// context and builds every page with it. It lives at the settings core's
// page level because every page core builds on the settings core; the
// services of the cores above are only declared here, and a page that uses
// one includes its header.

#include <cstdint>
#include <functional>

#include "settings/mousemodel.h"
#include "ui/dialogservice.h"
#include "ui/paintmanagerui.h"
#include "ui/routetable.h"
#include "ui/uitypes.h"

namespace varlok::platform {
class ForegroundProgram;
}
namespace varlok::lighting {
class LightingModel;
class LedState;
}  // namespace varlok::lighting
namespace varlok::profiles {
class LiveProfiles;
}
namespace varlok::keys {
class MacroStore;
class CursorScripts;
class CDeviceHook;
}  // namespace varlok::keys

namespace varlok::settings {

// The points of the window's life at which it calls on its pages.
struct PageSignal {
    // The window initialises: the pages fill what they show.
    static constexpr ui::SignalId kFillPageData{1};
    // Any capture of keyboard and mouse input ends.
    static constexpr ui::SignalId kStopRecording{2};
    // The window came on screen (shown, or restored from minimised).
    static constexpr ui::SignalId kWindowShown{3};
    // The window's repaint tick, which runs only while the window is on
    // screen: what shows a picture that changes on its own (the lights of
    // the mouse) brings it up to date.
    static constexpr ui::SignalId kRepaintTick{4};
};

// Every reference and pointer must outlive the pages built with it. A
// service the program does not offer is null, and a page that needs it
// does nothing where it would use it.
struct PageContext {
    // A window message a worker of a page posts to reach the UI thread: its
    // number and how to post it (any thread).
    struct Message {
        ui::MessageId id = 0;
        std::function<void()> post;
    };

    PageContext(ui::CPaintManagerUI& controlsIn, ui::DialogService& dialogsIn, MouseModel& modelIn)
        : controls(controlsIn), dialogs(dialogsIn), model(modelIn) {}

    // The window's controls, found by name.
    ui::CPaintManagerUI& controls;
    // Message boxes, the colour dialog and the preset colours.
    ui::DialogService& dialogs;
    // The live settings: pages read them and change them only through it.
    MouseModel& model;

    // The lighting settings as the lighting section edits them, and the
    // mouse's LEDs as the lighting worker renders them.
    lighting::LightingModel* lighting = nullptr;
    lighting::LedState* leds = nullptr;
    // The profile lists and the operations on the live settings they run.
    profiles::LiveProfiles* profiles = nullptr;
    // The program in front, which profiles linked to programs follow, and
    // the message by which the link watcher asks the window to follow it.
    platform::ForegroundProgram* foreground = nullptr;
    Message followForegroundProgram;
    // The macro store, the cursor scripts, the input hook of macro
    // recording and the key capture, and the recorder's clock (ms; the
    // steady clock when empty).
    keys::MacroStore* macros = nullptr;
    keys::CursorScripts* cursorScripts = nullptr;
    keys::CDeviceHook* deviceHook = nullptr;
    std::function<std::int64_t()> macroRecorderTicks;
};

}  // namespace varlok::settings
