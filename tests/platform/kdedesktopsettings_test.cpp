#include "platform/kdedesktopsettings.h"

#include "platform/buscaller.h"

#include "platform/debugoutput.h"
#include "platform/glibpointers.h"
#include "platform/glibthreadcontext.h"
#include "reportingchild.h"
#include "scopedenvironment.h"
#include "tempfolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>
#include <utility>
#include <vector>

namespace varlok::platform {
namespace {

using testing::ReadBytes;
using testing::ReportingChild;
using testing::ScopedEnvironment;
using testing::TempFolder;
using testing::WriteBytes;

// Only a guard against hanging.
constexpr std::chrono::seconds kGuard{20};

// A session bus address nobody listens on.
constexpr const char* kNoBus = "unix:path=/nonexistent/varlok-test-bus";

TEST(KdeDesktopSettings, CreatesMissingFilesAsKConfigWritesThem) {
    TempFolder temp;
    ScopedEnvironment config("XDG_CONFIG_HOME", (temp / "config").string());  // not there yet
    ScopedEnvironment bus("DBUS_SESSION_BUS_ADDRESS", kNoBus);
    DebugCapture debug;
    KdeDesktopSettings kde;
    EXPECT_EQ(kde.PointerSpeed(), 10);

    ASSERT_EQ(kde.SetPointerSpeed(20), DesktopApplyResult::Applied);
    EXPECT_EQ(ReadBytes(temp / "config/kcminputrc"), "[Mouse]\nXLbInptPointerAcceleration=1\n");
    ASSERT_EQ(kde.SetPointerSpeed(-3), DesktopApplyResult::Applied);
    EXPECT_EQ(ReadBytes(temp / "config/kcminputrc"), "[Mouse]\nXLbInptPointerAcceleration=-0.9\n");
    EXPECT_EQ(kde.PointerSpeed(), 1);

    ASSERT_EQ(kde.SetWheelLines(0), DesktopApplyResult::Applied);
    EXPECT_EQ(ReadBytes(temp / "config/kdeglobals"), "[KDE]\nWheelScrollLines=1\n");
    ASSERT_EQ(kde.SetWheelLines(250), DesktopApplyResult::Applied);
    EXPECT_EQ(ReadBytes(temp / "config/kdeglobals"), "[KDE]\nWheelScrollLines=100\n");

    // No session bus: the files count, the missed signal is only reported.
    std::vector<std::string> lines = debug.Lines();
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                            [](const std::string& line) {
                                return line.starts_with(
                                    "DesktopSettings KDE Plasma: cannot "
                                    "connect to the session bus (");
                            }),
              4);
}

TEST(KdeDesktopSettings, ChangesOneLineAndKeepsEveryOtherByteForByte) {
    TempFolder config;
    ScopedEnvironment bus("DBUS_SESSION_BUS_ADDRESS", kNoBus);
    const std::string input =
        "[$Version]\nupdate_info=kcminputrc_fix_botched_5_21_0.upd:kcminputrc_migrate_repeat\n\n"
        "[Libinput][1133][49291][Logitech G502]\nPointerAcceleration=0.200\n\n"
        "[Mouse]\ncursorTheme=breeze_cursors\nXLbInptPointerAcceleration = 0.4\n"
        "XLbInptAccelProfileFlat=true\n\n[Keyboard]\nNumLock=2\n";
    WriteBytes(config / "kcminputrc", input);
    WriteBytes(config / "kdeglobals",
               "[General]\nColorScheme=BreezeDark\n\n[KDE]\nSingleClick=false\n\n[WM]\n");

    KdeDesktopSettings kde(config.Path());
    EXPECT_EQ(kde.PointerSpeed(), 14);
    ASSERT_EQ(kde.SetPointerSpeed(3), DesktopApplyResult::Applied);
    std::string expected = input;
    expected.replace(expected.find(" = 0.4"), 6, "=-0.7");
    EXPECT_EQ(ReadBytes(config / "kcminputrc"), expected);
    EXPECT_EQ(kde.PointerSpeed(), 3);

    ASSERT_EQ(kde.SetWheelLines(12), DesktopApplyResult::Applied);
    EXPECT_EQ(ReadBytes(config / "kdeglobals"),
              "[General]\nColorScheme=BreezeDark\n\n[KDE]\nSingleClick=false\n"
              "WheelScrollLines=12\n\n[WM]\n");

    // Values written by others.
    for (auto [value, speed] :
         std::vector<std::pair<std::string, std::optional<int>>>{{"0.6000000000000001", 16},
                                                                 {"-1", 1},
                                                                 {"3", 20},
                                                                 {"fast", std::nullopt},
                                                                 {"0.5x", std::nullopt},
                                                                 {"nan", std::nullopt}}) {
        WriteBytes(config / "kcminputrc", "[Mouse]\nXLbInptPointerAcceleration=" + value + "\n");
        EXPECT_EQ(kde.PointerSpeed(), speed) << value;
    }
}

