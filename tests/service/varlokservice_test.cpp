#include "service/varlokservice.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <regex>
#include <set>
#include <string>
#include <vector>

#include "platform/fakebusobject.h"
#include "platform/processexecutable.h"
#include "platform/tempfolder.h"
#include "profiles/profilefile.h"
#include "service/introspectionxml.h"
#include "service/propertysnapshot.h"
#include "settings/settingstestsupport.h"

namespace varlok::service {
namespace {

using platform::BusReply;
using platform::BusValue;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

// The window as the service sees it: what it was asked to do, one line each.
class RecordingWindow : public WindowActions {
public:
    bool IsSimulated() const override { return true; }
    std::optional<int> ChosenProfile(profiles::ProfileCategory) const override { return chosen; }
    std::string ForegroundProgram() const override { return foreground; }
    void SetStageDpi(int stage, int position) override { Note("SetStageDpi", stage, position); }
    void SetStageColour(int stage, lighting::Rgb c) override {
        Note("SetStageColour", stage, c.red, c.green, c.blue);
    }
    void SetCurrentDpiStage(int stage) override { Note("SetCurrentDpiStage", stage); }
    void SetReportRate(int index) override { Note("SetReportRate", index); }
    void SelectOnboardProfile(int index) override { Note("SelectOnboardProfile", index); }
    void ApplyProfile(profiles::ProfileCategory category,
                      std::span<const std::uint8_t> body) override {
        Note("ApplyProfile", static_cast<int>(category), static_cast<int>(body.size()), body[0]);
    }
    void ChooseProfile(profiles::ProfileCategory category, int index) override {
        Note("ChooseProfile", static_cast<int>(category), index);
    }
    void ChangeLighting(const lighting::EffectChange& change) override {
        Note("ChangeLighting", *change.mode, change.speed.value_or(9), change.left.value_or(false),
             change.colour ? change.colour->green : -1, change.sevenColour.has_value());
    }
    std::optional<std::string> Upload() override {
        Note("Upload");
        return uploadRefusal;
    }
    void SetForegroundProgram(std::string path) override {
        calls.push_back("SetForegroundProgram " + path);
        foreground = path;
    }

    template <typename... Numbers>
    void Note(std::string name, Numbers... numbers) {
        ((name += " " + std::to_string(static_cast<int>(numbers))), ...);
        calls.push_back(name);
    }

    std::vector<std::string> calls;
    std::optional<int> chosen;
    std::string foreground;
    std::optional<std::string> uploadRefusal;
};

BusValue Options(std::vector<std::pair<std::string, BusValue>> entries) {
    std::vector<BusValue> items;
    for (auto& [name, value] : entries) {
        items.push_back(BusValue::DictEntry(BusValue::String(name), BusValue::Variant(value)));
    }
    return BusValue::Array("{sv}", std::move(items));
}

class VarlokServiceTest : public settings::testing::ConnectedMouse, public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::create_directories(m_folder / "ms");
        profiles::ProfileStore::ListNames lists = m_store.InitProfileLists();
        ASSERT_FALSE(lists.failure);
        ASSERT_EQ(m_store.Ini().Write("PROFILEDEVICECOUNT", "count", "2"),
                  platform::IniWriteResult::Ok);
        ASSERT_EQ(m_store.Ini().Write("PROFILEDEVICENAME", "1", "Work"),
                  platform::IniWriteResult::Ok);
        static_cast<void>(m_service.TakeSnapshot());
        m_service.Attach(&m_object);
    }

    BusReply Call(std::string method, std::vector<BusValue> arguments) {
        BusReply reply;
        m_service.Handle(
            platform::FakeBusObject::MakeCall(std::move(method), std::move(arguments), reply));
        return reply;
    }

    // A profile file of the given type code with a body of `fill` bytes.
    std::string WriteProfile(const std::string& name, std::uint16_t typeCode, std::uint8_t fill) {
        const std::vector<std::uint8_t> body(64, fill);
        platform::testing::WriteBytes(m_folder / "ms" / name,
                                      profiles::EncodeProfileFile(body, typeCode));
        return name;
    }

