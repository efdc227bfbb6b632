#include "app/skinframe.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "app/skinreceiver.h"
#include "dialogtestsupport.h"
#include "platform/inifile.h"
#include "platform/tempfolder.h"
#include "ui/containerui.h"
#include "ui/controlui.h"
#include "ui/tablayoutui.h"

namespace varlok::app {
namespace {

using platform::testing::ReadBytes;
using ui::test::UiDriver;

// Records every change together with what main.ini held when it arrived.
class RecordingReceiver : public SkinReceiver {
public:
    explicit RecordingReceiver(std::filesystem::path mainIni) : m_mainIni(std::move(mainIni)) {}

    int OnSkinChanged(SkinChangedParam param) override {
        changes.push_back(param);
        iniAtChange.push_back(ReadBytes(m_mainIni));
        return 1;
    }

    std::vector<SkinChangedParam> changes;
    std::vector<std::string> iniAtChange;

private:
    std::filesystem::path m_mainIni;
};

class SkinFrameTest : public testing::DialogTest {
protected:
    void SetUp() override {
        testing::DialogTest::SetUp();
        m_hostReceiver = std::make_unique<WindowSkinReceiver>(Owner());
        m_publisher.RegisterReceiver(&m_recorder);
        m_publisher.RegisterReceiver(m_hostReceiver.get());
    }
    void TearDown() override {
        if (m_frame) {
            m_frame->Close();
        }
        m_hostReceiver.reset();
        testing::DialogTest::TearDown();
        m_frame.reset();
    }

    std::filesystem::path MainIni() const { return m_folder / "main.ini"; }

    // Opens a popup under the host window's skin button.
    CSkinFrame& OpenFrame() {
        m_frame = std::make_unique<CSkinFrame>(m_publisher, MainIni());
        EXPECT_TRUE(m_frame->Open(Owner(), *Owner().GetPaintManager().FindControl("skinbtn")));
        ui::test::ProcessEvents();
        return *m_frame;
    }
    ui::CControlUI* HostRoot() { return Owner().GetPaintManager().FindControl("root"); }

