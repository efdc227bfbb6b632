#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "keys/keyfunction.h"
#include "keys/keynametable.h"
#include "keys/macroaction.h"
#include "keys/macrorecorder.h"
#include "keys/macroreferences.h"
#include "keys/mouseeventtable.h"
#include "settings/mousemirror.h"

namespace varlok::keys {
namespace {

constexpr std::uint32_t kKeyDown = 0x100;
constexpr std::uint32_t kKeyUp = 0x101;
constexpr std::uint32_t kSysKeyDown = 0x104;
constexpr std::uint32_t kReleased = 0x80;

class MacroRecorderTest : public ::testing::Test {
protected:
    void Start(MacroRecorder::Options options = {}) { m_recorder.Start(options); }
    void Key(std::uint32_t message, std::uint32_t virtualKey, std::uint32_t flags = 0) {
        m_recorder.RecordKey(m_actions, message, virtualKey, flags);
    }
    std::vector<std::string> Texts() const {
        std::vector<std::string> texts;
        for (const MacroAction& action : m_actions) {
            texts.push_back(FormatMacroAction(action));
        }
        return texts;
    }

    std::int64_t m_now = 1000;
    MacroRecorder m_recorder{[this] { return m_now; }};
    std::vector<MacroAction> m_actions;
};

TEST_F(MacroRecorderTest, AHeldKeyGivesOneDownAndOneUpWithTheMeasuredPause) {
    Start();
    m_now += 30;  // before the first event: dropped, no action to carry it
    Key(kKeyDown, 'A');
    for (int repeat = 0; repeat < 5; ++repeat) {
        m_now += 24;
        Key(kKeyDown, 'A');
    }
    m_now = 1030 + 120 + 7;  // 127 ms after the press: rounded down to 120
    Key(kKeyUp, 'A', kReleased);
    EXPECT_EQ(Texts(), (std::vector<std::string>{"12,0,138,4,1,keyboard_key_A",
                                                 "0,0,10,4,0,keyboard_key_A"}));
    // After the release the key may be pressed again.
    m_now += 3000;
    Key(kKeyDown, 'A');
    ASSERT_EQ(m_actions.size(), 3U);
    EXPECT_EQ(m_actions[1].delayLow, 44);
    EXPECT_EQ(m_actions[1].delayHigh, 1);
}

TEST_F(MacroRecorderTest, PausesAreFixedOrLimited) {
    Start({.keyboard = true, .mouseClicks = true, .fixedPause = true});
    Key(kKeyDown, 'A');
    m_now += 120;
    Key(kKeyUp, 'A', kReleased);
    EXPECT_EQ(m_actions.front().PauseUnits(), 5);

    m_actions.clear();
    Start();
    Key(kKeyDown, 'A');
    m_now += 700000;
    Key(kKeyUp, 'A', kReleased);
    EXPECT_EQ(m_actions.front().PauseMs(), 655350);
}

TEST_F(MacroRecorderTest, ModifiersKeypadEnterAndKeysWithoutARow) {
    Start();
    Key(kKeyDown, 0xA0);  // Left Shift
    Key(kKeyUp, 0xA0, kReleased);
    Key(kSysKeyDown, 0x0D, 0x01);  // extended Enter: the keypad's
    Key(kKeyUp, 0x0D, 0x81);
    Key(kKeyDown, 0xAF);  // Volume Up: a multimedia row, not taken
    Key(kKeyDown, 0xFF);  // no row at all
    EXPECT_EQ(Texts(),
              (std::vector<std::string>{
                  "0,0,137,2,1,keyboard_key_LShift", "0,0,9,2,0,keyboard_key_LShift",
                  "0,0,138,88,1,keyboard_key_Num Enter", "0,0,10,88,0,keyboard_key_Num Enter"}));
}

TEST_F(MacroRecorderTest, OnlyLeftRightAndMiddleClicksAreRecorded) {
    Start();
    for (const std::uint32_t message :
         {0x201U, 0x201U, 0x200U, 0x20AU, 0x20BU, 0x20CU, 0x202U, 0x204U, 0x205U, 0x207U, 0x208U}) {
        m_recorder.RecordMouse(m_actions, message);
    }
    EXPECT_EQ(Texts(), (std::vector<std::string>{
                           "0,0,129,1,1,mouse_key_left", "0,0,1,1,0,mouse_key_left",
                           "0,0,129,2,1,mouse_key_right", "0,0,1,2,0,mouse_key_right",
                           "0,0,129,4,1,mouse_key_middle", "0,0,1,4,0,mouse_key_middle"}));
    // Without the click option, and once stopped, nothing is recorded.
    Start({.keyboard = true, .mouseClicks = false, .fixedPause = false});
    EXPECT_FALSE(m_recorder.RecordMouse(m_actions, 0x204));
    Start();
    m_recorder.Stop();
    EXPECT_FALSE(m_recorder.RecordMouse(m_actions, 0x204));
    Key(kKeyDown, 'A');
    EXPECT_EQ(m_actions.size(), 6U);
}

TEST(MacroTables, KeyAndMouseRowsReadBothWays) {
    const auto rows = KeyNameTable::Rows();
    for (std::size_t row = 0; row < KeyNameTable::kRowCount; ++row) {
        // The macro rows are exactly the keyboard rows before the others.
        EXPECT_EQ(row < kMacroKeyRows, rows[row].function.Is(KeyFunctionType::KeyboardKey)) << row;
        if (row < kMacroKeyRows) {
            for (const bool down : {false, true}) {
                EXPECT_EQ(FindKeyRowOfAction(KeyboardActionOf(row, down)), row) << row;
            }
        }
    }
    for (std::size_t row = 0; row < MouseEventTable::kEditorRows; ++row) {
        const MacroAction action = MouseEventTable::ActionOf(row, 17);
        EXPECT_EQ(MouseEventTable::FindEditorRow(action), row);
        EXPECT_EQ(IsMoveAction(action), row >= MouseEventTable::kFirstMoveRow);
        EXPECT_TRUE(IsMouseAction(action));
        EXPECT_EQ(action.label, MouseEventTable::Labels()[row]);
    }
    EXPECT_EQ(MouseEventTable::Labels().back(), "mouse_text");
    EXPECT_FALSE(MouseEventTable::FindRecordedMessage(0x20A));
}

TEST(MacroReferences, DeletingAMacroMovesTheKeysOfEverySlot) {
    settings::MouseMirror mirror;
    const KeyFunction runsFirst{KeyFunctionType::Macro, 1, 2};
    const KeyFunction runsSecond{KeyFunctionType::MacroCounted, 2, 5};
    const KeyFunction runsZeroth{KeyFunctionType::Macro, 0, 0};
    for (settings::KeySlot& slot : mirror.keySlots) {
        slot = mirror.factoryKeyMap;
        SetKeyEntry(slot, 1, runsFirst);   // key A
        SetKeyEntry(slot, 4, runsSecond);  // key B
        SetKeyEntry(slot, 6, runsZeroth);
    }
    SetKeyEntry(mirror.keySlots[3], 6, runsFirst);
    EXPECT_TRUE(KeysRunMacro(mirror, 1));
    EXPECT_FALSE(KeysRunMacro(mirror, 3));

    EXPECT_TRUE(ShiftMacroReferences(mirror, 1));
    for (std::size_t slot = 0; slot < mirror.keySlots.size(); ++slot) {
        EXPECT_EQ(KeyEntry(mirror.keySlots[slot], 1), KeyEntry(mirror.factoryKeyMap, 1)) << slot;
        EXPECT_EQ(KeyEntry(mirror.keySlots[slot], 4),
                  (KeyFunction{KeyFunctionType::MacroCounted, 1, 5}));
        EXPECT_EQ(KeyEntry(mirror.keySlots[slot], 6),
                  slot == 3 ? KeyEntry(mirror.factoryKeyMap, 6) : runsZeroth);
    }
    EXPECT_FALSE(KeysRunMacro(mirror, 2));
}

}  // namespace
}  // namespace varlok::keys