// KWin's input devices as its bus interface lists them on Plasma's Wayland
// session (recorded from Plasma 6: the manager's devicesSysNames, each
// device's GetAll, shortened to what the backend reads), and the calls made.
struct FakeKwinDevices {
    BusCallerFactory Factory() {
        return [this] {
            return [this](const BusObjectAddress& target, const std::string& method,
                          std::vector<BusValue> arguments) {
                return Answer(target, method, arguments);
            };
        };
    }

    BusReply Answer(const BusObjectAddress& target, const std::string& method,
                    const std::vector<BusValue>& arguments) {
        const auto dictionary = [](std::vector<std::pair<std::string, BusValue>> entries) {
            std::vector<BusValue> items;
            for (auto& [name, value] : entries) {
                items.push_back(
                    BusValue::DictEntry(BusValue::String(name), BusValue::Variant(value)));
            }
            return BusReply{{BusValue::Array("{sv}", std::move(items))}, {}, {}};
        };
        const auto device = [&](std::string name, bool pointer, bool touchpad, std::uint32_t vendor,
                                std::uint32_t product) {
            return dictionary({{"name", BusValue::String(std::move(name))},
                               {"pointer", BusValue::Boolean(pointer)},
                               {"touchpad", BusValue::Boolean(touchpad)},
                               {"vendor", BusValue::UInt32(vendor)},
                               {"product", BusValue::UInt32(product)},
                               {"pointerAcceleration", BusValue::Double(0.2)}});
        };
        const std::string& path = target.objectPath;
        if (method == "Set") {
            sets.push_back(path + " " + arguments.at(1).AsString().value_or("") + " " +
                           std::to_string(arguments.at(2).Items().at(0).AsDouble().value_or(9)));
            return {};
        }
        if (method == "Get" && path == "/org/kde/KWin/InputDevice") {
            std::vector<BusValue> names;
            for (const char* name : {"event3", "event5", "event7", "event9"}) {
                names.push_back(BusValue::String(name));
            }
            return {{BusValue::Variant(BusValue::Array("s", std::move(names)))}, {}, {}};
        }
        if (path.ends_with("event3")) {
            return device("Logitech G502 HERO Gaming Mouse", true, false, 1133, 49291);
        }
        if (path.ends_with("event5")) {
            return device("SYNA8004:00 06CB:CD8B Touchpad", true, true, 1739, 52619);
        }
        if (path.ends_with("event7")) {
            return device("AT Translated Set 2 keyboard", false, false, 1, 1);
        }
        return device("Odd [brackets] Mouse", true, false, 7, 8);
    }

    std::vector<std::string> sets;
};

