#include "platform/kdedesktopsettings.h"

#include "platform/atomicfile.h"
#include "platform/debugoutput.h"
#include "platform/folders.h"
#include "platform/glibpointers.h"
#include "platform/glibthreadcontext.h"
#include "platform/inidocument.h"
#include "platform/inifile.h"
#include "platform/pathmutex.h"

#include <charconv>
#include <cmath>
#include <string>
#include <system_error>
#include <utility>

namespace varlok::platform {

namespace {

// IniFile starts a new file with "\r\n" line ends; KConfig files use "\n". A file
// that holds one line (the group header) makes IniFile keep "\n" for what it adds.
// Runs under the file's process-wide mutex so that two first writers do not race;
// the header alone is a valid, empty KConfig group should the write after it fail.
bool CreateWithLineFeeds(const std::filesystem::path& path, const char* group) {
    std::filesystem::path canonical = CanonicalFilePath(path);
    std::shared_ptr<std::mutex> mutex = MutexForPath(canonical);
    std::lock_guard lock(*mutex);
    FileContents contents = ReadWholeFile(canonical);
    if (contents.status != FileReadStatus::Missing) {
        return contents.status == FileReadStatus::Ok;
    }
    return ReplaceFileAtomically(canonical, "[" + std::string(group) + "]\n");
}

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

}  // namespace

KdeDesktopSettings::KdeDesktopSettings(std::filesystem::path configFolder)
    : m_configFolder(std::move(configFolder)) {}

KdeDesktopSettings::KdeDesktopSettings() : KdeDesktopSettings(ConfigFolder()) {}

bool KdeDesktopSettings::Supports(DesktopSetting setting) const {
    return setting == DesktopSetting::PointerSpeed || setting == DesktopSetting::WheelLines;
}

DesktopApplyResult KdeDesktopSettings::SetPointerSpeed(int speed) {
    return WriteAndNotify(kInputFile, kMouseGroup, kAccelerationKey,
                          FormatDouble(LibinputSpeedFromPointerSpeed(speed)));
}

std::optional<int> KdeDesktopSettings::PointerSpeed() const {
    FileContents contents = ReadWholeFile(m_configFolder / kInputFile);
    if (contents.status == FileReadStatus::Error) {
        return std::nullopt;
    }
    std::optional<std::string> value =
        IniDocument(contents.bytes).Find(kMouseGroup, kAccelerationKey);
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
    return WriteAndNotify(kGlobalsFile, kGlobalsGroup, kWheelLinesKey,
                          std::to_string(ClampWheelLines(lines)));
}

DesktopApplyResult KdeDesktopSettings::WriteAndNotify(const char* fileName, const char* group,
                                                      const char* key,
                                                      const std::string& value) const {
    std::error_code ignored;
    std::filesystem::create_directories(m_configFolder, ignored);
    const std::filesystem::path path = m_configFolder / fileName;
    if (!CreateWithLineFeeds(path, group)) {
        DebugOutput::Write("DesktopSettings KDE Plasma: cannot create " + path.string());
        return DesktopApplyResult::Failed;
    }
    IniFile file(path);
    if (file.Write(group, key, value) != IniWriteResult::Ok) {
        DebugOutput::Write("DesktopSettings KDE Plasma: cannot write " + path.string());
        return DesktopApplyResult::Failed;
    }
    NotifyMouseSettingsChanged();
    return DesktopApplyResult::Applied;
}

}  // namespace varlok::platform
