#include "sim/virtualmousestatefile.h"

#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "device/collectionsearch.h"
#include "device/devicelink.h"
#include "platform/debugoutput.h"
#include "platform/scopedenvironment.h"
#include "platform/tempfolder.h"
#include "platform/unreadablefiles.h"
#include "sim/virtualhidbackend.h"
#include "simtestsupport.h"

namespace varlok::sim::test {
namespace {

using device::Command;
using platform::testing::ReadBytes;
using platform::testing::ScopedEnvironment;
using platform::testing::TempFolder;
using platform::testing::WriteBytes;
using Start = VirtualMouseStateFile::Start;

std::array<std::uint8_t, 56> Bytes(std::uint8_t seed) {
    std::array<std::uint8_t, 56> bytes{};
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        bytes[i] = static_cast<std::uint8_t>(seed + 3 * i);
    }
    return bytes;
}

class VirtualMouseStateFileTest : public SimTest {
protected:
    void Send(Command command, std::uint8_t length, std::uint16_t offset, std::uint8_t seed) {
        const auto answer = Exchange(Request(command, length, offset, Bytes(seed)));
        ASSERT_EQ(answer.size(), 64U);
        ASSERT_EQ(answer[7], 0x00);
    }
    // The memory the file holds, or factory memory when it holds none.
    [[nodiscard]] StoredMemory InFile() const {
        std::string why;
        return VirtualMouseStateFile::Decode(ReadBytes(m_path), why)
            .value_or(DeviceMemory::FactoryStoredMemory());
    }

