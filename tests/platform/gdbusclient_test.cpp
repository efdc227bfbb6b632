#include "platform/gdbusclient.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <condition_variable>
#include <mutex>
#include <thread>

#include "platform/gdbusobjectexport.h"
#include "privatebus.h"
#include "scopedenvironment.h"
#include "tempfolder.h"

namespace varlok::platform {
namespace {

using namespace std::chrono_literals;

constexpr auto kGuard = 20s;
const BusObjectAddress kObject{"org.example.Test", "/org/example/Test", "org.example.Test1"};
constexpr const char* kXml = R"(<node><interface name="org.example.Test1">
  <property name="Count" type="q" access="read"/>
  <method name="Echo">
    <arg name="options" type="a{sv}" direction="in"/>
    <arg name="blocks" type="aay" direction="in"/>
    <arg name="options_back" type="a{sv}" direction="out"/>
    <arg name="blocks_back" type="aay" direction="out"/>
  </method>
  <method name="Refuse"/>
</interface></node>)";

// What a follower was told, from the client's thread.
struct Followed {
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<BusProperties> properties;
    std::vector<bool> owners;

    template <typename Done>
    bool WaitUntil(Done done) {
        std::unique_lock lock(mutex);
        return changed.wait_for(lock, kGuard, done);
    }
};

TEST(GdbusClientTest, CallsReadsAndFollowsAnObjectOnTheBus) {
    testing::PrivateBus bus;
    if (!bus.Installed()) {
        GTEST_SKIP() << "dbus-daemon is not installed (package dbus-daemon)";
    }
    ASSERT_FALSE(bus.Address().empty()) << "dbus-daemon did not start";
    GdbusObjectExport exported({bus.Address(), kObject.busName, kObject.objectPath,
                                kObject.interfaceName, kXml,
                                BusProperties{{"Count", BusValue::UInt16(3)}}, [](BusCall call) {
                                    if (call.Method() == "Echo") {
                                        call.Return(call.Arguments());
                                    } else {
                                        call.Fail("org.example.Error.Refused", "not now");
                                    }
                                }});
    ASSERT_EQ(exported.WaitUntilSettled(kGuard), BusExportState::Exported);

    GdbusClient client(bus.Address());
    ASSERT_TRUE(client.IsConnected()) << client.Problem();
    EXPECT_EQ(client.OwnerProcess(kObject.busName, kGuard), static_cast<std::uint32_t>(::getpid()));
    EXPECT_EQ(client.OwnerProcess("org.example.Nobody", kGuard), std::nullopt);

    const std::vector<BusValue> arguments{
        BusValue::Array("{sv}", {BusValue::DictEntry(BusValue::String("speed"),
                                                     BusValue::Variant(BusValue::Int32(-2)))}),
        BusValue::ByteArrays({{1, 2}, {}})};
    const BusReply echoed = client.Call(kObject, "Echo", arguments, kGuard);
    ASSERT_FALSE(echoed.IsError()) << echoed.errorName << ": " << echoed.errorMessage;
    EXPECT_EQ(echoed.values, arguments);
    const BusReply refused = client.Call(kObject, "Refuse", {}, kGuard);
    EXPECT_EQ(refused.errorName, "org.example.Error.Refused");
    EXPECT_EQ(refused.errorMessage, "not now");
    const BusReply nobody =
        client.Call({"org.example.Nobody", "/", "org.example.Nobody"}, "Hello", {}, kGuard);
    EXPECT_EQ(nobody.errorName, "org.freedesktop.DBus.Error.ServiceUnknown");

    const BusReply count = client.ReadProperty(kObject, "Count", kGuard);
    ASSERT_FALSE(count.IsError()) << count.errorMessage;
    EXPECT_EQ(count.values, std::vector<BusValue>{BusValue::UInt16(3)});

    Followed followed;
    ASSERT_TRUE(client.Follow(kObject, {[&followed](const BusProperties& changed) {
                                            const std::lock_guard lock(followed.mutex);
                                            followed.properties.push_back(changed);
                                            followed.changed.notify_all();
                                        },
                                        [&followed](bool owned) {
                                            const std::lock_guard lock(followed.mutex);
                                            followed.owners.push_back(owned);
                                            followed.changed.notify_all();
                                        }}));
    EXPECT_FALSE(client.Follow(kObject, {})) << "one object per client";
    exported.PublishProperties({{"Count", BusValue::UInt16(4)}});
    ASSERT_TRUE(followed.WaitUntil([&] { return !followed.properties.empty(); }));
    BusProperties all;
    ASSERT_FALSE(client.ReadProperties(kObject, all, kGuard).IsError());
    EXPECT_EQ(all, (BusProperties{{"Count", BusValue::UInt16(4)}}));
    {
        const std::lock_guard lock(followed.mutex);
        const std::vector<BusProperties> expected{{{"Count", BusValue::UInt16(4)}}};
        EXPECT_EQ(followed.properties, expected);
    }
    // Calls made while the follower's thread runs are answered as before.
    EXPECT_FALSE(client.Call(kObject, "Echo", arguments, kGuard).IsError());

    exported.Stop();
    ASSERT_TRUE(followed.WaitUntil([&] { return !followed.owners.empty(); }));
    const std::lock_guard lock(followed.mutex);
    EXPECT_EQ(followed.owners, std::vector<bool>{false});
}

TEST(GdbusClientTest, WithoutABusItSaysWhyAndLaunchesNone) {
    const testing::TempFolder folder;
    {
        GdbusClient client("unix:path=" + (folder / "no-bus").string());
        EXPECT_FALSE(client.IsConnected());
        EXPECT_NE(client.Problem().find("cannot connect to the bus"), std::string::npos)
            << client.Problem();
        EXPECT_EQ(client.Call(kObject, "Echo", {}, kGuard).errorName,
                  "org.freedesktop.DBus.Error.Disconnected");
        EXPECT_FALSE(client.Follow(kObject, {}));
    }
    // No address and no runtime bus socket: GLib alone would start dbus-launch.
    const testing::ScopedEnvironment address("DBUS_SESSION_BUS_ADDRESS", std::nullopt);
    const testing::ScopedEnvironment runtime("XDG_RUNTIME_DIR", folder.Path().string());
    const testing::ScopedEnvironment display("DISPLAY", ":4711");
    GdbusClient session("");
    EXPECT_FALSE(session.IsConnected());
    EXPECT_NE(session.Problem().find("no session bus"), std::string::npos) << session.Problem();
}

}  // namespace
}  // namespace varlok::platform