    platform::testing::TempFolder m_folder;
    settings::MouseMirror m_mirror;
    profiles::ProfileStore m_store{{m_folder / "ms", VARLOK_BUILD_DATA_DIR}, m_mirror};
    RecordingWindow m_window;
    platform::FakeBusObject m_object;
    VarlokService m_service{m_window, m_mirror, m_store, m_link};
};

TEST_F(VarlokServiceTest, RefusesBadArgumentsByNameBeforeTheWindowActs) {
    const BusValue noOptions = Options({});
    struct Case {
        std::string method;
        std::vector<BusValue> arguments;
        ServiceError error;
        std::string says;
    };
    const std::vector<Case> cases{
        {"SetDpi",
         {BusValue::Byte(8), BusValue::UInt16(800)},
         ServiceError::InvalidArgument,
         "stage 8 does not exist"},
        {"SetDpi",
         {BusValue::Byte(3), BusValue::UInt16(2100)},
         ServiceError::InvalidArgument,
         "2100 DPI is not a setting"},
        {"SetDpi", {BusValue::String("3")}, ServiceError::InvalidArgument, "takes (yq), not (s)"},
        {"SetStageColour",
         {BusValue::Byte(1), BusValue::String("12345g")},
         ServiceError::InvalidArgument,
         "six hex digits"},
        {"SetReportRate", {BusValue::UInt16(300)}, ServiceError::InvalidArgument, "125, 250"},
        {"SelectOnboardProfile", {BusValue::Byte(5)}, ServiceError::InvalidArgument, "0 to 4"},
        {"SelectProfile",
         {BusValue::String("mouse"), BusValue::String("a")},
         ServiceError::InvalidArgument,
         "device, lighting and key"},
        {"SelectProfile",
         {BusValue::String("device"), BusValue::String("../profile1")},
         ServiceError::UnsafeName,
         "would leave the profile folder"},
        {"SelectProfile",
         {BusValue::String("key"), BusValue::String("Work")},
         ServiceError::NotFound,
         "the list holds profile1"},
        {"SetLightingEffect",
         {BusValue::String("disco"), noOptions},
         ServiceError::InvalidArgument,
         "the effects are wave, trail"},
        {"SetLightingEffect",
         {BusValue::String("wave"), Options({{"flash", BusValue::Boolean(true)}})},
         ServiceError::InvalidArgument,
         "unknown option 'flash'"},
        {"SetLightingEffect",
         {BusValue::String("wave"), Options({{"speed", BusValue::Int32(5)}})},
         ServiceError::InvalidArgument,
         "'speed' needs a number from 0 to 4"},
        {"ApplyProfileFile",
         {BusValue::String("../../etc/x.led")},
         ServiceError::UnsafeName,
         "would leave the profile folder"},
        {"ApplyProfileFile",
         {BusValue::String("notes.txt")},
         ServiceError::BadFile,
         "must end in .config, .led or .pro"},
        {"ApplyProfileFile",
         {BusValue::String("missing.led")},
         ServiceError::BadFile,
         "cannot read"},
        {"ApplyProfileFile",
         {BusValue::String(WriteProfile("keyboard.led", 1, 7))},
         ServiceError::BadFile,
         "another device (type code 1)"},
        {"ReadSettings", {BusValue::Byte(5)}, ServiceError::InvalidArgument, "0 to 4"},
        {"SetForegroundProgram",
         {BusValue::String("bin/game")},
         ServiceError::InvalidArgument,
         "absolute path"},
        {"SetForegroundProcess",
         {BusValue::Int32(0x7FFFFFF0)},
         ServiceError::NotFound,
         "no process"},
        {"SetForegroundProcess", {BusValue::Int32(-4)}, ServiceError::InvalidArgument, "1 or more"},
    };
    for (const Case& bad : cases) {
        const BusReply reply = Call(bad.method, bad.arguments);
        EXPECT_EQ(reply.errorName, ErrorName(bad.error))
            << bad.method << ": " << reply.errorMessage;
        EXPECT_THAT(reply.errorMessage, HasSubstr(bad.says)) << bad.method;
    }
    EXPECT_THAT(m_window.calls, IsEmpty());
}

