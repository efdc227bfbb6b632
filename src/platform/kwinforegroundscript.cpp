#include "platform/kwinforegroundscript.h"

#include <system_error>
#include <utility>

#include "platform/debugoutput.h"

namespace varlok::platform {

KwinForegroundScript::KwinForegroundScript(std::filesystem::path scriptPath, BusCaller caller)
    : SilentForegroundProgram(ForegroundSupport::KwinScriptNotLoaded), m_caller(std::move(caller)) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(scriptPath, error)) {
        DebugOutput::Write("ForegroundProgram KWin: the script " + scriptPath.string() +
                           " is not installed");
        return;
    }
    // A script of ours still loaded (a run that ended without unloading it)
    // would make KWin refuse the new one.
    const BusReply loaded = CallScripting("isScriptLoaded", {BusValue::String(kPluginName)});
    if (!loaded.IsError() && loaded.values.size() == 1 &&
        loaded.values[0].AsBoolean().value_or(false)) {
        static_cast<void>(CallScripting("unloadScript", {BusValue::String(kPluginName)}));
    }
    const BusReply id = CallScripting(
        "loadScript", {BusValue::String(scriptPath.string()), BusValue::String(kPluginName)});
    if (id.IsError() || id.values.size() != 1 || id.values[0].AsInteger().value_or(-1) < 0) {
        DebugOutput::Write(
            "ForegroundProgram KWin: KWin did not load the script (" +
            (id.IsError() ? id.errorName + ": " + id.errorMessage : std::string("refused")) + ")");
        return;
    }
    // start() runs every loaded script that does not run yet.
    if (const BusReply started = CallScripting("start", {}); started.IsError()) {
        DebugOutput::Write("ForegroundProgram KWin: KWin did not start the script (" +
                           started.errorMessage + ")");
        static_cast<void>(CallScripting("unloadScript", {BusValue::String(kPluginName)}));
        return;
    }
    m_loaded = true;
    SetSupport(ForegroundSupport::ThroughHelper);
}

KwinForegroundScript::~KwinForegroundScript() {
    if (m_loaded) {
        static_cast<void>(CallScripting("unloadScript", {BusValue::String(kPluginName)}));
    }
}

BusReply KwinForegroundScript::CallScripting(const std::string& method,
                                             std::vector<BusValue> arguments) const {
    return m_caller({kService, kScriptingPath, kScriptingInterface}, method, std::move(arguments));
}

}  // namespace varlok::platform
