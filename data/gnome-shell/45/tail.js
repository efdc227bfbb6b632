
export default class VarlokForegroundExtension extends Extension {
    enable() {
        enableFocusReport(this);
    }

    disable() {
        disableFocusReport(this);
    }
}