TEST(KdeDesktopSettings, WritesTheGroupOfEveryPointerDeviceKwinLists) {
    TempFolder config;
    ScopedEnvironment bus("DBUS_SESSION_BUS_ADDRESS", kNoBus);
    WriteBytes(config / "kcminputrc",
               "[Libinput][1133][49291][Logitech G502 HERO Gaming Mouse]\n"
               "NaturalScroll=false\nPointerAcceleration=0.200\n\n[Mouse]\ncursorSize=24\n");
    FakeKwinDevices kwin;
    KdeDesktopSettings kde(config.Path(), kwin.Factory());
    ASSERT_EQ(kde.SetPointerSpeed(15), DesktopApplyResult::Applied);
    // The mouse's group keeps its other keys; the touchpad, the keyboard and
    // a name KConfig would have to escape get nothing.
    EXPECT_EQ(ReadBytes(config / "kcminputrc"),
              "[Libinput][1133][49291][Logitech G502 HERO Gaming Mouse]\n"
              "NaturalScroll=false\nPointerAcceleration=0.5\n\n[Mouse]\ncursorSize=24\n"
              "XLbInptPointerAcceleration=0.5\n");
    EXPECT_EQ(kwin.sets, std::vector<std::string>{"/org/kde/KWin/InputDevice/event3 "
                                                  "pointerAcceleration 0.500000"});
    EXPECT_EQ(kde.PointerSpeed(), 15);

    // A device KWin lists for the first time gets a group of its own.
    WriteBytes(config / "kcminputrc", "");
    kwin.sets.clear();
    ASSERT_EQ(kde.SetPointerSpeed(5), DesktopApplyResult::Applied);
    EXPECT_EQ(ReadBytes(config / "kcminputrc"),
              "[Mouse]\nXLbInptPointerAcceleration=-0.5\n"
              "[Libinput][1133][49291][Logitech G502 HERO Gaming Mouse]\n"
              "PointerAcceleration=-0.5\n");
}

TEST(KdeDesktopSettings, FailsWhenTheFileCannotBeWritten) {
    TempFolder temp;
    ScopedEnvironment bus("DBUS_SESSION_BUS_ADDRESS", kNoBus);
    WriteBytes(temp / "config", "a file where the folder should be");
    KdeDesktopSettings kde(temp / "config");
    EXPECT_EQ(kde.SetPointerSpeed(12), DesktopApplyResult::Failed);
    EXPECT_EQ(kde.SetWheelLines(4), DesktopApplyResult::Failed);
    EXPECT_EQ(ReadBytes(temp / "config"), "a file where the folder should be");

    // A folder where the file should be cannot be read either.
    std::filesystem::create_directories(temp / "other/kcminputrc");
    KdeDesktopSettings other(temp / "other");
    EXPECT_EQ(other.SetPointerSpeed(12), DesktopApplyResult::Failed);
    EXPECT_EQ(other.PointerSpeed(), std::nullopt);
}

void CollectSignal(GDBusConnection*, const gchar*, const gchar* path, const gchar* interface,
                   const gchar* member, GVariant* parameters, gpointer received) {
    GCharPtr arguments(g_variant_print(parameters, FALSE));
    static_cast<std::vector<std::string>*>(received)->push_back(
        std::string(path) + " " + interface + "." + member + arguments.get());
}

