#include "app/skinsettings.h"

#include <gtest/gtest.h>

#include "dialogtestsupport.h"
#include "platform/atomicfile.h"
#include "platform/tempfolder.h"
#include "ui/controlui.h"

namespace varlok::app {
namespace {

using platform::testing::ReadBytes;
using platform::testing::TempFolder;
using platform::testing::WriteBytes;

class SkinSettingsTest : public ::testing::Test {
protected:
    std::filesystem::path MainIni() const { return m_folder / "main.ini"; }
    SkinSettings Settings() const { return SkinSettings(MainIni()); }

    TempFolder m_folder;
};

TEST_F(SkinSettingsTest, APictureChoiceIsStoredAndShownAtTheNextStart) {
    EXPECT_TRUE(Settings().StorePicture("common/bg_aurora.png"));
    EXPECT_EQ(ReadBytes(MainIni()), "[SKINIMAGE]\r\nFLAGS=1\r\nIMAGE=common/bg_aurora.png\r\n");
    EXPECT_EQ(Settings().StartupPicture(), "common/bg_aurora.png");
}

TEST_F(SkinSettingsTest, ResetStoresTheStandardBackgroundThatNoStartApplies) {
    ASSERT_TRUE(Settings().StorePicture("common/bg_ember.png"));
    EXPECT_TRUE(Settings().StoreReset());
    EXPECT_EQ(ReadBytes(MainIni()), "[SKINIMAGE]\r\nFLAGS=0\r\nIMAGE=common/background.png\r\n");
    EXPECT_FALSE(Settings().StartupPicture());
}

TEST_F(SkinSettingsTest, TheLanguageBesideTheSkinKeysIsKept) {
    WriteBytes(MainIni(), "[SKINIMAGE]\r\nLANGUAGE=4\r\n");
    ASSERT_TRUE(Settings().StorePicture("common/bg_hex.png"));
    EXPECT_EQ(ReadBytes(MainIni()),
              "[SKINIMAGE]\r\nLANGUAGE=4\r\nFLAGS=1\r\nIMAGE=common/bg_hex.png\r\n");
}

TEST_F(SkinSettingsTest, OnlyFlagsOneWithAPictureNamedChangesTheStart) {
    const std::pair<std::string, std::optional<std::string>> cases[] = {
        {"", std::nullopt},
        {"[SKINIMAGE]\r\nFLAGS=1\r\nIMAGE=common/bg_hex.png\r\n", "common/bg_hex.png"},
        {"[skinimage]\r\nflags= 1 \r\nimage=/home/me/Pictures/sky.png\r\n",
         "/home/me/Pictures/sky.png"},
        {"[SKINIMAGE]\r\nFLAGS=0\r\nIMAGE=common/bg_hex.png\r\n", std::nullopt},
        {"[SKINIMAGE]\r\nFLAGS=2\r\nIMAGE=common/bg_hex.png\r\n", std::nullopt},
        {"[SKINIMAGE]\r\nFLAGS=yes\r\nIMAGE=common/bg_hex.png\r\n", std::nullopt},
        // A picture choice without a picture keeps the standard background.
        {"[SKINIMAGE]\r\nFLAGS=1\r\n", std::nullopt},
        {"[SKINIMAGE]\r\nFLAGS=1\r\nIMAGE=\r\n", std::nullopt},
    };
    for (const auto& [content, picture] : cases) {
        SCOPED_TRACE(content);
        WriteBytes(MainIni(), content);
        EXPECT_EQ(Settings().StartupPicture(), picture);
    }
}

TEST_F(SkinSettingsTest, APathMainIniCannotHoldLeavesTheFileAsItWas) {
    ASSERT_TRUE(Settings().StorePicture("common/bg_hex.png"));
    const std::string before = ReadBytes(MainIni());
    EXPECT_FALSE(Settings().StorePicture("common/a.png\r\nFLAGS=0"));
    EXPECT_EQ(ReadBytes(MainIni()), before);
}

TEST_F(SkinSettingsTest, AChoiceIsOneReplacementOfMainIniSoAFailedOneKeepsTheOldPair) {
    ASSERT_TRUE(Settings().StorePicture("common/bg_hex.png"));
    int replacements = 0;
    bool failing = false;
    platform::SetProcessWriteFaults(
        [&](const std::filesystem::path&, platform::AtomicWriteStep step) {
            if (step == platform::AtomicWriteStep::Rename) {
                ++replacements;
            }
            return !failing;
        });
    EXPECT_TRUE(Settings().StoreReset());
    EXPECT_EQ(replacements, 1);
    failing = true;
    EXPECT_FALSE(Settings().StorePicture("common/bg_ember.png"));
    platform::SetProcessWriteFaults({});
    EXPECT_EQ(ReadBytes(MainIni()), "[SKINIMAGE]\r\nFLAGS=0\r\nIMAGE=common/background.png\r\n");
}

TEST_F(SkinSettingsTest, AFolderThatCannotBeWrittenIsReported) {
    SkinSettings settings(m_folder / "missing" / "main.ini");
    EXPECT_FALSE(settings.StoreReset());
    EXPECT_FALSE(settings.StartupPicture());
}

class ApplySkinTest : public testing::DialogTest {};

TEST_F(ApplySkinTest, AColourReplacesThePictureAndAPictureTheColour) {
    ui::CControlUI* root = Owner().GetPaintManager().FindControl("root");
    ASSERT_NE(root, nullptr);
    EXPECT_TRUE(ApplySkinToRoot(root, SkinChangedParam{true, 0xFF203040u, "ignored.png"}));
    EXPECT_EQ(root->GetBkColor(), 0xFF203040u);
    EXPECT_EQ(root->GetBkImage(), "");
    EXPECT_TRUE(ApplySkinToRoot(root, SkinChangedParam{false, 0xFF203040u, "common/bg_hex.png"}));
    EXPECT_EQ(root->GetBkColor(), 0u);
    EXPECT_EQ(root->GetBkImage(), "common/bg_hex.png");
    EXPECT_FALSE(ApplySkinToRoot(nullptr, SkinChangedParam{true, 0xFF203040u, {}}));
}

TEST_F(ApplySkinTest, StartupAppliesOnlyAStoredPicture) {
    TempFolder folder;
    ui::CControlUI* root = Owner().GetPaintManager().FindControl("root");
    ASSERT_NE(root, nullptr);
    const std::string layoutImage = root->GetBkImage();
    SkinSettings settings(folder / "main.ini");
    ASSERT_TRUE(settings.StoreReset());
    EXPECT_FALSE(ApplyStartupSkin(root, settings));
    EXPECT_EQ(root->GetBkImage(), layoutImage);
    EXPECT_EQ(root->GetBkColor(), 0xFF0E1116u);
    ASSERT_TRUE(settings.StorePicture("common/bg_nebula.png"));
    EXPECT_TRUE(ApplyStartupSkin(root, settings));
    EXPECT_EQ(root->GetBkImage(), "common/bg_nebula.png");
    EXPECT_EQ(root->GetBkColor(), 0u);
    EXPECT_FALSE(ApplyStartupSkin(nullptr, settings));
}

TEST(BackgroundImageDescriptionTest, PathsThatLookLikeDescriptionsAreQuoted) {
    EXPECT_EQ(BackgroundImageDescription("common/bg_hex.png"), "common/bg_hex.png");
    EXPECT_EQ(BackgroundImageDescription("/home/me/a=b.png"), "file='/home/me/a=b.png'");
    EXPECT_EQ(BackgroundImageDescription("/home/me/it's=b.png"), "file=\"/home/me/it's=b.png\"");
}

}  // namespace
}  // namespace varlok::app
