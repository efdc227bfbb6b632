#include "platform/gdbusobjectexport.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>
#include <thread>

#include "childprocess.h"
#include "platform/debugoutput.h"
#include "privatebus.h"

namespace varlok::platform {
namespace {

using namespace std::chrono_literals;
using testing::ChildProcess;
using ::testing::HasSubstr;

constexpr auto kGuard = 20s;
constexpr const char* kName = "org.example.Test";
constexpr const char* kPath = "/org/example/Test";
constexpr const char* kInterface = "org.example.Test1";
constexpr const char* kXml = R"(<node><interface name="org.example.Test1">
  <property name="Count" type="q" access="read"/>
  <method name="Echo">
    <arg name="options" type="a{sv}" direction="in"/>
    <arg name="blocks" type="aay" direction="in"/>
    <arg name="options_back" type="a{sv}" direction="out"/>
    <arg name="blocks_back" type="aay" direction="out"/>
  </method>
  <method name="Refuse"/>
  <method name="Hold"/>
</interface></node>)";

class GdbusObjectExportTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!m_bus.Installed()) {
            GTEST_SKIP() << "dbus-daemon is not installed (package dbus-daemon)";
        }
        ASSERT_FALSE(m_bus.Address().empty()) << "dbus-daemon did not start";
    }
    void TearDown() override {
        for (std::thread& answerer : m_answerers) {
            answerer.join();
        }
    }

    BusExportOptions Options() {
        return BusExportOptions{m_bus.Address(),
                                kName,
                                kPath,
                                kInterface,
                                kXml,
                                BusProperties{{"Count", BusValue::UInt16(3)}},
                                [this](BusCall call) { OnCall(std::move(call)); }};
    }

    // Echo is answered from a thread of its own, Refuse with an error, and
    // Hold is kept until the test lets it go.
    void OnCall(BusCall call) {
        const std::lock_guard lock(m_mutex);
        m_callThreads.push_back(std::this_thread::get_id());
        if (call.Method() == "Echo") {
            m_answerers.emplace_back(
                [call = std::move(call)]() mutable { call.Return(call.Arguments()); });
        } else if (call.Method() == "Refuse") {
            call.Fail("org.example.Error.Refused", "not now");
        } else {
            m_held.push_back(std::move(call));
            m_heldChanged.notify_all();
        }
    }

    // gdbus's output of one call of a method ("interface.method") of the
    // object.
    std::string Call(const std::string& method, std::vector<std::string> arguments = {}) {
        std::vector<std::string> rest{"--dest", kName, "--object-path", kPath, "--method", method};
        rest.insert(rest.end(), arguments.begin(), arguments.end());
        ChildProcess gdbus(m_bus.Gdbus("call", rest));
        EXPECT_TRUE(gdbus.WaitForExit(kGuard).has_value()) << "gdbus call " << method;
        return gdbus.Output();
    }

    std::string GetCount() {
        return Call("org.freedesktop.DBus.Properties.Get", {kInterface, "Count"});
    }

    testing::PrivateBus m_bus;
    std::mutex m_mutex;
    std::condition_variable m_heldChanged;
    std::vector<std::thread::id> m_callThreads;
    std::vector<std::thread> m_answerers;
    std::vector<BusCall> m_held;
};

TEST_F(GdbusObjectExportTest, CallsReachTheOwnerAndPropertiesComeFromTheSnapshot) {
    GdbusObjectExport exported(Options());
    ASSERT_EQ(exported.WaitUntilSettled(kGuard), BusExportState::Exported);

    // Containers travel both ways unchanged; the answer came from another
    // thread than the one the call arrived on, which is not the test's.
    const std::string echo = Call("org.example.Test1.Echo",
                                  {"{'speed': <int32 2>, 'name': <'x'>}", "[[byte 1, 2], [3]]"});
    EXPECT_THAT(echo, HasSubstr("({'speed': <2>, 'name': <'x'>}, [[byte 0x01, 0x02], [0x03]])"));
    EXPECT_THAT(Call("org.example.Test1.Refuse"),
                HasSubstr("GDBus.Error:org.example.Error.Refused: not now"));
    {
        const std::lock_guard lock(m_mutex);
        ASSERT_EQ(m_callThreads.size(), 2U);
        EXPECT_EQ(m_callThreads[0], m_callThreads[1]);
        EXPECT_NE(m_callThreads[0], std::this_thread::get_id());
    }

    EXPECT_EQ(GetCount(), "(<uint16 3>,)\n");
    ChildProcess monitor(m_bus.PropertiesMonitor());
    ASSERT_TRUE(monitor.WaitForOutput(testing::PrivateBus::kMonitoring, kGuard))
        << monitor.Output();
    exported.PublishProperties({{"Count", BusValue::UInt16(4)}});
    EXPECT_TRUE(monitor.WaitForOutput("uint16 4", kGuard)) << monitor.Output();
    EXPECT_THAT(monitor.Output(), HasSubstr("path=/org/example/Test; "
                                            "interface=org.freedesktop.DBus.Properties; "
                                            "member=PropertiesChanged\n"
                                            "   string \"org.example.Test1\"\n"
                                            "   array [\n"
                                            "      dict entry(\n"
                                            "         string \"Count\"\n"));
    EXPECT_EQ(GetCount(), "(<uint16 4>,)\n");
    // Properties were never asked of the owner.
    const std::lock_guard lock(m_mutex);
    EXPECT_EQ(m_callThreads.size(), 2U);
}

TEST_F(GdbusObjectExportTest, TheNameIsOwnedOnceAndStopAnswersAndReleasesIt) {
    GdbusObjectExport first(Options());
    ASSERT_EQ(first.WaitUntilSettled(kGuard), BusExportState::Exported);
    {
        DebugCapture debug;
        GdbusObjectExport second(Options());
        EXPECT_EQ(second.WaitUntilSettled(kGuard), BusExportState::NameTaken);
        EXPECT_TRUE(
            debug.Contains("bus service: the name org.example.Test is owned by another "
                           "program; carrying on without the bus service"));
    }

    ChildProcess held(m_bus.Gdbus("call", {"--dest", kName, "--object-path", kPath, "--method",
                                           std::string(kInterface) + ".Hold"}));
    {
        std::unique_lock lock(m_mutex);
        ASSERT_TRUE(m_heldChanged.wait_for(lock, kGuard, [this] { return !m_held.empty(); }));
    }
    first.RefuseCalls();
    EXPECT_THAT(Call("org.example.Test1.Refuse"), HasSubstr("org.freedesktop.DBus.Error.NoServer"));
    // A call its owner drops is answered all the same.
    {
        const std::lock_guard lock(m_mutex);
        m_held.clear();
    }
    ASSERT_TRUE(held.WaitForExit(kGuard).has_value());
    EXPECT_THAT(held.Output(), HasSubstr("org.freedesktop.DBus.Error.Failed"));

    first.Stop();
    EXPECT_EQ(first.State(), BusExportState::Stopped);
    ChildProcess owner(m_bus.Gdbus(
        "call", {"--dest", "org.freedesktop.DBus", "--object-path", "/org/freedesktop/DBus",
                 "--method", "org.freedesktop.DBus.NameHasOwner", kName}));
    ASSERT_TRUE(owner.WaitForExit(kGuard).has_value());
    EXPECT_EQ(owner.Output(), "(false,)\n");
}

}  // namespace
}  // namespace varlok::platform
