#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "app/busservicehost.h"
#include "app/support/mainwindowfixture.h"
#include "platform/fakebusobject.h"
#include "platform/inifile.h"
#include "profiles/profilefile.h"
#include "profiles/profilestore.h"
#include "settings/settingstestsupport.h"
#include "ui/comboui.h"
#include "ui/progressui.h"
#include "ui/sliderui.h"
#include "ui/support/uidriver.h"
#include "ui/trayicon.h"

namespace varlok::app {
namespace {

using platform::BusReply;
using platform::BusValue;
using settings::testing::NonFrameRequests;
using ::testing::HasSubstr;

constexpr std::string_view kPerformanceTab = "ms_rich_Op_tab";

// The window's bus service without a bus: calls handed to it as the bus
// thread's queue hands them, answers and publications read back.
class BusServiceTest : public testing::MainWindowFixture {
protected:
    void SetUp() override {
        MainWindowFixture::SetUp();
        ui::CTrayIcon::OverrideSystemTrayAvailable(false);
        AttachMouse();
    }
    void Open() {
        OpenMousePage(kPerformanceTab);
        m_window->BusService().Service().Attach(&m_object);
    }
    BusReply Call(std::string method, std::vector<BusValue> arguments) {
        BusReply reply;
        m_window->BusService().Service().Handle(
            platform::FakeBusObject::MakeCall(std::move(method), std::move(arguments), reply));
        return reply;
    }
    template <typename Control>
    Control& Get(std::string_view name) const {
        return *dynamic_cast<Control*>(Find(name));
    }
    platform::IniFile Store() const { return platform::IniFile(m_folder / "ms" / "msProfile.ini"); }