TEST(KdeDesktopSettings, AnnouncesEachChangeOnTheSessionBus) {
    ReportingChild daemon({"dbus-daemon", "--session", "--nofork", "--nopidfile",
                           "--print-address=" + std::to_string(ReportingChild::kReportFd)},
                          kGuard);
    if (!daemon.Started()) {
        GTEST_SKIP() << "dbus-daemon is not installed; the signal cannot be observed";
    }
    ASSERT_FALSE(daemon.Report().empty()) << "dbus-daemon did not start";
    ScopedEnvironment bus("DBUS_SESSION_BUS_ADDRESS", daemon.Report());

    // The listener's signals are delivered on this thread, by iterating `context`.
    GlibThreadContext context;
    GObjectPtr<GDBusConnection> listener(g_dbus_connection_new_for_address_sync(
        daemon.Report().c_str(),
        static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                          G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
        nullptr, nullptr, nullptr));
    ASSERT_NE(listener, nullptr);
    std::vector<std::string> received;
    const guint subscription = g_dbus_connection_signal_subscribe(
        listener.get(), nullptr, "org.kde.KGlobalSettings", nullptr, nullptr, nullptr,
        G_DBUS_SIGNAL_FLAGS_NONE, &CollectSignal, &received, nullptr);
    // The bus handles one connection's messages in order: once this answer is in,
    // the match rule the subscription sent is in place.
    GVariantPtr id(g_dbus_connection_call_sync(
        listener.get(), "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
        "GetId", nullptr, nullptr, G_DBUS_CALL_FLAGS_NONE, -1, nullptr, nullptr));
    ASSERT_NE(id, nullptr);

    TempFolder config;
    DebugCapture debug;
    KdeDesktopSettings kde(config.Path());
    ASSERT_EQ(kde.SetPointerSpeed(8), DesktopApplyResult::Applied);
    ASSERT_EQ(kde.SetWheelLines(5), DesktopApplyResult::Applied);
    bool guardExpired = false;
    GSource* guard = g_timeout_source_new_seconds(kGuard.count());
    g_source_set_callback(
        guard,
        [](gpointer expired) {
            *static_cast<bool*>(expired) = true;
            return G_SOURCE_REMOVE;
        },
        &guardExpired, nullptr);
    g_source_attach(guard, g_main_context_get_thread_default());
    g_source_unref(guard);  // the context keeps it until it fires or goes
    while (received.size() < 2 && !guardExpired) {
        g_main_context_iteration(g_main_context_get_thread_default(), TRUE);
    }
    const std::string notify = "/KGlobalSettings org.kde.KGlobalSettings.notifyChange(3, 0)";
    EXPECT_EQ(received, (std::vector<std::string>{notify, notify}));
    EXPECT_EQ(debug.Lines(), std::vector<std::string>{});
    g_dbus_connection_signal_unsubscribe(listener.get(), subscription);
    g_dbus_connection_close_sync(listener.get(), nullptr, nullptr);
}

TEST(KdeDesktopSettings, ConcurrentWritersEndWithOneOfTheirValues) {
    TempFolder config;
    ScopedEnvironment bus("DBUS_SESSION_BUS_ADDRESS", kNoBus);
    WriteBytes(config / "kcminputrc", "[Mouse]\ncursorTheme=breeze\n");
    KdeDesktopSettings kde(config.Path());
    std::atomic<int> failures{0};
    {
        std::vector<std::jthread> threads;
        for (int t = 1; t <= 6; ++t) {
            threads.emplace_back([&kde, &failures, t] {
                for (int round = 0; round < 10; ++round) {
                    failures += kde.SetPointerSpeed(10 + t) != DesktopApplyResult::Applied;
                    failures += kde.SetWheelLines(t) != DesktopApplyResult::Applied;
                }
            });
        }
    }
    EXPECT_EQ(failures, 0);
    const std::string speeds = ReadBytes(config / "kcminputrc");
    const std::string lines = ReadBytes(config / "kdeglobals");
    const std::string speedPrefix = "[Mouse]\ncursorTheme=breeze\nXLbInptPointerAcceleration=0.";
    const std::string linesPrefix = "[KDE]\nWheelScrollLines=";
    ASSERT_EQ(speeds.size(), speedPrefix.size() + 2) << speeds;
    ASSERT_EQ(lines.size(), linesPrefix.size() + 2) << lines;
    EXPECT_TRUE(speeds.starts_with(speedPrefix) && speeds.ends_with("\n")) << speeds;
    EXPECT_TRUE(lines.starts_with(linesPrefix) && lines.ends_with("\n")) << lines;
    EXPECT_TRUE(speeds[speedPrefix.size()] >= '1' && speeds[speedPrefix.size()] <= '6');
    EXPECT_TRUE(lines[linesPrefix.size()] >= '1' && lines[linesPrefix.size()] <= '6');
}

}  // namespace
}  // namespace varlok::platform
