#include "lighting/lightingmodel.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/recordingdesktopsettings.h"
#include "settings/settingstestsupport.h"

namespace varlok::lighting {
namespace {

using settings::MouseChange;
using settings::Touch;

class LightingModelTest : public ::testing::Test, protected settings::testing::ConnectedMouse {
protected:
    LightingSettings Lighting() { return LightingSettings(m_mirror.settingsRecord); }
    // Restarted effects show as counters back at zero.
    void RunEffect() {
        m_effects.phaseCounter.Set(5);
        m_effects.trail[2].Set(90);
    }
    [[nodiscard]] bool EffectRestarted() const {
        return m_effects.phaseCounter.Get() == 0 && m_effects.trail[2].Get() == 0;
    }
    // What the last changes left for the commit, which then runs.
    Touch Committed() {
        const Touch pending = m_model.Pending();
        m_model.Commit();
        return pending;
    }

    settings::MouseMirror m_mirror;
    settings::testing::RecordingHooks m_hooks{*mouse};
    settings::ConfigurationExchange m_exchange{m_link, m_mirror, m_hooks, m_hooks, m_hooks};
    settings::DesktopApplier m_desktop{std::make_shared<platform::RecordingDesktopSettings>(),
                                       m_mirror};
    settings::MouseModel m_model{m_mirror, m_exchange, m_hooks, m_desktop, m_link};
    EffectState m_effects;
    LightingModel m_lighting{m_model, m_effects};
};

constexpr Touch kRecordAndBoth = Touch::Record | Touch::LightingProfile | Touch::DeviceProfile;

TEST_F(LightingModelTest, ReplacedSettingsChooseTheirModeAgainAsTheRefreshAlwaysDid) {
    // A profile with the wave in a single colour: choosing it again turns
    // the rainbow on, restarts the effect, sends and saves it all.
    Lighting().SetMode(static_cast<std::uint8_t>(LightingMode::Wave));
    Lighting().SetSevenColour(0);
    RunEffect();
    // The views see the rule's result when they are told.
    std::vector<bool> sevenColoursShown;
    const auto subscription = m_model.Subscribe(
        [&](MouseChange) { sevenColoursShown.push_back(Lighting().SevenColour()); });
    m_model.Notify(MouseChange::Settings);
    EXPECT_EQ(sevenColoursShown, std::vector<bool>{true});
    EXPECT_EQ(m_mirror.settingsRecord.Get(LightingSettings::kSevenColour), 0xFF);
    EXPECT_TRUE(EffectRestarted());
    EXPECT_EQ(Committed(), kRecordAndBoth);

    // Other modes keep their colour choice.
    Lighting().SetMode(static_cast<std::uint8_t>(LightingMode::Breathing));
    Lighting().SetSevenColour(0);
    m_model.Notify(MouseChange::Settings);
    EXPECT_FALSE(Lighting().SevenColour());
}

TEST_F(LightingModelTest, EachChangeStoresAndRecordsWhatItHasAlwaysSentAndSaved) {
    // The enabling lists' wave keeps the single colour.
    Lighting().SetSevenColour(0);
    RunEffect();
    m_lighting.ChooseMode(0, ModeList::Enabling);
    EXPECT_FALSE(Lighting().SevenColour());
    EXPECT_TRUE(EffectRestarted());
    EXPECT_EQ(Committed(), kRecordAndBoth);

    // The zone is the host's, kept with the device profile only.
    m_lighting.ChooseZone(MouseZone::Logo);
    EXPECT_EQ(m_lighting.ZoneSlot(), 1);
    EXPECT_EQ(Committed(), Touch::DeviceProfile);
    // The direction buttons leave the effect running and save only the
    // lighting profile.
    RunEffect();
    m_lighting.SetDirectionByButton(1);
    EXPECT_TRUE(Lighting().DirectionLeft());
    EXPECT_FALSE(EffectRestarted());
    EXPECT_EQ(Committed(), Touch::Record | Touch::LightingProfile);
    m_lighting.SetDirection(false);
    EXPECT_TRUE(EffectRestarted());

    // A picked channel goes to the zone in the static-zones mode, stops the
    // colour cycling; with no zone selected no colour changes, yet the
    // change is sent and saved.
    m_lighting.ChooseMode(static_cast<std::uint8_t>(LightingMode::StaticZones), ModeList::Showing);
    Lighting().SetSevenColour(1);
    m_lighting.PickColour(Rgb{10, 20, 30}, LightingModel::kGreen);
    EXPECT_EQ(Lighting().LogoColour(), (Rgb{0, 20, 0}));
    EXPECT_EQ(Lighting().Colour(), (Rgb{}));
    EXPECT_FALSE(Lighting().SevenColour());
    m_model.Commit();
    m_mirror.mouseZoneSlot.Set(7);
    m_lighting.PickColour(Rgb{1, 1, 1}, LightingModel::kAllChannels);
    EXPECT_EQ(Lighting().LogoColour(), (Rgb{0, 20, 0}));
    EXPECT_EQ(Committed(), kRecordAndBoth);

    // The bus service's change in one go, each part as its control makes it.
    EffectChange change;
    change.mode = static_cast<std::uint8_t>(LightingMode::Wave);
    change.colour = Rgb{5, 6, 7};
    change.wheel = Rgb{8, 9, 10};
    change.speed = 2;
    m_lighting.ApplyChange(change);
    EXPECT_EQ(Lighting().Mode(), 0);
    EXPECT_EQ(Lighting().Colour(), (Rgb{5, 6, 7}));
    EXPECT_EQ(Lighting().WheelColour(), (Rgb{8, 9, 10}));
    EXPECT_EQ(Lighting().Speed(), 2);
    // The colour came after the wave: the single colour, not the rainbow.
    EXPECT_FALSE(Lighting().SevenColour());
    EXPECT_EQ(Committed(), kRecordAndBoth);
}

}  // namespace
}  // namespace varlok::lighting