    platform::FakeBusObject m_object;
};

TEST_F(BusServiceTest, ACallTakesTheWayOfThePagesControl) {
    Open();
    ASSERT_FALSE(Call("SetDpi", {BusValue::Byte(3), BusValue::UInt16(2000)}).IsError());
    EXPECT_EQ(Get<ui::CSliderUI>("ms_DPI3_slider").GetValue(), 7);
    EXPECT_EQ(Find("ms_DPI3_label_value")->GetText(), "2000");
    const std::vector<settings::testing::Request> writes = FlushedRecords();
    ASSERT_EQ(writes.size(), 1U);
    EXPECT_EQ(writes[0].data[17], 7);
    // Saved in the selected device profile as the slider saves it.
    std::array<std::uint8_t, profiles::kDeviceBodySize> stored{};
    ASSERT_EQ(profiles::ReadProfileFile(m_folder / "ms" / "profile1.config", stored),
              profiles::ProfileReadResult::Loaded);
    EXPECT_EQ(stored[profiles::kDeviceRecordOffset + 17], 7);
    ASSERT_EQ(m_object.Publications().size(), 1U);
    EXPECT_EQ(m_object.Publications()[0].at("Dpi").Items().at(2), BusValue::UInt16(2000));

    // The lighting: the mode as the effect list, the colour as the palette
    // (seven colours off), the speed as its slider.
    ASSERT_FALSE(
        Call("SetLightingEffect",
             {BusValue::String("breathing"),
              BusValue::Array("{sv}",
                              {BusValue::DictEntry(BusValue::String("colour"),
                                                   BusValue::Variant(BusValue::String("102030"))),
                               BusValue::DictEntry(BusValue::String("speed"),
                                                   BusValue::Variant(BusValue::Int32(1)))})})
            .IsError());
    EXPECT_EQ(Get<ui::CComboUI>("ms_deng_combo_modeSelect0").GetCurSel(), 4);
    EXPECT_EQ(Get<ui::CProgressUI>("ms_deng_speed_slider").GetValue(), 3);
    EXPECT_EQ(Find("ms_Deng_edit_G")->GetText(), "32");
    const platform::BusProperties lighting = m_object.Publications().back();
    EXPECT_EQ(lighting.at("LightingEffect"), BusValue::String("breathing"));
    EXPECT_EQ(lighting.at("LightingColour"), BusValue::String("102030"));
    EXPECT_EQ(lighting.at("LightingSevenColours"), BusValue::Boolean(false));

    // A change made on the page is published as well once the window has
    // handled it.
    m_object.ClearPublications();
    ASSERT_TRUE(Driver().DragSlider("ms_DPI1_slider", 15));
    ASSERT_TRUE(RunUntil([this] { return !m_object.Publications().empty(); }));
    EXPECT_EQ(m_object.Publications()[0].at("Dpi").Items().at(0), BusValue::UInt16(4000));
}

TEST_F(BusServiceTest, ProfilesAreChosenAndAppliedAsTheListsDoAndFollowReportedPrograms) {
    std::filesystem::create_directories(m_folder / "ms");
    platform::IniFile store = Store();
    for (const auto& [section, key, value] : {std::tuple{"PROFILEDEVICECOUNT", "count", "2"},
                                              {"PROFILEDEVICENAME", "0", "Desk"},
                                              {"PROFILEDEVICENAME", "1", "Game"},
                                              {"PROFILEDEVICESELECT", "select", "0"},
                                              {"PROFILELIKEDEVICEEXE", "1", "1"},
                                              {"DEVICEPROCESS", "1", "/opt/game/bin/game"}}) {
        ASSERT_EQ(store.Write(section, key, value), platform::IniWriteResult::Ok);
    }
    std::array<std::uint8_t, profiles::kDeviceBodySize> body{};
    for (const auto& [name, dpiCode] : {std::pair{"Desk", 1}, {"Game", 9}}) {
        body[profiles::kDeviceRecordOffset + 15] = static_cast<std::uint8_t>(dpiCode);
        ASSERT_TRUE(profiles::WriteProfileFile(m_folder / "ms" / (std::string(name) + ".config"),
                                               body, profiles::ProfileStore::kTypeCode));
    }
    Open();
    const ui::CComboUI& devices = Get<ui::CComboUI>("ms_device_profile_combo");

    ASSERT_FALSE(
        Call("SelectProfile", {BusValue::String("device"), BusValue::String("game")}).IsError());
    EXPECT_EQ(devices.GetCurSel(), 1);
    EXPECT_EQ(m_mouse->SettingsArea()[15], 9);
    EXPECT_EQ(Store().Read("PROFILEDEVICESELECT", "select"), "1");
    EXPECT_EQ(m_object.Publications().back().at("DeviceProfile"), BusValue::String("Game"));
    ASSERT_FALSE(
        Call("SelectProfile", {BusValue::String("device"), BusValue::String("Desk")}).IsError());

    // A lighting file goes into the live settings, to the mouse and into the
    // selected lighting profile.
    std::array<std::uint8_t, 64> lighting{};
    lighting[15] = 12;
    ASSERT_TRUE(profiles::WriteProfileFile(m_folder / "bright.led", lighting,
                                           profiles::ProfileStore::kTypeCode));
    ASSERT_FALSE(
        Call("ApplyProfileFile", {BusValue::String((m_folder / "bright.led").string())}).IsError());
    EXPECT_EQ(Get<ui::CSliderUI>("ms_DPI1_slider").GetValue(), 12);
    ASSERT_TRUE(RunUntil([this] { return m_mouse->SettingsArea()[15] == 12; }));
    std::array<std::uint8_t, 64> saved{};
    ASSERT_EQ(profiles::ReadProfileFile(m_folder / "ms" / "profile1.led", saved),
              profiles::ProfileReadResult::Loaded);
    EXPECT_EQ(saved[15], 12);

    // A compositor helper names the program in front: its linked profile is
    // chosen as for the desktop's own watcher, and the user's comes back.
    ASSERT_FALSE(Call("SetForegroundProgram", {BusValue::String("/opt/game/bin/game")}).IsError());
    ASSERT_TRUE(RunUntil([&] { return devices.GetCurSel() == 1; }));
    EXPECT_EQ(m_mouse->SettingsArea()[15], 9);
    ASSERT_FALSE(Call("SetForegroundProgram", {BusValue::String("")}).IsError());
    ASSERT_TRUE(RunUntil([&] { return devices.GetCurSel() == 0; }));
    EXPECT_EQ(Store().Read("PROFILEDEVICESELECT", "select"), "0");
}

TEST_F(BusServiceTest, AnUploadTheMouseCannotHoldIsRefusedWithTheWindowsReason) {
    // One macro of one action; the mouse has no macro memory at all.
    sim::DeviceInfoBytes info = m_mouse->DeviceInfo();
    info[device::DeviceInfo::kMacroUnitsIndex] = 0;
    m_mouse->SetDeviceInfo(info);
    std::filesystem::create_directories(m_folder / "ms");
    platform::IniFile macros(m_folder / "ms" / "msMacro.ini");
    ASSERT_EQ(macros.Write("MACROCOUNT", "count", "1"), platform::IniWriteResult::Ok);
    ASSERT_EQ(macros.Write("MACRONAME", "0", "m"), platform::IniWriteResult::Ok);
    platform::IniFile macro(m_folder / "ms" / "m.mac");
    ASSERT_EQ(macro.Write("MACROACTIONCOUNT", "count", "1"), platform::IniWriteResult::Ok);
    ASSERT_EQ(macro.Write("MACROACTION", "0", "1,0,138,4,1,keyboard_key_A"),
              platform::IniWriteResult::Ok);
    Open();

    const BusReply reply = Call("Upload", {});
    EXPECT_EQ(reply.errorName, "io.github.varlok.Varlok1.Error.Refused");
    // The window's own message, in its language, with the actions to remove.
    EXPECT_THAT(reply.errorMessage, HasSubstr(" 7"));
    for (const settings::testing::Request& request : NonFrameRequests(*m_mouse)) {
        EXPECT_NE(request.command, static_cast<std::uint8_t>(device::Command::WriteStoredBlock))
            << request.Summary();
    }
}

}  // namespace
}  // namespace varlok::app