    TempFolder m_folder;
    // The folders on the way are made by the first save.
    std::filesystem::path m_path = m_folder / "runtime/varlok/virtual-mouse.state";
};

TEST_F(VirtualMouseStateFileTest, WhatTheMouseKeepsIsSavedAndTheNextRunStartsFromIt) {
    {
        VirtualMouseStateFile file(m_mouse, m_path, Start::Stored);
        Send(Command::WriteSettings, 1, 0, 2);
        Send(Command::WriteSettings, 56, 0, 0x10);
        Send(Command::WriteStoredBlock, 56, 3 * 126, 0x20);
        Send(Command::WriteMacroData, 56, 112, 0x30);
        Send(Command::WriteCursorData, 40, 3000, 0x40);
        ASSERT_TRUE(file.WaitUntilSaved(kGuard));
        EXPECT_TRUE(InFile() == m_mouse->Stored());
        EXPECT_EQ(InFile().settings[0], 2);
        EXPECT_EQ(InFile().cursorTable[3000], 0x40);
        EXPECT_EQ(std::filesystem::status(m_path.parent_path()).permissions(),
                  std::filesystem::perms::owner_all);

        // A lighting frame is shown, not kept: it causes no save.
        std::filesystem::remove(m_path);
        Send(Command::SendLightingFrame, 56, 0, 0x50);
        Send(Command::SendLightingFrame, 10, 56, 0x60);
        ASSERT_TRUE(file.WaitUntilSaved(kGuard));
        EXPECT_FALSE(std::filesystem::exists(m_path));

        // The profile button's switch is kept, up to the end of the run.
        m_mouse->PressProfileButton();
    }
    EXPECT_EQ(InFile().settings[0], 3);
    const StoredMemory kept = m_mouse->Stored();
    auto next = std::make_shared<VirtualMouse>();
    VirtualMouseStateFile file(next, m_path, Start::Stored);
    EXPECT_TRUE(next->Stored() == kept);
}

// Two programs with the virtual mouse, as varlok --simulate and varlokctl
// --simulate are: each has its copy of the mouse and of the state file, and
// they take turns under the mouse's owner lock.
TEST_F(VirtualMouseStateFileTest, ProgramsTakingTurnsWithTheMouseFindEachOthersChanges) {
    struct Program {
        std::shared_ptr<device::HidBus> bus = std::make_shared<device::HidBus>();
        std::shared_ptr<VirtualMouse> mouse = AttachVirtualMouse(*bus);
        std::optional<VirtualMouseStateFile> file;
        device::DeviceLink link{bus};
    };
    Program window;
    Program tool;
    for (Program* program : {&window, &tool}) {
        program->bus->SetOwnerLocks(device::OwnerLocks{m_folder / "locks", "test"});
        program->file.emplace(program->mouse, m_path, Start::Stored);
        program->link.Init(device::DeviceType::Mouse);
    }
    const auto takeTurn = [](Program& program) {
        return device::SearchConfigurationCollection(program.link).outcome;
    };
    ASSERT_EQ(takeTurn(tool), device::SearchOutcome::Found);
    EXPECT_EQ(takeTurn(window), device::SearchOutcome::InUse);
    ASSERT_EQ(tool.link.WriteSettings(Bytes(0x10), 64), device::LinkResult::Success);
    tool.link.Device().Close();

    std::array<std::uint8_t, 56> read{};
    ASSERT_EQ(takeTurn(window), device::SearchOutcome::Found);
    ASSERT_EQ(window.link.ReadSettings(read, 64), device::LinkResult::Success);
    EXPECT_EQ(read, Bytes(0x10));
    ASSERT_EQ(window.link.WriteSettings(Bytes(0x20), 128), device::LinkResult::Success);
    window.link.Device().Close();

    ASSERT_EQ(takeTurn(tool), device::SearchOutcome::Found);
    ASSERT_EQ(tool.link.ReadSettings(read, 128), device::LinkResult::Success);
    EXPECT_EQ(read, Bytes(0x20));
}

TEST_F(VirtualMouseStateFileTest, AFreshStartIsTheFactoryStateAndReplacesTheFile) {
    StoredMemory changed = DeviceMemory::FactoryStoredMemory();
    changed.settings[0] = 4;
    changed.keyMemory[5] = 0x77;
    std::filesystem::create_directories(m_path.parent_path());
    WriteBytes(m_path, VirtualMouseStateFile::Encode(changed));

    VirtualMouseStateFile file(m_mouse, m_path, Start::Fresh);
    EXPECT_TRUE(m_mouse->Stored() == DeviceMemory::FactoryStoredMemory());
    ASSERT_TRUE(file.WaitUntilSaved(kGuard));
    EXPECT_TRUE(InFile() == DeviceMemory::FactoryStoredMemory());
}

TEST_F(VirtualMouseStateFileTest, AFileThatIsNoStateOfThisVersionLeavesTheFactoryState) {
    StoredMemory changed = DeviceMemory::FactoryStoredMemory();
    changed.settings[70] = 0x55;
    const std::string good = VirtualMouseStateFile::Encode(changed);
    const auto with = [&good](std::size_t at, char value) {
        std::string bytes = good;
        bytes[at] = value;
        return bytes;
    };
    const std::string path = m_path.string();
    const std::array<std::pair<std::string, std::string>, 5> cases{{
        {good.substr(0, good.size() - 1), "37059 bytes, not the 37060 of a state file"},
        {good + '\0', "37061 bytes, not the 37060 of a state file"},
        {with(0, 'v'), "no state file (wrong magic)"},
        {with(8, 2), "state file version 2, not 1"},
        {with(12, 5), "names onboard profile 5, which does not exist"},
    }};
    std::filesystem::create_directories(m_path.parent_path());
    for (const auto& [bytes, why] : cases) {
        SCOPED_TRACE(why);
        WriteBytes(m_path, bytes);
        platform::DebugCapture capture;
        auto mouse = std::make_shared<VirtualMouse>();
        {
            VirtualMouseStateFile file(mouse, m_path, Start::Stored);
            EXPECT_TRUE(mouse->Stored() == DeviceMemory::FactoryStoredMemory());
            EXPECT_TRUE(capture.Contains("virtual mouse: " + path + ": " + why +
                                         "; starting from the factory state"));
        }
        // Set aside whole, where no later save replaces it.
        const std::vector<std::filesystem::path> setAside = platform::TakeSetAsideFiles();
        ASSERT_EQ(setAside.size(), 1U);
        EXPECT_EQ(setAside[0].parent_path(), m_path.parent_path());
        EXPECT_TRUE(setAside[0].filename().string().starts_with("virtual-mouse.state.unreadable-"));
        EXPECT_EQ(ReadBytes(setAside[0]), bytes);
        EXPECT_FALSE(std::filesystem::exists(m_path));
        std::filesystem::remove(setAside[0]);
    }
    WriteBytes(m_path, good);
    auto mouse = std::make_shared<VirtualMouse>();
    VirtualMouseStateFile file(mouse, m_path, Start::Stored);
    EXPECT_EQ(mouse->SettingsArea()[70], 0x55);
}

TEST_F(VirtualMouseStateFileTest, AFolderThatCannotBeMadeIsReportedAndTheMouseGoesOn) {
    WriteBytes(m_folder / "runtime", "a file where the folder would be");
    platform::DebugCapture capture;
    VirtualMouseStateFile file(m_mouse, m_path, Start::Stored);
    Send(Command::WriteSettings, 56, 64, 0x10);
    ASSERT_TRUE(file.WaitUntilSaved(kGuard));
    EXPECT_TRUE(capture.Contains("virtual mouse: " + m_path.string() +
                                 ": cannot be written; the memory lasts as long as the program"));
    EXPECT_EQ(m_mouse->SettingsArea()[64], 0x10);
}

TEST_F(VirtualMouseStateFileTest, TheFileLiesInTheRuntimeFolderElseInTheStateFolder) {
    ScopedEnvironment home("HOME", "/home/someone");
    ScopedEnvironment state("XDG_STATE_HOME", std::nullopt);
    {
        ScopedEnvironment runtime("XDG_RUNTIME_DIR", "/run/user/1000");
        EXPECT_EQ(VirtualMouseStateFile::DefaultPath(),
                  "/run/user/1000/varlok/virtual-mouse.state");
    }
    ScopedEnvironment runtime("XDG_RUNTIME_DIR", "relative/run");
    EXPECT_EQ(VirtualMouseStateFile::DefaultPath(),
              "/home/someone/.local/state/varlok/virtual-mouse.state");
    ScopedEnvironment stateHome("XDG_STATE_HOME", "/var/state");
    EXPECT_EQ(VirtualMouseStateFile::DefaultPath(), "/var/state/varlok/virtual-mouse.state");
}

}  // namespace
}  // namespace varlok::sim::test