TEST_F(VarlokServiceTest, CallsReachTheWindowWithCheckedValues) {
    WriteProfile("bright.LED", profiles::ProfileStore::kTypeCode, 0x42);
    EXPECT_FALSE(Call("SetDpi", {BusValue::Byte(3), BusValue::UInt16(2000)}).IsError());
    EXPECT_FALSE(
        Call("SetStageColour", {BusValue::Byte(7), BusValue::String("#00FF80")}).IsError());
    EXPECT_FALSE(Call("SetReportRate", {BusValue::UInt16(500)}).IsError());
    EXPECT_FALSE(
        Call("SelectProfile", {BusValue::String("device"), BusValue::String("WORK")}).IsError());
    // Numbers come as whatever integer type the caller wrote (gdbus: int32).
    EXPECT_FALSE(Call("SetLightingEffect", {BusValue::String("breathing"),
                                            Options({{"speed", BusValue::Int32(1)},
                                                     {"direction", BusValue::String("left")},
                                                     {"colour", BusValue::String("10ff10")}})})
                     .IsError());
    EXPECT_FALSE(Call("ApplyProfileFile", {BusValue::String("./bright.LED")}).IsError());
    EXPECT_FALSE(
        Call("SetForegroundProcess", {BusValue::Int32(static_cast<std::int32_t>(::getpid()))})
            .IsError());
    EXPECT_THAT(
        m_window.calls,
        ElementsAre("SetStageDpi 3 7", "SetStageColour 7 0 255 128", "SetReportRate 2",
                    "ChooseProfile 0 1", "ChangeLighting 4 1 1 255 0", "ApplyProfile 1 64 66",
                    "SetForegroundProgram " + *platform::ProcessExecutable(::getpid())));

    m_window.uploadRefusal = "remove 4 actions";
    const BusReply refused = Call("Upload", {});
    EXPECT_EQ(refused.errorName, "io.github.varlok.Varlok1.Error.Refused");
    EXPECT_THAT(refused.errorMessage, HasSubstr("remove 4 actions"));
}

TEST_F(VarlokServiceTest, WithoutTheMouseOnlyHostChoicesAreMade) {
    m_link.SetConnected(false);
    EXPECT_EQ(Call("SetDpi", {BusValue::Byte(1), BusValue::UInt16(800)}).errorName,
              ErrorName(ServiceError::NotConnected));
    EXPECT_EQ(Call("Dump", {}).errorName, ErrorName(ServiceError::NotConnected));
    EXPECT_FALSE(
        Call("SelectProfile", {BusValue::String("device"), BusValue::String("Work")}).IsError());
    EXPECT_THAT(m_window.calls, ElementsAre("ChooseProfile 0 1"));
}

TEST_F(VarlokServiceTest, ReadsComeFromTheMouseItself) {
    sim::SettingsAreaBytes area = mouse->SettingsArea();
    area[2 * 64 + 14] = 3;
    mouse->SetSettingsArea(area);
    const BusReply record = Call("ReadSettings", {BusValue::Byte(2)});
    ASSERT_FALSE(record.IsError()) << record.errorMessage;
    const std::vector<std::uint8_t> bytes = *record.values.at(0).AsBytes();
    EXPECT_EQ(bytes, std::vector<std::uint8_t>(area.begin() + 128, area.begin() + 128 + 56));

    const BusReply dump = Call("Dump", {});
    ASSERT_EQ(dump.values.size(), 4U) << dump.errorMessage;
    EXPECT_EQ(dump.values[0].AsBytes()->size(), 33U);
    EXPECT_EQ(dump.values[1].AsBytes()->size(), 512U);
    EXPECT_EQ(dump.values[2].Items().size(), 5U);
    EXPECT_EQ(dump.values[3].Items().at(2), record.values.at(0));
    EXPECT_FALSE(mouse->InTransfer());

    sim::VirtualMouse::Faults silentMouse;
    silentMouse.silent = true;
    mouse->SetFaults(silentMouse);
    const BusReply silent = Call("ReadDeviceInfo", {});
    EXPECT_EQ(silent.errorName, ErrorName(ServiceError::DeviceFailed));
    EXPECT_EQ(silent.errorMessage, "the mouse did not answer ReadDeviceInfo");
}

