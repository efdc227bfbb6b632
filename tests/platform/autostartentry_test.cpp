#include "platform/autostartentry.h"

#include "scopedenvironment.h"
#include "tempfolder.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

namespace varlok::platform {
namespace {

using testing::ScopedEnvironment;
using testing::TempFolder;
using testing::WriteBytes;

std::string ReadText(const std::filesystem::path& file) {
    std::ifstream stream(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>()};
}

TEST(AutostartEntry, LivesInTheConfigFoldersAutostartFolder) {
    ScopedEnvironment config("XDG_CONFIG_HOME", "/home/u/.cfg");
    EXPECT_EQ(AutostartEntry::DefaultFile(), "/home/u/.cfg/autostart/varlok.desktop");
}

TEST(AutostartEntry, EnableWritesTheEntryAndDisableRemovesIt) {
    const TempFolder folder;
    // The autostart folder does not exist yet on a fresh account.
    const AutostartEntry entry(folder.Path() / "autostart" / "varlok.desktop");
    EXPECT_FALSE(entry.IsEnabled());
    ASSERT_TRUE(entry.Enable("/usr/bin/varlok"));
    EXPECT_EQ(ReadText(entry.File()),
              "[Desktop Entry]\n"
              "Type=Application\n"
              "Name=VARLOK\n"
              "Comment=Mouse settings, waiting in the tray\n"
              "Exec=/usr/bin/varlok --hidden\n"
              "TryExec=/usr/bin/varlok\n"
              "Icon=varlok\n"
              "Terminal=false\n"
              "X-GNOME-Autostart-enabled=true\n");
    EXPECT_TRUE(entry.IsEnabled());
    ASSERT_TRUE(entry.Disable());
    EXPECT_FALSE(std::filesystem::exists(entry.File()));
    EXPECT_FALSE(entry.IsEnabled());
    // Nothing left to remove is no failure.
    EXPECT_TRUE(entry.Disable());
}

TEST(AutostartEntry, TheExecLineStartsAProgramInAnyFolder) {
    // Quoted for the Exec key (", `, $ and \ escaped, % doubled), then
    // written as a string value (every backslash doubled).
    const std::string text = AutostartEntry::EntryText("/home/u/My \"Apps\"/$x/100%/a\\b/varlok");
    EXPECT_NE(text.find("\nExec=\"/home/u/My \\\\\"Apps\\\\\"/\\\\$x/100%%/a\\\\\\\\b/varlok\" "
                        "--hidden\n"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("\nTryExec=/home/u/My \"Apps\"/$x/100%/a\\\\b/varlok\n"), std::string::npos)
        << text;
    // A line break in a folder's name cannot end the line.
    EXPECT_NE(AutostartEntry::EntryText("/a\nb/varlok").find("Exec=\"/a\\nb/varlok\" --hidden\n"),
              std::string::npos);
}

TEST(AutostartEntry, DesktopsSwitchItOffWithoutRemovingIt) {
    const TempFolder folder;
    const AutostartEntry entry(folder.Path() / "varlok.desktop");
    const auto enabledWith = [&](const std::string& text) {
        WriteBytes(entry.File(), text);
        return entry.IsEnabled();
    };
    EXPECT_TRUE(enabledWith("[Desktop Entry]\nExec=varlok --hidden\n"));
    EXPECT_FALSE(enabledWith("[Desktop Entry]\nExec=varlok\nX-GNOME-Autostart-enabled=false\n"));
    EXPECT_FALSE(enabledWith("[Desktop Entry]\r\nHidden = true\r\n"));
    EXPECT_TRUE(enabledWith("[Desktop Entry]\nX-GNOME-Autostart-enabled=true\n"));
    // Only the desktop entry's own keys count; a file without one starts
    // nothing.
    EXPECT_TRUE(enabledWith("[Desktop Entry]\nExec=varlok\n[Desktop Action x]\nHidden=true\n"));
    EXPECT_FALSE(enabledWith("Exec=varlok\n"));
    // Enabling it again writes the whole entry anew.
    ASSERT_TRUE(entry.Enable("/usr/bin/varlok"));
    EXPECT_TRUE(entry.IsEnabled());
}

TEST(AutostartEntry, AFolderThatCannotBeMadeIsReported) {
    const TempFolder folder;
    WriteBytes(folder.Path() / "autostart", "a file where the folder belongs");
    const AutostartEntry entry(folder.Path() / "autostart" / "varlok.desktop");
    EXPECT_FALSE(entry.Enable("/usr/bin/varlok"));
    EXPECT_FALSE(entry.IsEnabled());
    EXPECT_EQ(ReadText(folder.Path() / "autostart"), "a file where the folder belongs");
}

}  // namespace
}  // namespace varlok::platform
