#include "settings/mousemodel.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/recordingdesktopsettings.h"
#include "settingstestsupport.h"

namespace varlok::settings {
namespace {

using testing::RequestsReceived;
using testing::Summaries;
using Strings = std::vector<std::string>;

// Each save noted with how many requests the mouse had received by then,
// so that a test can place it among the device traffic.
class PlacedSaves : public ProfileSaves {
public:
    explicit PlacedSaves(const sim::VirtualMouse& mouse) : m_mouse(mouse) {}
    void SaveDeviceProfile() override { Note("device"); }
    void SaveLightingProfile() override { Note("lighting"); }
    void SaveKeyProfile() override { Note("key"); }
    Strings Take() { return std::exchange(m_saves, {}); }

private:
    void Note(const std::string& save) {
        m_saves.push_back(save + "@" + std::to_string(RequestsReceived(m_mouse).size()));
    }
    const sim::VirtualMouse& m_mouse;
    Strings m_saves;
};

class MouseModelTest : public ::testing::Test, protected testing::ConnectedMouse {
protected:
    MouseModelTest() { mouse->ClearLog(); }

    Strings TakeRequests() {
        Strings requests = Summaries(RequestsReceived(*mouse));
        mouse->ClearLog();
        return requests;
    }

    MouseMirror m_mirror;
    testing::RecordingHooks m_hooks{*mouse};
    PlacedSaves m_saves{*mouse};
    ConfigurationExchange m_exchange{m_link, m_mirror, m_saves, m_hooks, m_hooks};
    DesktopApplier m_desktop{std::make_shared<platform::RecordingDesktopSettings>(), m_mirror};
    MouseModel m_model{m_mirror, m_exchange, m_saves, m_desktop, m_link};
};

TEST_F(MouseModelTest, ACommitSendsTheTouchedRecordOnceAndSavesEachProfileOnce) {
    // Nothing touched: nothing sent, nothing saved.
    m_model.Commit();
    EXPECT_TRUE(TakeRequests().empty());
    EXPECT_TRUE(m_saves.Take().empty());

    m_model.SetStageDpi(3, 15);
    m_model.SetReportRate(2);
    m_model.SetStageColour(1, Rgb{1, 2, 3});
    EXPECT_EQ(m_model.Pending(), Touch::Record | Touch::LightingProfile | Touch::DeviceProfile);
    // Stored at once, sent and saved only by the commit.
    EXPECT_EQ(m_mirror.settingsRecord.Get(17), 15);
    EXPECT_TRUE(TakeRequests().empty());
    EXPECT_TRUE(m_saves.Take().empty());
    m_model.Commit();
    const std::vector<testing::Request> writes = RequestsReceived(*mouse);
    ASSERT_EQ(Summaries(writes), Strings{"06 len 56 @0"});
    const SettingsRecord::Bytes record = m_mirror.settingsRecord.Snapshot();
    EXPECT_TRUE(std::equal(record.begin(), record.end(), writes[0].data.begin()));
    EXPECT_TRUE(std::all_of(writes[0].data.begin() + 50, writes[0].data.end(),
                            [](std::uint8_t b) { return b == 0; }));
    EXPECT_EQ(m_saves.Take(), (Strings{"lighting@1", "device@1"}));
    EXPECT_EQ(m_model.Pending(), Touch::None);
    mouse->ClearLog();

    // Saves run in the order last asked for, as they ran when each change
    // saved at once; no record write when only host settings changed.
    m_model.NoteChange(Touch::DeviceProfile, MouseChange::None);
    m_model.SetWheelLines(250, MouseModel::WheelLinesFrom::Steps);
    m_model.SetWheelLines(7, MouseModel::WheelLinesFrom::Typing);
    m_model.Commit();
    EXPECT_TRUE(TakeRequests().empty());
    EXPECT_EQ(m_saves.Take(), (Strings{"lighting@0", "device@0"}));
    EXPECT_EQ(m_mirror.wheelLines.Get(), 7);
    m_model.NoteChange(Touch::DeviceProfile | Touch::KeyProfile, MouseChange::None);
    m_model.NoteChange(Touch::LightingProfile, MouseChange::None);
    m_model.Commit();
    EXPECT_EQ(m_saves.Take(), (Strings{"key@0", "device@0", "lighting@0"}));
    m_desktop.WaitForPending();
}

TEST_F(MouseModelTest, TheFirstChangeOfABurstAsksForTheCommitAndNothingElseDoes) {
    int requests = 0;
    m_model.SetCommitRequest([&requests] { ++requests; });
    // Tables that wait for the save to the mouse ask for no commit.
    m_model.NoteChange(Touch::KeySlots, MouseChange::None);
    EXPECT_EQ(requests, 0);
    m_model.SetStageDpi(3, 15);
    m_model.SetReportRate(2);
    m_model.NoteChange(Touch::KeyProfile, MouseChange::None);
    EXPECT_EQ(requests, 1);
    EXPECT_TRUE(m_model.IsCommitRequested());
    m_model.Commit();
    EXPECT_FALSE(m_model.IsCommitRequested());
    // Nothing changed since: nothing to ask for, whatever runs.
    m_model.Commit();
    EXPECT_EQ(requests, 1);
    // The next burst asks again.
    m_model.SetPointerSpeed(4);
    EXPECT_EQ(requests, 2);
    m_model.Commit();
    m_desktop.WaitForPending();
}

TEST_F(MouseModelTest, SavesStillWaitingAreWrittenBeforeTheMouseReplacesTheSettings) {
    sim::SettingsAreaBytes area{};
    area[2 * kRecordSize + 15] = 9;
    mouse->SetSettingsArea(area);
    mouse->ClearLog();
    // The switch sends the waiting record to the profile it was made on; the
    // saves come before any of its exchanges.
    m_model.SetStageColour(2, Rgb{4, 5, 6});
    std::vector<MouseChange> told;
    const MouseModel::Subscription subscription =
        m_model.Subscribe([&told](MouseChange changed) { told.push_back(changed); });
    m_model.SelectOnboardProfile(2);
    EXPECT_EQ(m_saves.Take(), Strings{"device@0"});
    EXPECT_EQ(TakeRequests(),
              (Strings{"06 len 56 @0", "05 len 1 @0", "06 len 1 @0", "05 len 56 @128"}));
    EXPECT_EQ(told, std::vector<MouseChange>{MouseChange::Settings});
    EXPECT_EQ(m_mirror.settingsRecord.Get(15), 9);

    // The same profile again: nothing switched, nothing told.
    told.clear();
    m_model.SelectOnboardProfile(2);
    EXPECT_TRUE(told.empty());

    // A full read: the waiting saves first, the sensor's base DPI taken, the
    // views told of the read, the replaced settings and the key tables.
    m_model.SetReportRate(1);
    told.clear();
    mouse->ClearLog();
    m_model.SyncDevice();
    const Strings saves = m_saves.Take();
    ASSERT_FALSE(saves.empty());
    EXPECT_EQ(saves.front(), "lighting@0");
    EXPECT_EQ(told, std::vector<MouseChange>{MouseChange::FullRead | MouseChange::Settings |
                                             MouseChange::KeySlots});
    EXPECT_EQ(m_mirror.deviceInfo.BaseDpi(), 100);
}

TEST_F(MouseModelTest, ViewsAreToldAtOnceAndSubscriptionsEndWithTheirScope) {
    std::vector<std::string> told;
    auto first = std::make_unique<MouseModel::Subscription>(
        m_model.Subscribe([&told](MouseChange) { told.emplace_back("first"); }));
    MouseModel::Subscription second;
    // An observer that ends another's subscription while being told: the
    // other is not called any more.
    MouseModel::Subscription ending = m_model.Subscribe([&](MouseChange) {
        told.emplace_back("ending");
        second = MouseModel::Subscription();
    });
    second = m_model.Subscribe([&told](MouseChange) { told.emplace_back("second"); });
    m_model.SetCurrentStage(9);
    EXPECT_EQ(told, (Strings{"first", "ending"}));
    EXPECT_EQ(m_mirror.settingsRecord.Get(SettingsRecord::kCurrentDpiStage), 6);

    told.clear();
    first.reset();
    m_model.Notify(MouseChange::MacroList);
    m_model.Notify(MouseChange::None);
    EXPECT_EQ(told, Strings{"ending"});

    // A subscription may outlive its model.
    MouseModel::Subscription outliving;
    {
        MouseModel other(m_mirror, m_exchange, m_saves, m_desktop, m_link);
        outliving = other.Subscribe([](MouseChange) {});
    }
    outliving = MouseModel::Subscription();
}

TEST(PerformanceSettingsTest, TheViewNamesTheRecordsPerformanceBytes) {
    SettingsRecord record;
    PerformanceSettings performance(record);
    performance.SetStagePosition(5, 20);
    EXPECT_EQ(record.Get(20), 15);
    EXPECT_EQ(performance.StagePosition(5), 15);
    record.Set(17, 0x20);
    EXPECT_EQ(performance.StagePosition(3), 0);
    performance.SetStageColour(7, Rgb{7, 8, 9});
    EXPECT_EQ(record.Get(41), 7);
    EXPECT_EQ(record.Get(43), 9);
    EXPECT_EQ(performance.StageColour(7), (Rgb{7, 8, 9}));
    // Stages outside 1-7 are never written.
    performance.SetStageColour(8, Rgb{1, 1, 1});
    performance.SetStagePosition(0, 3);
    EXPECT_EQ(record.Get(SettingsRecord::kWheelColour), 0);
    EXPECT_EQ(record.Get(15), 0);
    EXPECT_EQ(PointerSpeedOfPosition(-1), 2);
    EXPECT_EQ(PositionOfPointerSpeed(PointerSpeedOfPosition(4)), 4);
}

}  // namespace
}  // namespace varlok::settings
