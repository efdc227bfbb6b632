#include "platform/kdedesktopsettings.h"

#include "platform/atomicfile.h"
#include "platform/buscaller.h"
#include "platform/debugoutput.h"
#include "platform/folders.h"
#include "platform/glibpointers.h"
#include "platform/glibthreadcontext.h"
#include "platform/inidocument.h"
#include "platform/inifile.h"

#include <charconv>
#include <cmath>
#include <string>
#include <system_error>
#include <utility>

namespace varlok::platform {

namespace {

// The shortest text that reads back as exactly this double ("-0.9", "0", "1"),
// independent of the locale, as KConfig writes and reads it.
std::string FormatDouble(double value) {
    char buffer[32];
    auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
    return error == std::errc{} ? std::string(buffer, end) : std::string("0");
}

std::optional<double> ParseDouble(std::string_view text) {
    double value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc{} || end != text.data() + text.size() || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

// Sends notifyChange(SettingsChanged, SETTINGS_MOUSE) on a private connection to
// the session bus, closed again before returning. Not g_bus_get_sync: the shared
// connection it returns lives for the rest of the process and, by default, ends
// the process when the bus goes away. Failures only go to DebugOutput; see
// SetPointerSpeed.
void NotifyMouseSettingsChanged() {
    GlibThreadContext context;  // outlives the connection, see GlibThreadContext
    GError* rawError = nullptr;
    GCharPtr address(g_dbus_address_get_for_bus_sync(G_BUS_TYPE_SESSION, nullptr, &rawError));
    GErrorPtr error(rawError);
    if (!address) {
        DebugOutput::Write(std::string("DesktopSettings KDE Plasma: no session bus (") +
                           ErrorMessage(error) + "); the change is in the file only");
        return;
    }
    GObjectPtr<GDBusConnection> connection(g_dbus_connection_new_for_address_sync(
        address.get(),
        static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                          G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
        nullptr, nullptr, &rawError));
    error.reset(rawError);
    if (!connection) {
        DebugOutput::Write(std::string("DesktopSettings KDE Plasma: cannot connect to the "
                                       "session bus (") +
                           ErrorMessage(error) + "); the change is in the file only");
        return;
    }
    rawError = nullptr;
    const bool sent = g_dbus_connection_emit_signal(
                          connection.get(), nullptr, KdeDesktopSettings::kNotifyObject,
                          KdeDesktopSettings::kNotifyInterface, KdeDesktopSettings::kNotifySignal,
                          g_variant_new("(ii)", KdeDesktopSettings::kSettingsChanged,
                                        KdeDesktopSettings::kMouseSettings),
                          &rawError) &&
                      g_dbus_connection_flush_sync(connection.get(), nullptr, &rawError);
    error.reset(rawError);
    if (!sent) {
        DebugOutput::Write(std::string("DesktopSettings KDE Plasma: notifyChange not sent (") +
                           ErrorMessage(error) + ")");
    }
    g_dbus_connection_close_sync(connection.get(), nullptr, nullptr);
}

// A pointer device KWin lists: where its speed goes.
struct KwinPointer {
    BusObjectAddress device;
    std::string group;
};

// The pointer devices (touchpads aside) on KWin's input-device interface;
// none where KWin does not answer (an X11 session, another desktop). A
// device whose name KConfig would have to escape is left out.
std::vector<KwinPointer> ListKwinPointers(const BusCaller& caller) {
    const BusObjectAddress manager{KdeDesktopSettings::kKwinService,
                                   KdeDesktopSettings::kDeviceManagerPath,
                                   KdeDesktopSettings::kDeviceManagerInterface};
    const std::optional<BusValue> names = ReadBusProperty(caller, manager, "devicesSysNames");
    std::vector<KwinPointer> pointers;
    if (!names) {
        return pointers;
    }
    for (const BusValue& sysName : names->Items()) {
        const BusObjectAddress device{KdeDesktopSettings::kKwinService,
                                      std::string(KdeDesktopSettings::kDeviceManagerPath) + "/" +
                                          sysName.AsString().value_or(""),
                                      KdeDesktopSettings::kDeviceInterface};
        const BusReply reply = caller({device.busName, device.objectPath, kDbusPropertiesInterface},
                                      "GetAll", {BusValue::String(device.interfaceName)});
        if (reply.IsError() || reply.values.size() != 1) {
            continue;
        }
        const BusProperties properties = PropertiesOfDictionary(reply.values[0]);
        const auto flag = [&](const char* name) {
            const auto found = properties.find(name);
            return found != properties.end() && found->second.AsBoolean().value_or(false);
        };
        const auto number = [&](const char* name) {
            const auto found = properties.find(name);
            return found != properties.end() ? found->second.AsInteger() : std::nullopt;
        };
        const auto name = properties.find("name");
        const std::optional<std::int64_t> vendor = number("vendor");
        const std::optional<std::int64_t> product = number("product");
        if (!flag("pointer") || flag("touchpad") || name == properties.end() || !vendor ||
            !product) {
            continue;
        }
        const std::string deviceName = name->second.AsString().value_or("");
        if (deviceName.empty() || deviceName.find_first_of("[]\\\n") != std::string::npos) {
            DebugOutput::Write("DesktopSettings KDE Plasma: device name left out: " + deviceName);
            continue;
        }
        pointers.push_back({device, std::string(KdeDesktopSettings::kLibinputGroup) + "][" +
                                        std::to_string(*vendor) + "][" + std::to_string(*product) +
                                        "][" + deviceName});
    }
    return pointers;
}

}  // namespace

KdeDesktopSettings::KdeDesktopSettings(std::filesystem::path configFolder, BusCallerFactory kwin)
    : m_configFolder(std::move(configFolder)), m_kwin(std::move(kwin)) {}

KdeDesktopSettings::KdeDesktopSettings() : KdeDesktopSettings(ConfigFolder()) {}

bool KdeDesktopSettings::Supports(DesktopSetting setting) const {
    return setting == DesktopSetting::PointerSpeed || setting == DesktopSetting::WheelLines;
}

DesktopApplyResult KdeDesktopSettings::SetPointerSpeed(int speed) {
    const double acceleration = LibinputSpeedFromPointerSpeed(speed);
    const std::string value = FormatDouble(acceleration);
    const BusCaller kwin = m_kwin();
    const std::vector<KwinPointer> pointers = ListKwinPointers(kwin);
    std::vector<IniValue> values{{kMouseGroup, kAccelerationKey, value}};
    for (const KwinPointer& pointer : pointers) {
        values.push_back({pointer.group, kDeviceAccelerationKey, value});
    }
    const DesktopApplyResult result = WriteAndNotify(kInputFile, values);
    if (result != DesktopApplyResult::Applied) {
        return result;
    }
    // KWin reads the file when a device comes; a device there now takes the
    // speed from its property.
    for (const KwinPointer& pointer : pointers) {
        if (const BusReply set = WriteBusProperty(kwin, pointer.device, "pointerAcceleration",
                                                  BusValue::Double(acceleration));
            set.IsError()) {
            DebugOutput::Write("DesktopSettings KDE Plasma: KWin did not take the speed of " +
                               pointer.device.objectPath + " (" + set.errorMessage + ")");
        }
    }
    return result;
}

std::optional<int> KdeDesktopSettings::PointerSpeed() const {
    FileContents contents = ReadWholeFile(m_configFolder / kInputFile);
    if (contents.status == FileReadStatus::Error) {
        return std::nullopt;
    }
    std::optional<std::string> value =
        IniDocument(contents.bytes, IniDialect::Kconfig).Find(kMouseGroup, kAccelerationKey);
    if (!value) {
        return kDefaultPointerSpeed;
    }
    std::optional<double> acceleration = ParseDouble(*value);
    if (!acceleration) {
        return std::nullopt;
    }
    return PointerSpeedFromLibinputSpeed(*acceleration);
}

DesktopApplyResult KdeDesktopSettings::SetWheelLines(int lines) {
    return WriteAndNotify(
        kGlobalsFile, {{kGlobalsGroup, kWheelLinesKey, std::to_string(ClampWheelLines(lines))}});
}

DesktopApplyResult KdeDesktopSettings::WriteAndNotify(const char* fileName,
                                                      const std::vector<IniValue>& values) const {
    std::error_code ignored;
    std::filesystem::create_directories(m_configFolder, ignored);
    const std::filesystem::path path = m_configFolder / fileName;
    IniFile file(path, IniDialect::Kconfig);
    if (file.WriteValues(values) != IniWriteResult::Ok) {
        DebugOutput::Write("DesktopSettings KDE Plasma: cannot write " + path.string());
        return DesktopApplyResult::Failed;
    }
    NotifyMouseSettingsChanged();
    return DesktopApplyResult::Applied;
}

}  // namespace varlok::platform
