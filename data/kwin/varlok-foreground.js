// Loaded into KWin by varlok (through KWin's scripting interface) while its
// window runs, and unloaded when it quits. KWin tells no other program which
// window is active on Plasma's Wayland session; this script tells varlok,
// whose device profiles linked to programs follow it.
//
// callDBus sends a JavaScript whole number as int32, which is what
// SetForegroundProcess takes.

const varlokService = "io.github.varlok.Varlok1";
const varlokObject = "/io/github/varlok/Varlok1";
const varlokInterface = "io.github.varlok.Varlok1";

function reportActiveWindow(window) {
    const pid = window ? window.pid : 0;
    if (pid > 0) {
        callDBus(varlokService, varlokObject, varlokInterface, "SetForegroundProcess", pid);
    } else {
        callDBus(varlokService, varlokObject, varlokInterface, "SetForegroundProgram", "");
    }
}

// Plasma 6 names windows "window", Plasma 5 "client".
const activated = workspace.windowActivated || workspace.clientActivated;
activated.connect(reportActiveWindow);
reportActiveWindow(workspace.activeWindow !== undefined ? workspace.activeWindow
                                                        : workspace.activeClient);
