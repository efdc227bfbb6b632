#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstdlib>
#include <mutex>
#include <sstream>
#include <string>
#include <vector>

#include "app/mainwindowmessages.h"
#include "platform/childprocess.h"
#include "platform/privatebus.h"
#include "platform/singleinstance.h"
#include "platform/tempfolder.h"
#include "platform/tracedreport.h"
#include "platform/xvfbserver.h"
#include "sim/devicememory.h"
#include "sim/virtualmousestatefile.h"

namespace varlok::app {
namespace {

using namespace std::chrono_literals;
using platform::testing::ChildProcess;
using platform::testing::ReadBytes;
using platform::testing::TempFolder;

// Runs the program without a display, with its stores (and its runtime
// folder, where the virtual mouse's owner lock lies) in the test's folder,
// and returns its exit code; stdout and stderr land in files there. It finds
// no session bus.
class ProgramTest : public ::testing::Test {
protected:
    int Run(const std::string& arguments) {
        const std::string folder = m_folder.Path().string();
        std::filesystem::create_directories(m_folder / "runtime");
        const std::string command =
            "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM VARLOK_DOCUMENTS_DIR='" + folder +
            "/documents' XDG_RUNTIME_DIR='" + folder +
            "/runtime' DBUS_SESSION_BUS_ADDRESS='unix:path=" + folder +
            "/no-bus' XDG_CONFIG_HOME='" + folder + "/config' VARLOK_INSTANCE_NAME=varlok-test-" +
            std::to_string(::getpid()) + " '" VARLOK_PROGRAM "' " + arguments + " >'" + folder +
            "/out.txt' 2>'" + folder + "/err.txt'";
        const int status = std::system(command.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    std::string Out() const { return ReadBytes(m_folder / "out.txt"); }
    std::string Err() const { return ReadBytes(m_folder / "err.txt"); }

    TempFolder m_folder;
};

// Width and height from a PNG file's header, or 0, 0 when it is no PNG.
std::array<std::uint32_t, 2> PngSize(const std::string& bytes) {
    static const std::string kSignature = "\x89PNG\r\n\x1a\n";
    if (bytes.size() < 24 || bytes.compare(0, kSignature.size(), kSignature) != 0 ||
        bytes.compare(12, 4, "IHDR") != 0) {
        return {0, 0};
    }
    const auto word = [&bytes](std::size_t at) {
        std::uint32_t value = 0;
        for (std::size_t i = 0; i < 4; ++i) {
            value = (value << 8) | static_cast<std::uint8_t>(bytes[at + i]);
        }
        return value;
    };
    return {word(16), word(20)};
}

TEST_F(ProgramTest, WithTheVirtualMouseItDrawsTheWindowOffscreenIntoAPicture) {
    const auto picture = m_folder / "window.png";
    ASSERT_EQ(Run("--simulate --screenshot '" + picture.string() + "'"), 0) << Err();
    EXPECT_EQ(PngSize(ReadBytes(picture)), (std::array<std::uint32_t, 2>{800, 572}));
    // The data folder was made on the way.
    EXPECT_TRUE(std::filesystem::is_directory(m_folder / "documents" / "VARLOK" / "ms"));
    EXPECT_NE(Err().find("no system tray"), std::string::npos);
}

TEST_F(ProgramTest, TheVirtualMouseKeepsItsMemoryUnlessStartedFresh) {
    // Memory the window neither reads nor writes at its start: the cursor
    // table.
    sim::StoredMemory memory = sim::DeviceMemory::FactoryStoredMemory();
    memory.cursorTable[100] = 0x5A;
    const auto state = m_folder / "runtime" / "varlok" / "virtual-mouse.state";
    std::filesystem::create_directories(state.parent_path());
    platform::testing::WriteBytes(state, sim::VirtualMouseStateFile::Encode(memory));
    const auto stored = [&state] {
        std::string why;
        return sim::VirtualMouseStateFile::Decode(ReadBytes(state), why);
    };
    const std::string picture = "'" + (m_folder / "window.png").string() + "'";

    ASSERT_EQ(Run("--simulate --screenshot " + picture), 0) << Err();
    ASSERT_TRUE(stored());
    EXPECT_EQ(stored()->cursorTable[100], 0x5A);
    // The device profile it sent at the start is in the record in force.
    EXPECT_NE(stored()->settings, sim::DeviceMemory::FactorySettingsArea());

    ASSERT_EQ(Run("--simulate=fresh --screenshot " + picture), 0) << Err();
    ASSERT_TRUE(stored());
    EXPECT_EQ(stored()->cursorTable[100], 0);
}

TEST_F(ProgramTest, APictureThatCannotBeWrittenIsAnError) {
    EXPECT_EQ(Run("--simulate --screenshot '" + (m_folder / "missing" / "x.png").string() + "'"),
              1);
    EXPECT_NE(Err().find("cannot write the picture"), std::string::npos);
}

TEST_F(ProgramTest, WhileAnotherInstanceRunsAPictureRunFailsAndAPlainStartWakesIt) {
    std::mutex mutex;
    std::condition_variable woken;
    std::vector<std::string> messages;
    platform::SingleInstance running("varlok-test-" + std::to_string(::getpid()),
                                     [&](const std::string& message) {
                                         const std::lock_guard lock(mutex);
                                         messages.push_back(message);
                                         woken.notify_all();
                                     });
    ASSERT_EQ(running.Acquire(kActivateMessageName),
              platform::SingleInstance::AcquireResult::Acquired);

    const auto picture = m_folder / "window.png";
    EXPECT_EQ(Run("--simulate --screenshot '" + picture.string() + "'"), 1);
    EXPECT_NE(
        Err().find("another varlok is running; no picture was written to " + picture.string()),
        std::string::npos)
        << Err();
    EXPECT_FALSE(std::filesystem::exists(picture));
    // A start as the user makes it wakes the running window; the picture run
    // before it, served first, woke nothing.
    EXPECT_EQ(Run("--simulate"), 0) << Err();
    std::unique_lock lock(mutex);
    ASSERT_TRUE(woken.wait_for(lock, std::chrono::seconds(10), [&] { return !messages.empty(); }));
    EXPECT_EQ(messages, std::vector<std::string>{std::string(kActivateMessageName)});
}

TEST_F(ProgramTest, HelpAndBadArguments) {
    EXPECT_EQ(Run("--help"), 0);
    EXPECT_NE(Out().find("usage: varlok"), std::string::npos);
    EXPECT_EQ(Run("--frobnicate"), 2);
    EXPECT_NE(Err().find("unknown argument: --frobnicate"), std::string::npos);
    EXPECT_NE(Err().find("usage: varlok"), std::string::npos);
}

TEST_F(ProgramTest, TheWindowServesTheMouseOnTheSessionBus) {
    platform::testing::XvfbServer display;
    platform::testing::PrivateBus bus;
    if (!display.Installed() || !bus.Installed()) {
        GTEST_SKIP() << "Xvfb or dbus-daemon is not installed (packages xvfb, dbus-daemon)";
    }
    ASSERT_FALSE(display.DisplayName().empty() || bus.Address().empty());
    const std::string folder = m_folder.Path().string();
    ChildProcess program(
        {VARLOK_PROGRAM, "--simulate"},
        {"DISPLAY=" + display.DisplayName(), "QT_QPA_PLATFORM=xcb",
         "DBUS_SESSION_BUS_ADDRESS=" + bus.Address(), "XDG_RUNTIME_DIR=" + folder,
         "VARLOK_DOCUMENTS_DIR=" + folder + "/documents", "XDG_CONFIG_HOME=" + folder + "/config",
         "VARLOK_INSTANCE_NAME=varlok-bus-test-" + std::to_string(::getpid()), "VARLOK_TRACE=1"});
    ASSERT_TRUE(program.Started());
    const auto gdbus = [&bus](const std::string& command, std::vector<std::string> rest) {
        ChildProcess client(bus.Gdbus(command, std::move(rest)));
        EXPECT_TRUE(client.WaitForExit(20s).has_value()) << "gdbus " << command;
        return client.Output();
    };
    const auto call = [&gdbus](std::vector<std::string> arguments) {
        std::vector<std::string> rest{"--dest", "io.github.varlok.Varlok1", "--object-path",
                                      "/io/github/varlok/Varlok1", "--method"};
        rest.insert(rest.end(), arguments.begin(), arguments.end());
        return gdbus("call", rest);
    };
    EXPECT_EQ(gdbus("wait", {"--timeout", "20", "io.github.varlok.Varlok1"}), "")
        << program.Output();
    const std::string description =
        gdbus("introspect",
              {"--dest", "io.github.varlok.Varlok1", "--object-path", "/io/github/varlok/Varlok1"});
    EXPECT_THAT(description, ::testing::HasSubstr("SetDpi(in  y stage,"));
    EXPECT_THAT(description, ::testing::HasSubstr("readonly aq Dpi"));
    // The window owns the mouse once it has found it, and says so.
    ChildProcess monitor(bus.PropertiesMonitor());
    ASSERT_TRUE(monitor.WaitForOutput(platform::testing::PrivateBus::kMonitoring, 20s))
        << monitor.Output();
    if (call({"org.freedesktop.DBus.Properties.Get", "io.github.varlok.Varlok1", "Connected"}) !=
        "(<true>,)\n") {
        ASSERT_TRUE(
            monitor.WaitForOutput("string \"Connected\"\n         variant             "
                                  "boolean true",
                                  20s))
            << monitor.Output() << program.Output().substr(0, 4000);
    }

    EXPECT_EQ(call({"io.github.varlok.Varlok1.SetDpi", "3", "2000"}), "()\n");
    // Stage 3's code (7) in the whole record, byte 17 of the data.
    EXPECT_TRUE(program.WaitUntil(
        [&program] {
            std::istringstream lines(program.Output());
            for (std::string line; std::getline(lines, line);) {
                const std::vector<int> report = platform::testing::SentReport(line);
                if (platform::testing::IsRecordWrite(report) && report[8 + 17] == 7) {
                    return true;
                }
            }
            return false;
        },
        20s))
        << program.Output().substr(0, 4000);
    EXPECT_THAT(call({"io.github.varlok.Varlok1.SelectOnboardProfile", "7"}),
                ::testing::HasSubstr(
                    "GDBus.Error:io.github.varlok.Varlok1.Error.InvalidArgument: onboard profile 7 "
                    "does not exist"));
    program.Terminate(20s);
}

}  // namespace
}  // namespace varlok::app
