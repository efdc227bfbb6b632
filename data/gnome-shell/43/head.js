// GNOME Shell 43 and 44 (Debian 12; the imports object).
const {Gio, GLib} = imports.gi;

