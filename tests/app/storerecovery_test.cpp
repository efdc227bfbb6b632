// The window's start with damaged stores: what cannot be parsed is set
// aside before anything reads it, the user is told once, and the window
// goes on with whole files of its own.

#include "app/storerecovery.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "app/support/mainwindowfixture.h"
#include "platform/debugoutput.h"
#include "platform/inifile.h"
#include "platform/unreadablefiles.h"
#include "profiles/profilefile.h"
#include "ui/modalanswers.h"

namespace varlok::app {
namespace {

using platform::testing::ReadBytes;
using platform::testing::WriteBytes;

class StoreRecoveryTest : public testing::MainWindowFixture {
protected:
    // The files of a folder whose names carry the set-aside mark.
    std::vector<std::string> SetAside(const std::filesystem::path& folder) const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(folder)) {
            const std::string name = entry.path().filename().string();
            if (name.find(platform::kUnreadableMark) != std::string::npos) {
                names.push_back(name.substr(0, name.find(platform::kUnreadableMark)));
            }
        }
        std::ranges::sort(names);
        return names;
    }
};

TEST_F(StoreRecoveryTest, DamagedStoresAreSetAsideTheWindowSaysSoOnceAndSavesWholeFiles) {
    const std::filesystem::path data = m_folder / "ms";
    const std::vector<platform::IniValue> list{{"PROFILEDEVICECOUNT", "count", "1"},
                                               {"PROFILEDEVICENAME", "0", "profile1"},
                                               {"PROFILEDEVICESELECT", "select", "0"}};
    ASSERT_EQ(platform::IniFile(data / "msProfile.ini").WriteValues(list),
              platform::IniWriteResult::Ok);
    const std::string cut = ReadBytes(m_folder / "msdevicedefault.config").substr(0, 300);
    WriteBytes(data / "profile1.config", cut);
    WriteBytes(m_environment.mainIni, std::string("[SKINIMAGE]\0\0", 13));
    static_cast<void>(platform::TakeSetAsideFiles());
    platform::DebugCapture debug;
    AttachMouse();
    std::string shown;
    testing::AnswerMessage(shown);
    CreateWindow();
    Initialise();
    ASSERT_TRUE(RunUntil([&shown] { return !shown.empty(); }));
    EXPECT_EQ(shown, kSetAsideMessage);
    EXPECT_EQ(SetAside(data), std::vector<std::string>{"profile1.config"});
    EXPECT_EQ(SetAside(m_folder.Path()), std::vector<std::string>{"main.ini"});
    const std::string said = "set aside " + (data / "profile1.config").string() +
                             " (300 bytes, less than the 592 of a profile) as ";
    EXPECT_TRUE(std::ranges::any_of(
        debug.Lines(), [&said](const std::string& line) { return line.starts_with(said); }));

    // The mouse's read saves the device profile anew, whole.
    ASSERT_TRUE(RunUntil([this] { return m_reads == 1; }));
    WaitForCommit();
    std::array<std::uint8_t, 576> body{};
    EXPECT_EQ(std::filesystem::file_size(data / "profile1.config"), 592U);
    EXPECT_EQ(profiles::ReadProfileFile(data / "profile1.config", body),
              profiles::ProfileReadResult::Loaded);

    // The next start finds nothing to set aside and says nothing.
    CloseWindow();
    m_window.reset();
    const int reads = m_reads;
    std::string again;
    testing::AnswerMessage(again);
    CreateWindow();
    Initialise();
    ASSERT_TRUE(RunUntil([this, reads] { return m_reads > reads; }));
    EXPECT_EQ(again, "");
    EXPECT_EQ(ui::ModalAnswers::Pending(), 1U);
    EXPECT_EQ(SetAside(data), std::vector<std::string>{"profile1.config"});
}

}  // namespace
}  // namespace varlok::app
