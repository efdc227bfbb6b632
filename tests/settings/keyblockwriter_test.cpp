// Writing one onboard profile's key block: the window the block command
// covers is read and sent back with only the profile's own block changed,
// so that no other profile's keys in the mouse are undone.

#include "settings/keyblockwriter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <vector>

#include "settings/configurationexchange.h"
#include "settingstestsupport.h"

namespace varlok::settings {
namespace {

using device::LinkResult;
using testing::Request;
using Bytes = std::vector<std::uint8_t>;

constexpr std::size_t kBlock = KeyBlockWriter::kKeyBlockSize;

// The frames of one chunked block command as the link builds them: 56-byte
// chunks from index * 126, the last chunk's unused data bytes still holding
// the chunk before it, the checksum over bytes 3-63.
std::vector<Bytes> BlockFrames(std::uint8_t command, unsigned index, const Bytes& data) {
    std::vector<Bytes> frames;
    Bytes frame(64, 0);
    frame[0] = 0x04;
    frame[3] = command;
    for (std::size_t position = 0; position < data.size(); position += 56) {
        const std::size_t chunk = std::min<std::size_t>(56, data.size() - position);
        const std::size_t offset = index * kBlock + position;
        frame[4] = static_cast<std::uint8_t>(chunk);
        frame[5] = static_cast<std::uint8_t>(offset & 0xFF);
        frame[6] = static_cast<std::uint8_t>(offset >> 8);
        if (command == 0x09) {
            std::copy_n(data.begin() + static_cast<std::ptrdiff_t>(position), chunk,
                        frame.begin() + 8);
        }
        const unsigned sum = std::accumulate(frame.begin() + 3, frame.end(), 0u);
        frame[1] = static_cast<std::uint8_t>(sum & 0xFF);
        frame[2] = static_cast<std::uint8_t>(sum >> 8);
        frames.push_back(frame);
    }
    return frames;
}

class KeyBlockWriterTest : public ::testing::Test, protected testing::ConnectedMouse {
protected:
    KeyBlockWriterTest() {
        // Every byte of the key memory tells where it lies.
        sim::KeyMemoryBytes memory{};
        for (std::size_t i = 0; i < memory.size(); ++i) {
            memory[i] = static_cast<std::uint8_t>(i * 5 + 1);
        }
        mouse->SetKeyMemory(memory);
        mouse->ClearLog();
    }

    [[nodiscard]] std::vector<Bytes> RawRequests() const {
        std::vector<Bytes> raw;
        for (const Request& request : testing::RequestsReceived(*mouse)) {
            raw.push_back(request.raw);
        }
        return raw;
    }

    MouseMirror m_mirror;
};

TEST_F(KeyBlockWriterTest, ReadsTheWindowThenSendsItWithOnlyTheProfilesBlockChanged) {
    const sim::KeyMemoryBytes before = mouse->KeyMemory();
    KeySlot slot{};
    slot.fill(0xAB);
    ASSERT_EQ(KeyBlockWriter::Write(m_link, 2, slot), LinkResult::Success);

    // The window as the mouse held it, with profile 2's block in front.
    Bytes window(before.begin() + 2 * kBlock, before.begin() + 2 * kBlock + 512);
    std::fill_n(window.begin(), kBlock, 0xAB);
    std::vector<Bytes> expected = BlockFrames(0x08, 2, Bytes(512, 0));
    for (Bytes& frame : BlockFrames(0x09, 2, window)) {
        expected.push_back(std::move(frame));
    }
    EXPECT_EQ(RawRequests(), expected);

    sim::KeyMemoryBytes after = before;
    std::fill_n(after.begin() + 2 * kBlock, kBlock, 0xAB);
    EXPECT_EQ(mouse->KeyMemory(), after);
    // The slot now mirrors the window it was written into.
    EXPECT_TRUE(std::equal(window.begin(), window.end(), slot.begin()));
}

TEST_F(KeyBlockWriterTest, AFailedReadSendsNothingAndKeepsTheSlot) {
    const sim::KeyMemoryBytes before = mouse->KeyMemory();
    KeySlot slot{};
    slot.fill(0xAB);
    // Three chunks of the read go through, the fourth cannot be written.
    m_backend->LimitWrites(3);
    EXPECT_EQ(KeyBlockWriter::Write(m_link, 1, slot), LinkResult::WriteFailed);
    const std::vector<Request> requests = testing::RequestsReceived(*mouse);
    EXPECT_EQ(requests.size(), 3u);
    EXPECT_TRUE(std::ranges::all_of(requests, [](const Request& r) { return r.command == 0x08; }));
    EXPECT_TRUE(std::ranges::all_of(slot, [](std::uint8_t b) { return b == 0xAB; }));
    EXPECT_EQ(mouse->KeyMemory(), before);
    EXPECT_EQ(KeyBlockWriter::Write(m_link, 5, m_mirror), LinkResult::BadBlockIndex);
}

// Profile 1's keys edited and saved, then profile 0's: the save of profile 0,
// whose window covers profile 1's block, keeps profile 1's edit in the mouse.
TEST_F(KeyBlockWriterTest, SavingOneProfileKeepsTheKeysSavedForAnother) {
    testing::RecordingHooks hooks{*mouse};
    ConfigurationExchange exchange{m_link, m_mirror, hooks, hooks, hooks};
    exchange.SyncDevice();
    const sim::KeyMemoryBytes synced = mouse->KeyMemory();

    exchange.SelectOnboardProfile(1);
    ASSERT_EQ(m_mirror.settingsRecord.ActiveProfile(), 1);
    const std::array<std::uint8_t, 3> volumeUp{0x30, 0xE9, 0x00};
    std::ranges::copy(volumeUp, m_mirror.keySlots[1].begin() + 3 * 4);
    exchange.SaveToDevice();

    exchange.SelectOnboardProfile(0);
    ASSERT_EQ(m_mirror.settingsRecord.ActiveProfile(), 0);
    const std::array<std::uint8_t, 3> dpiUp{0x13, 0x01, 0x00};
    std::ranges::copy(dpiUp, m_mirror.keySlots[0].begin() + 3 * 2);
    exchange.SaveToDevice();

    sim::KeyMemoryBytes expected = synced;
    std::ranges::copy(volumeUp, expected.begin() + kBlock + 3 * 4);
    std::ranges::copy(dpiUp, expected.begin() + 3 * 2);
    EXPECT_EQ(mouse->KeyMemory(), expected);
    // The host's tables agree with the mouse: slot 0's window shows
    // profile 1's edit too.
    for (unsigned index = 0; index < kOnboardProfileCount; ++index) {
        EXPECT_EQ(m_mirror.keySlots[index], mouse->StoredKeyBlock(index)) << index;
    }
}

}  // namespace
}  // namespace varlok::settings
