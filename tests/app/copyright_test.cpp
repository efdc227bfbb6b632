#include "app/copyright.h"

#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <sstream>
#include <string>

#include "dialogtestsupport.h"
#include "ui/controlui.h"

namespace varlok::app {
namespace {

using ui::test::UiDriver;

// The project version as the top-level CMakeLists.txt declares it.
std::string ProjectVersion() {
    std::ifstream file(VARLOK_SOURCE_DIR "/CMakeLists.txt");
    std::stringstream text;
    text << file.rdbuf();
    std::smatch match;
    const std::string content = text.str();
    if (!std::regex_search(content, match,
                           std::regex(R"(project\(varlok\s+VERSION\s+([0-9.]+))"))) {
        return {};
    }
    return match[1].str();
}

class CopyrightTest : public testing::DialogTest {};

TEST_F(CopyrightTest, ShowsNameVersionAndLicenceCentredOnItsOwner) {
    Ccopyright about;
    ASSERT_TRUE(about.Open(Owner()));
    ui::test::ProcessEvents();
    EXPECT_TRUE(about.IsWindowVisible());
    EXPECT_FALSE(about.IsModal());

    const UiDriver dialog(about);
    EXPECT_EQ(dialog.Find("about_name")->GetShownText(), "VARLOK");
    EXPECT_EQ(dialog.Find("about_title")->GetShownText(), "About");
    if (Ccopyright::Licence().empty()) {
        EXPECT_EQ(dialog.Find("about_licence")->GetShownText(),
                  "No licence chosen yet; all rights reserved.");
    }
    // No home page has been chosen, so there is no link to follow.
    ASSERT_TRUE(Ccopyright::HomePage().empty());
    EXPECT_FALSE(dialog.Find("NetText")->IsVisible());

    const ui::UiRect owner = Owner().GetWindowRect();
    const ui::UiRect placed = about.GetWindowRect();
    EXPECT_EQ(placed.left + placed.Width() / 2, owner.left + owner.Width() / 2);
    EXPECT_EQ(placed.top + placed.Height() / 2, owner.top + owner.Height() / 2);
}

TEST_F(CopyrightTest, VersionIsTheProjectVersion) {
    EXPECT_EQ(Ccopyright::Version(), ProjectVersion());
    Ccopyright about;
    ASSERT_TRUE(about.Open(Owner()));
    EXPECT_EQ(UiDriver(about).Find("about_version_value")->GetShownText(), ProjectVersion());
}

TEST_F(CopyrightTest, CloseButtonClosesItAndItFinishes) {
    Ccopyright about;
    ASSERT_TRUE(about.Open(Owner()));
    ui::test::ProcessEvents();
    EXPECT_FALSE(about.IsFinished());
    ASSERT_TRUE(UiDriver(about).Click("closebtn"));
    ui::test::ProcessEvents();
    EXPECT_FALSE(about.IsWindow());
    EXPECT_TRUE(about.IsFinished());
}

TEST_F(CopyrightTest, MissingLayoutOpensNothing) {
    Ccopyright about("no_such_about.xml");
    EXPECT_FALSE(about.Open(Owner()));
}

}  // namespace
}  // namespace varlok::app
