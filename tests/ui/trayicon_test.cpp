#include <gtest/gtest.h>
#include <QImage>
#include <QTemporaryDir>

#include "recordingtarget.h"
#include "support/uidriver.h"
#include "ui/qt/trayiconimpl.h"
#include "ui/trayicon.h"
#include "ui/windowmessages.h"

namespace varlok::ui {
namespace {

using test::RecordingTarget;

class TrayIcon : public ::testing::Test {
protected:
    void SetUp() override {
        test::EnsureApplication();
        ASSERT_TRUE(m_folder.isValid());
        QImage picture(16, 16, QImage::Format_ARGB32);
        picture.fill(Qt::red);
        m_iconPath = m_folder.filePath("logo.png").toStdString();
        ASSERT_TRUE(picture.save(QString::fromStdString(m_iconPath)));
    }

    static void Activate(CTrayIcon& tray, QSystemTrayIcon::ActivationReason reason) {
        ASSERT_NE(tray.Internals(), nullptr);
        emit tray.Internals()->icon.activated(reason);
    }

    QTemporaryDir m_folder;
    std::string m_iconPath;
};

TEST_F(TrayIcon, ButtonReleasesReachTheOwnerAsTheTrayMessage) {
    RecordingTarget owner;
    CTrayIcon tray;
    EXPECT_TRUE(tray.Create(owner.Handle(), m_iconPath, "VARLOK"));
    EXPECT_EQ(tray.ToolTip(), "VARLOK");
    Activate(tray, QSystemTrayIcon::Trigger);
    Activate(tray, QSystemTrayIcon::Context);
    Activate(tray, QSystemTrayIcon::Unknown);
    // Posted, like the shell's callback: nothing arrives before the loop runs.
    EXPECT_TRUE(owner.received.empty());
    test::DeliverPosted();
    ASSERT_EQ(owner.received.size(), 2U);
    EXPECT_EQ(owner.received[0].message, 0x0401U);
    EXPECT_EQ(owner.received[0].wParam, 1U);
    EXPECT_EQ(owner.received[0].lParam, static_cast<LParam>(WM_LBUTTONUP));
    EXPECT_EQ(owner.received[1].message, 0x0401U);
    EXPECT_EQ(owner.received[1].lParam, static_cast<LParam>(WM_RBUTTONUP));
}

TEST_F(TrayIcon, ActivationReasonsMapToMouseMessages) {
    EXPECT_EQ(qt::TrayMouseMessage(QSystemTrayIcon::Trigger), WM_LBUTTONUP);
    EXPECT_EQ(qt::TrayMouseMessage(QSystemTrayIcon::Context), WM_RBUTTONUP);
    EXPECT_EQ(qt::TrayMouseMessage(QSystemTrayIcon::DoubleClick), WM_LBUTTONDBLCLK);
    EXPECT_EQ(qt::TrayMouseMessage(QSystemTrayIcon::MiddleClick), WM_MBUTTONUP);
    EXPECT_EQ(qt::TrayMouseMessage(QSystemTrayIcon::Unknown), std::nullopt);
}

TEST_F(TrayIcon, OwnMessageAndIdAndNothingAfterDelete) {
    RecordingTarget owner;
    CTrayIcon tray;
    ASSERT_TRUE(tray.Create(owner.Handle(), m_iconPath, "tip", WM_USER + 9, 107));
    Activate(tray, QSystemTrayIcon::Trigger);
    test::DeliverPosted();
    ASSERT_EQ(owner.received.size(), 1U);
    EXPECT_EQ(owner.received[0].message, WM_USER + 9);
    EXPECT_EQ(owner.received[0].wParam, 107U);
    tray.Delete();
    EXPECT_FALSE(tray.IsCreated());
    EXPECT_EQ(tray.Internals(), nullptr);
    EXPECT_FALSE(tray.IsVisible());
}

TEST_F(TrayIcon, MissingPictureFallsBackToAStandardIcon) {
    RecordingTarget owner;
    CTrayIcon tray;
    EXPECT_FALSE(tray.Create(owner.Handle(), m_folder.filePath("none.png").toStdString(), "t"));
    ASSERT_NE(tray.Internals(), nullptr);
    EXPECT_FALSE(tray.Internals()->icon.icon().isNull());
    EXPECT_TRUE(tray.SetIcon(m_iconPath));
    EXPECT_FALSE(tray.SetIcon(""));
    // Still reports clicks.
    Activate(tray, QSystemTrayIcon::Trigger);
    test::DeliverPosted();
    EXPECT_EQ(owner.received.size(), 1U);
}

TEST_F(TrayIcon, SystemTrayAvailabilityCanBeOverridden) {
    const bool desktop = QSystemTrayIcon::isSystemTrayAvailable();
    EXPECT_EQ(CTrayIcon::IsSystemTrayAvailable(), desktop);
    CTrayIcon::OverrideSystemTrayAvailable(true);
    EXPECT_TRUE(CTrayIcon::IsSystemTrayAvailable());
    CTrayIcon::OverrideSystemTrayAvailable(false);
    EXPECT_FALSE(CTrayIcon::IsSystemTrayAvailable());
    CTrayIcon::OverrideSystemTrayAvailable(std::nullopt);
    EXPECT_EQ(CTrayIcon::IsSystemTrayAvailable(), desktop);
}

}  // namespace
}  // namespace varlok::ui
