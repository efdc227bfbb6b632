#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "platform/debugoutput.h"
#include "platform/fakeforegroundprogram.h"
#include "platform/inifile.h"
#include "platform/tempfolder.h"
#include "profiles/applicationlinks.h"
#include "profiles/applicationlinkwatcher.h"

namespace varlok::profiles {
namespace {

using namespace std::chrono_literals;

TEST(ApplicationLinks, TheFirstEntryLinkedToTheProgramWinsWhateverTheCase) {
    platform::testing::TempFolder folder;
    platform::IniFile ini(folder / "msProfile.ini");
    for (const auto& [section, key, value] : {std::tuple{"PROFILELIKEDEVICEEXE", "0", "01"},
                                              {"DEVICEPROCESS", "0", "/a/b/Tool"},
                                              {"PROFILELIKEDEVICEEXE", "1", "2"},
                                              {"DEVICEPROCESS", "1", "/opt/Game"},
                                              {"PROFILELIKEDEVICEEXE", "2", "1"},
                                              {"DEVICEPROCESS", "2", "/opt/Game"},
                                              {"PROFILELIKEDEVICEEXE", "3", "1"},
                                              {"DEVICEPROCESS", "3", "/opt/game"},
                                              {"PROFILELIKEEXE", "0", "1"},
                                              {"PROCESS", "0", "/opt/Keys"}}) {
        ASSERT_EQ(ini.Write(section, key, value), platform::IniWriteResult::Ok);
    }
    constexpr ProfileCategory kDevice = ProfileCategory::Device;
    EXPECT_EQ(LinkedEntryFor(ini, kDevice, 4, "/OPT/GAME"), 2) << "flag 2 is no link";
    EXPECT_EQ(LinkedEntryFor(ini, kDevice, 4, "/a/b/tool"), 0) << "01 reads as 1";
    EXPECT_EQ(LinkedEntryFor(ini, kDevice, 2, "/opt/Game"), std::nullopt) << "past the count";
    EXPECT_EQ(LinkedEntryFor(ini, kDevice, 4, "/usr/opt/Game"), std::nullopt);
    EXPECT_EQ(LinkedEntryFor(ini, kDevice, 4, ""), std::nullopt);
    EXPECT_EQ(LinkedEntryFor(ini, kDevice, 4, "/opt/Keys"), std::nullopt) << "another list";
    EXPECT_EQ(LinkedEntryFor(ini, ProfileCategory::Key, 1, "/opt/keys"), 0);

    // A path longer than an INI read is stored and compared whole.
    const std::string deep = "/opt/" + std::string(300, 'd') + "/Game";
    ASSERT_EQ(ini.Write("PROFILELIKEDEVICEEXE", "4", "1"), platform::IniWriteResult::Ok);
    ASSERT_EQ(ini.Write("DEVICEPROCESS", "4", deep), platform::IniWriteResult::Ok);
    EXPECT_EQ(LinkedEntryFor(ini, kDevice, 5, deep), 4);
    EXPECT_EQ(LinkedEntryFor(ini, kDevice, 5, deep.substr(0, 259)), std::nullopt);
    EXPECT_EQ(ReadApplicationLink(ini, kDevice, 4).path, deep);
}

TEST(ApplicationLinkWatcher, AsksOnceAtTheStartThenOncePerChangeUntilStopped) {
    platform::FakeForegroundProgram foreground;
    std::atomic<int> follows = 0;
    platform::Event asked(false, false);
    ApplicationLinkWatcher watcher(foreground, [&] {
        ++follows;
        asked.Set();
    });
    platform::Event stop(true, false);
    const platform::DebugCapture debug;
    std::thread thread([&] { watcher.Run(stop); });
    ASSERT_TRUE(asked.Wait(10s));
    foreground.BringToFront("/opt/Game");
    ASSERT_TRUE(asked.Wait(10s));
    foreground.BringToFront("/opt/Game");  // no change, no request
    stop.Set();
    thread.join();
    EXPECT_EQ(follows.load(), 2);
    EXPECT_TRUE(debug.Contains("鼠标灯光进程侦测线程设定退出"));
}

}  // namespace
}  // namespace varlok::profiles