    platform::testing::TempFolder m_folder;
    SkinPublisherType m_publisher;
    RecordingReceiver m_recorder{m_folder / "main.ini"};
    // Shows the choices on the host window, as the main window's does.
    std::unique_ptr<WindowSkinReceiver> m_hostReceiver;
    std::unique_ptr<CSkinFrame> m_frame;
};

TEST_F(SkinFrameTest, OpensUnderTheSkinButtonWithTheRightEdgesLinedUp) {
    const ui::UiRect button =
        ControlRectOnScreen(Owner(), *Owner().GetPaintManager().FindControl("skinbtn"));
    CSkinFrame& frame = OpenFrame();
    const ui::UiRect popup = frame.GetWindowRect();
    EXPECT_TRUE(frame.IsWindowVisible());
    EXPECT_TRUE(frame.IsTopmost());
    EXPECT_EQ(popup.right, button.right);
    EXPECT_EQ(popup.top, button.bottom);
    EXPECT_EQ(CSkinFrame::Placement(ui::UiRect{500, 40, 540, 80}, ui::UiSize{340, 226}).x, 200);
    EXPECT_EQ(CSkinFrame::Placement(ui::UiRect{500, 40, 540, 80}, ui::UiSize{340, 226}).y, 80);
}

TEST_F(SkinFrameTest, APictureIsPublishedThenRememberedAndShownOnTheWindow) {
    UiDriver popup(OpenFrame());
    ASSERT_TRUE(popup.Click("skin_image_btn"));
    const std::string picture = popup.Find("skin_image_btn")->GetUserData();
    ASSERT_EQ(m_recorder.changes.size(), 1u);
    EXPECT_EQ(m_recorder.changes[0], (SkinChangedParam{false, 0, picture}));
    // Published before main.ini was written.
    EXPECT_EQ(m_recorder.iniAtChange[0], "");
    EXPECT_EQ(ReadBytes(MainIni()), "[SKINIMAGE]\r\nFLAGS=1\r\nIMAGE=" + picture + "\r\n");
    EXPECT_EQ(HostRoot()->GetBkImage(), picture);
    EXPECT_EQ(HostRoot()->GetBkColor(), 0u);
    // The popup stays for another choice.
    EXPECT_TRUE(m_frame->IsWindowVisible());
}

TEST_F(SkinFrameTest, AColourIsNotRememberedSoTheNextStartShowsThePreviousPicture) {
    UiDriver popup(OpenFrame());
    ASSERT_TRUE(popup.Click("skin_image_btn"));
    const std::string picture = popup.Find("skin_image_btn")->GetUserData();
    const std::string stored = ReadBytes(MainIni());

    EXPECT_FALSE(popup.Click("skin_color_btn")) << "the colour page is not shown yet";
    ASSERT_TRUE(popup.Click("skin_color"));
    EXPECT_EQ(
        popup.Window().GetPaintManager().FindControl<ui::CTabLayoutUI>("skin_tab")->GetCurSel(), 1);
    ASSERT_TRUE(popup.Click("skin_color_btn"));
    const ui::Argb colour = popup.Find("skin_color_btn")->GetBkColor();
    ASSERT_EQ(m_recorder.changes.size(), 2u);
    EXPECT_EQ(m_recorder.changes[1], (SkinChangedParam{true, colour, {}}));
    EXPECT_EQ(HostRoot()->GetBkColor(), colour);
    EXPECT_EQ(HostRoot()->GetBkImage(), "");
    EXPECT_EQ(ReadBytes(MainIni()), stored);

    // The next start: a fresh window and main.ini read again.
    ui::test::TestWindow restarted(testing::AppTestLayout("skinhost.xml"));
    ASSERT_TRUE(restarted.Create(nullptr, "restarted"));
    ui::CControlUI* root = restarted.GetPaintManager().FindControl("root");
    EXPECT_TRUE(ApplyStartupSkin(root, SkinSettings(MainIni())));
    EXPECT_EQ(root->GetBkImage(), picture);
    restarted.Close();
    ASSERT_TRUE(popup.Click("skin_image"));
    EXPECT_EQ(
        popup.Window().GetPaintManager().FindControl<ui::CTabLayoutUI>("skin_tab")->GetCurSel(), 0);
}

TEST_F(SkinFrameTest, ResetStoresTheStandardBackgroundAndTheNextStartLeavesItAlone) {
    UiDriver popup(OpenFrame());
    ASSERT_TRUE(popup.Click("skin_image_btn"));
    ASSERT_TRUE(popup.Click("skin_reset"));
    ASSERT_EQ(m_recorder.changes.size(), 2u);
    EXPECT_EQ(m_recorder.changes[1], (SkinChangedParam{false, 0, "common/background.png"}));
    EXPECT_EQ(HostRoot()->GetBkImage(), "common/background.png");
    EXPECT_EQ(ReadBytes(MainIni()), "[SKINIMAGE]\r\nFLAGS=0\r\nIMAGE=common/background.png\r\n");

    ui::test::TestWindow restarted(testing::AppTestLayout("skinhost.xml"));
    ASSERT_TRUE(restarted.Create(nullptr, "restarted"));
    ui::CControlUI* root = restarted.GetPaintManager().FindControl("root");
    const std::string layoutImage = root->GetBkImage();
    const ui::Argb layoutColour = root->GetBkColor();
    EXPECT_FALSE(ApplyStartupSkin(root, SkinSettings(MainIni())));
    EXPECT_EQ(root->GetBkImage(), layoutImage);
    EXPECT_EQ(root->GetBkColor(), layoutColour);
    restarted.Close();
}

TEST_F(SkinFrameTest, ACancelledPictureDialogChangesNothing) {
    std::vector<ui::FileDialogOptions> asked;
    ui::SetFileDialogAnswerProvider(
        [&asked](ui::FileDialogKind kind, const ui::FileDialogOptions& options) {
            EXPECT_EQ(kind, ui::FileDialogKind::Open);
            asked.push_back(options);
            return std::optional<std::string>();
        });
    const std::string hostImage = HostRoot()->GetBkImage();
    UiDriver popup(OpenFrame());
    ASSERT_TRUE(popup.Click("skin_Custom"));
    ui::test::ProcessEvents();
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].defaultExtension, "png");
    EXPECT_EQ(asked[0].initialName, "*.png");
    EXPECT_EQ(asked[0].filter, "(*.png) | *.png |(*.*)|*.*||");
    EXPECT_TRUE(m_recorder.changes.empty());
    EXPECT_EQ(HostRoot()->GetBkImage(), hostImage);
    EXPECT_FALSE(std::filesystem::exists(MainIni()));
    EXPECT_TRUE(m_frame->IsFinished());
}

TEST_F(SkinFrameTest, AChosenPictureFileIsShownOnceAndNotRemembered) {
    const std::string own = (m_folder / "own picture.png").string();
    ui::SetFileDialogAnswerProvider(
        [own](ui::FileDialogKind, const ui::FileDialogOptions&) { return std::optional(own); });
    UiDriver popup(OpenFrame());
    ASSERT_TRUE(popup.Click("skin_Custom"));
    ui::test::ProcessEvents();
    ASSERT_EQ(m_recorder.changes.size(), 1u);
    EXPECT_EQ(m_recorder.changes[0], (SkinChangedParam{false, 0, own}));
    EXPECT_EQ(HostRoot()->GetBkImage(), own);
    EXPECT_FALSE(std::filesystem::exists(MainIni()));
}

