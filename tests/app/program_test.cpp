#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/tempfolder.h"
#include "sim/devicememory.h"
#include "sim/virtualmousestatefile.h"

namespace varlok::app {
namespace {

using platform::testing::ReadBytes;
using platform::testing::TempFolder;

// Runs the program without a display, with its stores (and its runtime
// folder, where the virtual mouse's owner lock lies) in the test's folder,
// and returns its exit code; stdout and stderr land in files there.
class ProgramTest : public ::testing::Test {
protected:
    int Run(const std::string& arguments) {
        const std::string folder = m_folder.Path().string();
        std::filesystem::create_directories(m_folder / "runtime");
        const std::string command =
            "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM VARLOK_DOCUMENTS_DIR='" + folder +
            "/documents' XDG_RUNTIME_DIR='" + folder + "/runtime' XDG_CONFIG_HOME='" + folder +
            "/config' VARLOK_INSTANCE_NAME=varlok-test-" + std::to_string(::getpid()) +
            " '" VARLOK_PROGRAM "' " + arguments + " >'" + folder + "/out.txt' 2>'" + folder +
            "/err.txt'";
        const int status = std::system(command.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    std::string Out() const { return ReadBytes(m_folder / "out.txt"); }
    std::string Err() const { return ReadBytes(m_folder / "err.txt"); }

    TempFolder m_folder;
};

// Width and height from a PNG file's header, or 0, 0 when it is no PNG.
std::array<std::uint32_t, 2> PngSize(const std::string& bytes) {
    static const std::string kSignature = "\x89PNG\r\n\x1a\n";
    if (bytes.size() < 24 || bytes.compare(0, kSignature.size(), kSignature) != 0 ||
        bytes.compare(12, 4, "IHDR") != 0) {
        return {0, 0};
    }
    const auto word = [&bytes](std::size_t at) {
        std::uint32_t value = 0;
        for (std::size_t i = 0; i < 4; ++i) {
            value = (value << 8) | static_cast<std::uint8_t>(bytes[at + i]);
        }
        return value;
    };
    return {word(16), word(20)};
}

TEST_F(ProgramTest, WithTheVirtualMouseItDrawsTheWindowOffscreenIntoAPicture) {
    const auto picture = m_folder / "window.png";
    ASSERT_EQ(Run("--simulate --screenshot '" + picture.string() + "'"), 0) << Err();
    EXPECT_EQ(PngSize(ReadBytes(picture)), (std::array<std::uint32_t, 2>{800, 572}));
    // The data folder was made on the way.
    EXPECT_TRUE(std::filesystem::is_directory(m_folder / "documents" / "VARLOK" / "ms"));
    EXPECT_NE(Err().find("no system tray"), std::string::npos);
}

TEST_F(ProgramTest, TheVirtualMouseKeepsItsMemoryUnlessStartedFresh) {
    // Memory the window neither reads nor writes at its start: the cursor
    // table.
    sim::StoredMemory memory = sim::DeviceMemory::FactoryStoredMemory();
    memory.cursorTable[100] = 0x5A;
    const auto state = m_folder / "runtime" / "varlok" / "virtual-mouse.state";
    std::filesystem::create_directories(state.parent_path());
    platform::testing::WriteBytes(state, sim::VirtualMouseStateFile::Encode(memory));
    const auto stored = [&state] {
        std::string why;
        return sim::VirtualMouseStateFile::Decode(ReadBytes(state), why);
    };
    const std::string picture = "'" + (m_folder / "window.png").string() + "'";

    ASSERT_EQ(Run("--simulate --screenshot " + picture), 0) << Err();
    ASSERT_TRUE(stored());
    EXPECT_EQ(stored()->cursorTable[100], 0x5A);
    // The device profile it sent at the start is in the record in force.
    EXPECT_NE(stored()->settings, sim::DeviceMemory::FactorySettingsArea());

    ASSERT_EQ(Run("--simulate=fresh --screenshot " + picture), 0) << Err();
    ASSERT_TRUE(stored());
    EXPECT_EQ(stored()->cursorTable[100], 0);
}

TEST_F(ProgramTest, APictureThatCannotBeWrittenIsAnError) {
    EXPECT_EQ(Run("--simulate --screenshot '" + (m_folder / "missing" / "x.png").string() + "'"),
              1);
    EXPECT_NE(Err().find("cannot write the picture"), std::string::npos);
}

TEST_F(ProgramTest, HelpAndBadArguments) {
    EXPECT_EQ(Run("--help"), 0);
    EXPECT_NE(Out().find("usage: varlok"), std::string::npos);
    EXPECT_EQ(Run("--frobnicate"), 2);
    EXPECT_NE(Err().find("unknown argument: --frobnicate"), std::string::npos);
    EXPECT_NE(Err().find("usage: varlok"), std::string::npos);
}

}  // namespace
}  // namespace varlok::app
