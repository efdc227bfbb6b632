// Runs one of varlok's compositor helpers (the KWin script, the GNOME Shell
// extension of either module style) outside its compositor, with stand-ins
// for the compositor's API, and reports one window activation through it.
// The helper's D-Bus calls go to a real bus with gdbus, with the argument
// types the compositor would send: KWin's callDBus turns a whole JavaScript
// number into int32 (QJSValue::toVariant), GNOME Shell sends the GLib.Variant
// the extension built.
//
//   node compositorhelper.js kwin|gnome43|gnome45 FILE BUS_ADDRESS PID
//
// PID 0 activates a window without a process (or none at all). Exits 0 once
// every call was answered without an error, 1 otherwise.

'use strict';

const {execFileSync} = require('child_process');
const fs = require('fs');

const [style, file, address, pidText] = process.argv.slice(2);
const pid = Number(pidText);
let failed = false;

// A value as gdbus reads it from its command line, typed.
function gvariantText(type, value) {
    if (type === 'i')
        return `int32 ${value}`;
    if (type === 's')
        return `'${value}'`;
    throw new Error(`no stand-in for type ${type}`);
}

function call(service, path, iface, method, typed) {
    try {
        execFileSync('gdbus', ['call', '--address', address, '--dest', service, '--object-path',
            path, '--method', `${iface}.${method}`,
            ...typed.map(([type, value]) => gvariantText(type, value))], {stdio: 'pipe'});
        console.log(`${method} answered`);
    } catch (error) {
        failed = true;
        console.log(`${method} failed: ${error.stderr}`);
    }
}

function window(id) {
    return id > 0 ? {pid: id, get_pid: () => id} : null;
}

function runKwin(source) {
    const handlers = [];
    const workspace = {
        windowActivated: {connect: handler => handlers.push(handler)},
        activeWindow: null,
    };
    // KWin's callDBus: whole numbers go out as int32, text as strings.
    const callDBus = (service, path, iface, method, ...args) =>
        call(service, path, iface, method,
            args.map(arg => [Number.isInteger(arg) ? 'i' : 's', arg]));
    new Function('workspace', 'callDBus', source)(workspace, callDBus);
    handlers.forEach(handler => handler(window(pid)));
}

function runGnome(source, moduleStyle) {
    const GLib = {
        Variant: class {
            constructor(signature, values) {
                this.types = signature.slice(1, -1).split('');
                this.values = values;
            }
        },
    };
    const Gio = {
        BusType: {SESSION: 2},
        BusNameWatcherFlags: {NONE: 0},
        DBusCallFlags: {NO_AUTO_START: 1},
        DBus: {
            session: {
                call: (service, path, iface, method, parameters) =>
                    call(service, path, iface, method,
                        parameters.types.map((type, i) => [type, parameters.values[i]])),
            },
        },
        // The service is there: the extension hears of it at once.
        bus_watch_name: (busType, name, flags, appeared) => {
            appeared();
            return 1;
        },
        bus_unwatch_name: () => {},
    };
    const handlers = [];
    const global = {
        display: {
            focus_window: null,
            connect: (signal, handler) => handlers.push(handler) && handlers.length,
            disconnect: () => {},
        },
    };
    let extension;
    if (moduleStyle === 'gnome45') {
        // The ES module's imports are the stand-ins; its default export the class.
        class Extension {}
        const body = source.replace(/^import .*$/gm, '')
            .replace('export default class', 'return class');
        const Class = new Function('Gio', 'GLib', 'Extension', 'global', body)(
            Gio, GLib, Extension, global);
        extension = new Class();
    } else {
        const imports = {gi: {Gio, GLib}};
        extension = new Function('imports', 'global', `${source}\nreturn init();`)(imports, global);
    }
    extension.enable();
    global.display.focus_window = window(pid);
    handlers.forEach(handler => handler());
    extension.disable();
}

const source = fs.readFileSync(file, 'utf8');
if (style === 'kwin')
    runKwin(source);
else
    runGnome(source, style);
process.exit(failed ? 1 : 0);
