#include "platform/gnomeshellforegroundextension.h"

#include <string>

#include "platform/debugoutput.h"
#include "platform/gdbusclient.h"

namespace varlok::platform {

GnomeShellForegroundExtension::GnomeShellForegroundExtension(const BusCaller& caller)
    : SilentForegroundProgram(ForegroundSupport::GnomeExtensionMissing) {
    const BusReply info =
        caller({kService, kPath, kInterface}, "GetExtensionInfo", {BusValue::String(kUuid)});
    if (info.IsError() || info.values.size() != 1) {
        DebugOutput::Write("ForegroundProgram GNOME Shell: no answer about the extension (" +
                           info.errorMessage + ")");
        return;
    }
    // An extension GNOME Shell does not know gives an empty dictionary.
    const BusProperties properties = PropertiesOfDictionary(info.values[0]);
    const auto state = properties.find("state");
    const double value = state != properties.end() ? state->second.AsDouble().value_or(0) : 0;
    if (value != kStateEnabled) {
        DebugOutput::Write(std::string("ForegroundProgram GNOME Shell: the extension ") + kUuid +
                           (state == properties.end() ? " is not installed" : " is not enabled"));
        return;
    }
    SetSupport(ForegroundSupport::ThroughHelper);
}

}  // namespace varlok::platform
