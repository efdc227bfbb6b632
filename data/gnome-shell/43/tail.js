
// eslint-disable-next-line no-unused-vars
function init() {
    return {
        enable() {
            enableFocusReport(this);
        },
        disable() {
            disableFocusReport(this);
        },
    };
}