TEST_F(SkinFrameTest, ClickingOutsideClosesThePopupWithoutAChange) {
    const std::string hostImage = HostRoot()->GetBkImage();
    CSkinFrame& frame = OpenFrame();
    ASSERT_TRUE(frame.IsWindowVisible());
    ASSERT_TRUE(UiDriver(Owner()).Click("elsewhere"));
    ui::test::ProcessEvents();
    EXPECT_FALSE(frame.IsWindow());
    EXPECT_TRUE(frame.IsFinished());
    EXPECT_TRUE(m_recorder.changes.empty());
    EXPECT_EQ(HostRoot()->GetBkImage(), hostImage);
    EXPECT_FALSE(std::filesystem::exists(MainIni()));
}

TEST_F(SkinFrameTest, ThePopupClosesWhenItStopsBeingTheActiveWindow) {
    CSkinFrame& frame = OpenFrame();
    ASSERT_TRUE(frame.IsWindowVisible());
    // Activated again (the window manager's doing): no change.
    ui::test::ActivateWindow(frame);
    EXPECT_TRUE(frame.IsWindowVisible());
    // A click on the desktop or on another program's window.
    ui::test::DeactivateAllWindows();
    EXPECT_FALSE(frame.IsWindow());
    EXPECT_TRUE(frame.IsFinished());
    EXPECT_TRUE(m_recorder.changes.empty());

    // The same through the host window, without any click inside it.
    CSkinFrame& again = OpenFrame();
    ASSERT_TRUE(again.IsWindowVisible());
    ui::test::ActivateWindow(Owner());
    EXPECT_TRUE(again.IsFinished());
}

TEST_F(SkinFrameTest, ThePictureDialogTakingTheActivationKeepsThePopupUntilItAnswers) {
    const std::string own = (m_folder / "own.png").string();
    bool openWhileAsked = false;
    ui::SetFileDialogAnswerProvider([&](ui::FileDialogKind, const ui::FileDialogOptions&) {
        // The dialog is the active window while it asks.
        ui::test::DeactivateAllWindows();
        openWhileAsked = m_frame->IsWindowVisible();
        return std::optional(own);
    });
    UiDriver popup(OpenFrame());
    ASSERT_TRUE(popup.Click("skin_Custom"));
    ui::test::ProcessEvents();
    EXPECT_TRUE(openWhileAsked);
    ASSERT_EQ(m_recorder.changes.size(), 1u);
    EXPECT_EQ(m_recorder.changes[0], (SkinChangedParam{false, 0, own}));
    EXPECT_TRUE(m_frame->IsFinished());
}

TEST_F(SkinFrameTest, MovingBetweenThePopupsOwnControlsKeepsItOpen) {
    UiDriver popup(OpenFrame());
    ASSERT_TRUE(popup.Click("skin_color"));
    ASSERT_TRUE(popup.Click("skin_image"));
    ASSERT_TRUE(popup.Click("skin_image_btn"));
    ui::test::ProcessEvents();
    EXPECT_TRUE(m_frame->IsWindowVisible());
}

TEST_F(SkinFrameTest, EveryChoiceOfTheSkinShowsSomething) {
    UiDriver popup(OpenFrame());
    const ui::CControlUI* root = popup.Window().GetPaintManager().GetRoot();
    int pictures = 0;
    int colours = 0;
    std::vector<const ui::CControlUI*> pending{root};
    while (!pending.empty()) {
        const ui::CControlUI* control = pending.back();
        pending.pop_back();
        if (const auto* container = dynamic_cast<const ui::CContainerUI*>(control)) {
            for (int i = 0; i < container->GetCount(); ++i) {
                pending.push_back(container->GetItemAt(i));
            }
        }
        if (control->GetName() == "skin_image_btn") {
            ++pictures;
            EXPECT_TRUE(std::filesystem::is_regular_file(
                std::filesystem::path(testing::kSkinFolder) / control->GetUserData()))
                << control->GetUserData();
        } else if (control->GetName() == "skin_color_btn") {
            ++colours;
            EXPECT_EQ(control->GetBkColor() >> 24, 0xFFu);
        }
    }
    EXPECT_GE(pictures, 4);
    EXPECT_GE(colours, 4);
    EXPECT_TRUE(std::filesystem::is_regular_file(std::filesystem::path(testing::kSkinFolder) /
                                                 SkinSettings::kStandardBackground));
}

}  // namespace
}  // namespace varlok::app
