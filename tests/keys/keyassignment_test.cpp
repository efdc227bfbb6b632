// Editing the active onboard profile's key slot: apply, default, and the
// rule that keeps the mouse's only left button.

#include "keys/keyassignment.h"

#include <gtest/gtest.h>

namespace varlok::keys {
namespace {

using T = KeyFunctionType;

class KeyAssignmentTest : public ::testing::Test {
protected:
    KeyAssignmentTest() {
        for (settings::KeySlot& slot : m_mirror.keySlots) {
            slot = m_mirror.factoryKeyMap;
        }
        m_mirror.settingsRecord.SetActiveProfile(2);
    }

    settings::MouseMirror m_mirror;
    KeyAssignment m_keys{m_mirror};
};

TEST_F(KeyAssignmentTest, TheHostFactoryMapBeforeTheFirstRead) {
    const settings::FactoryKeyMap& map = m_mirror.factoryKeyMap;
    const std::array<std::uint8_t, 18> keys{0x10, 0x01, 0, 0x10, 0x04, 0, 0x10, 0x02, 0,
                                            0x10, 0x10, 0, 0x10, 0x08, 0, 0x13, 0x03, 0};
    EXPECT_TRUE(std::equal(keys.begin(), keys.end(), map.begin()));
    EXPECT_TRUE(
        std::all_of(map.begin() + 18, map.begin() + 510, [](std::uint8_t b) { return b == 0x05; }));
    EXPECT_EQ(map[510], 0);
    EXPECT_EQ(map[511], 0);
}

TEST_F(KeyAssignmentTest, ApplyAndDefaultChangeOnlyTheKeysEntryInTheActiveSlot) {
    const KeyFunction volumeUp{T::Multimedia, 0xE9, 0x00};
    EXPECT_EQ(m_keys.ApplyKeyFunction(4, {.category = KeyCategory::Multimedia, .multimedia = 6}),
              volumeUp);
    settings::KeySlot expected = m_mirror.factoryKeyMap;
    expected[12] = 0x30;
    expected[13] = 0xE9;
    expected[14] = 0x00;
    EXPECT_EQ(m_mirror.keySlots[2], expected);
    EXPECT_EQ(m_mirror.keySlots[1], m_mirror.factoryKeyMap);
    EXPECT_FALSE(m_keys.IsDefault(4));

    ASSERT_TRUE(m_keys.ResetKeyToDefault(4));
    EXPECT_EQ(m_mirror.keySlots[2], m_mirror.factoryKeyMap);
    EXPECT_TRUE(m_keys.IsDefault(4));
    EXPECT_FALSE(m_keys.SetEntry(kKeyEntryCount, volumeUp));
    // The keypad's Enter captured for key 3; a volume key is no keyboard key.
    KeyFunctionEditor capture{.category = KeyCategory::KeyboardKey};
    EXPECT_TRUE(m_keys.CaptureKeyboardKey(3, 0x0D, 0x81, capture));
    EXPECT_FALSE(m_keys.CaptureKeyboardKey(3, 0xAF, 0x00, capture));
    EXPECT_EQ(m_keys.Entry(3), (KeyFunction{T::KeyboardKey, 0x00, 0x58}));
    EXPECT_EQ(capture.keyboardKey, m_keys.Entry(3));
    // An editor that builds no code writes nothing.
    EXPECT_EQ(m_keys.ApplyKeyFunction(4, {.category = KeyCategory::Macro}), std::nullopt);
    EXPECT_TRUE(m_keys.IsDefault(4));

    // A record that names no onboard profile edits nothing.
    m_mirror.settingsRecord.SetActiveProfile(5);
    EXPECT_FALSE(m_keys.SetEntry(0, volumeUp));
    EXPECT_FALSE(m_keys.ResetKeyToDefault(0));
    EXPECT_EQ(m_keys.Entry(0), std::nullopt);
    KeyFunctionEditor editor;
    EXPECT_EQ(m_keys.ShowKeyFunction(0, 0, editor), KeyAssignment::ShowResult::NoActiveSlot);
}

TEST_F(KeyAssignmentTest, TheOnlyLeftButtonAmongTheFirstNineKeysStaysLocked) {
    EXPECT_TRUE(m_keys.IsOnlyLeftButton(0));
    EXPECT_FALSE(m_keys.IsOnlyLeftButton(1));
    KeyFunctionEditor editor{.category = KeyCategory::Dpi};
    EXPECT_EQ(m_keys.ShowKeyFunction(0, 0, editor), KeyAssignment::ShowResult::OnlyLeftButton);
    EXPECT_EQ(editor.category, KeyCategory::Dpi);
    // A left button beyond the ninth entry does not count.
    ASSERT_TRUE(m_keys.SetEntry(9, kLeftButton));
    EXPECT_TRUE(m_keys.IsOnlyLeftButton(0));
    ASSERT_TRUE(m_keys.SetEntry(8, kLeftButton));
    EXPECT_FALSE(m_keys.IsOnlyLeftButton(0));
    EXPECT_FALSE(m_keys.IsOnlyLeftButton(8));
    // Once the left button moved to key 6, key 0 is free and key 6 locked.
    ASSERT_TRUE(m_keys.SetEntry(8, {T::Dpi, 0x01, 0x00}));
    ASSERT_TRUE(m_keys.SetEntry(6, kLeftButton));
    ASSERT_TRUE(m_keys.SetEntry(0, {T::MouseButton, 0x02, 0x00}));
    EXPECT_TRUE(m_keys.IsOnlyLeftButton(6));
    EXPECT_EQ(m_keys.ShowKeyFunction(0, 0, editor), KeyAssignment::ShowResult::Shown);
    EXPECT_EQ(editor.category, KeyCategory::MouseButton);
    EXPECT_EQ(editor.mouseButton, 2);
}

}  // namespace
}  // namespace varlok::keys
