// The body of varlok's GNOME Shell extension, shared by the two module styles
// GNOME Shell loads (the build puts the head of each in front and the tail of
// each after; see data/gnome-shell/CMakeLists.txt). GNOME Shell tells no other
// program which window has the focus on its Wayland session; the extension
// tells varlok, whose device profiles linked to programs follow it. It calls
// varlok's bus service while the service is there, and nothing else.

const varlokService = 'io.github.varlok.Varlok1';
const varlokObject = '/io/github/varlok/Varlok1';

function reportFocus(window) {
    const pid = window ? window.get_pid() : 0;
    const [method, parameters] = pid > 0
        ? ['SetForegroundProcess', new GLib.Variant('(i)', [pid])]
        : ['SetForegroundProgram', new GLib.Variant('(s)', [''])];
    Gio.DBus.session.call(varlokService, varlokObject, varlokService, method, parameters, null,
        Gio.DBusCallFlags.NO_AUTO_START, -1, null, null);
}

// state: the extension object, which keeps the handler ids.
function enableFocusReport(state) {
    const report = () => {
        if (state.serviceThere)
            reportFocus(global.display.focus_window);
    };
    state.focusHandler = global.display.connect('notify::focus-window', report);
    state.serviceWatch = Gio.bus_watch_name(Gio.BusType.SESSION, varlokService,
        Gio.BusNameWatcherFlags.NONE,
        () => {
            state.serviceThere = true;
            report();
        },
        () => {
            state.serviceThere = false;
        });
}

function disableFocusReport(state) {
    global.display.disconnect(state.focusHandler);
    Gio.bus_unwatch_name(state.serviceWatch);
    state.serviceThere = false;
}