TEST_F(VarlokServiceTest, PublishesWhatChangedOnlyWhenSomethingDid) {
    m_service.Refresh();
    EXPECT_THAT(m_object.Publications(), IsEmpty());

    m_mirror.settingsRecord.Set(settings::SettingsRecord::DpiStageOffset(2), 3);
    m_mirror.settingsRecord.Set(settings::SettingsRecord::kCurrentDpiStage, 1);
    m_service.Refresh();
    m_service.Refresh();
    ASSERT_EQ(m_object.Publications().size(), 1U);
    const platform::BusProperties changed = m_object.Publications()[0];
    EXPECT_EQ(changed.size(), 2U);
    EXPECT_EQ(changed.at("DpiStage"), BusValue::Byte(2));
    EXPECT_EQ(changed.at("Dpi").Items().at(1), BusValue::UInt16(1000));

    // A call's effect is published with its answer.
    m_object.ClearPublications();
    static_cast<void>(Call("SetForegroundProgram", {BusValue::String("/usr/bin/game")}));
    ASSERT_EQ(m_object.Publications().size(), 1U);
    EXPECT_EQ(m_object.Publications()[0].at("ForegroundProgram"),
              BusValue::String("/usr/bin/game"));
}

TEST_F(VarlokServiceTest, WhatChangesBetweenTheObjectsSnapshotAndItsAttachIsPublished) {
    // The window makes its bus object from a snapshot while the mouse
    // connects on its worker; the object never saw the connection.
    m_service.Attach(nullptr);
    m_link.SetConnected(false);
    platform::FakeBusObject object(m_service.TakeSnapshot());
    m_link.SetConnected(true);
    m_service.Attach(&object);
    m_service.Refresh();
    ASSERT_EQ(object.Publications().size(), 1U);
    EXPECT_EQ(object.Publications()[0].at("Connected"), BusValue::Boolean(true));
    EXPECT_EQ(object.Properties().at("Connected"), BusValue::Boolean(true));
}

TEST(VarlokServiceInterface, TheExportedDescriptionNamesWhatTheServiceServes) {
    const std::string xml(kIntrospectionXml);
    const auto names = [&xml](const std::string& element) {
        std::set<std::string> found;
        const std::regex pattern("<" + element + " name=\"([A-Za-z]+)\"");
        for (auto match = std::sregex_iterator(xml.begin(), xml.end(), pattern);
             match != std::sregex_iterator(); ++match) {
            found.insert((*match)[1]);
        }
        return found;
    };
    const std::vector<std::string_view> properties = PropertyNames();
    const std::vector<std::string_view> methods = VarlokService::MethodNames();
    EXPECT_EQ(names("property"), std::set<std::string>(properties.begin(), properties.end()));
    EXPECT_EQ(names("method"), std::set<std::string>(methods.begin(), methods.end()));
    EXPECT_THAT(xml, HasSubstr("<interface name=\"io.github.varlok.Varlok1\">"));
}

TEST_F(VarlokServiceTest, EveryPropertyHasTheTypeTheDescriptionDeclares) {
    const std::string xml(kIntrospectionXml);
    for (const auto& [name, value] : m_service.TakeSnapshot()) {
        EXPECT_THAT(xml, HasSubstr("<property name=\"" + name + "\" type=\"" + value.Signature() +
                                   "\" access=\"read\"/>"));
    }
}

}  // namespace
}  // namespace varlok::service
