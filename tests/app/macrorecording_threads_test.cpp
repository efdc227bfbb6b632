#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "app/support/xvfbwindowfixture.h"
#include "keys/macrostore.h"
#include "keys/macrotable.h"
#include "keys/page/macrocontrols.h"
#include "platform/tempfolder.h"
#include "platform/x11inputcapture.h"
#include "ui/listui.h"

// Last: Xlib defines None, Bool and Status as macros.
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

namespace varlok::app {
namespace {

using keys::MacroControls;

// From the keyboard to the mouse's memory: an X server where the test types
// with XTest, the desktop capture, the macro recorder, the key page and the
// send button, with the virtual mouse at the end.
class MacroRecordingEndToEndTest : public testing::XvfbWindowFixture {
protected:
    void SetUp() override {
        XvfbWindowFixture::SetUp();
        if (IsSkipped() || HasFatalFailure()) {
            return;
        }
        std::shared_ptr<platform::InputCapture> capture =
            platform::X11InputCapture::Open(m_server.DisplayName());
        ASSERT_NE(capture, nullptr);
        m_environment.inputCapture = std::move(capture);
        AttachMouse();
        OpenMousePage("ms_macro_Op_tab");
    }

    void Press(KeySym symbol, bool down) {
        XTestFakeKeyEvent(m_display.get(), XKeysymToKeycode(m_display.get(), symbol),
                          down ? True : False, 0);
        XSync(m_display.get(), False);
    }
    [[nodiscard]] int RecordedRows() const {
        return dynamic_cast<ui::CListUI*>(Find(MacroControls::kActionList))->GetCount();
    }
};

TEST_F(MacroRecordingEndToEndTest, CtrlCTypedOnTheDesktopReachesTheMouseOnTheBackButton) {
    ASSERT_TRUE(Driver().Click(MacroControls::kAddButton));
    ASSERT_TRUE(Driver().Click(MacroControls::kRecordButton));
    ASSERT_TRUE(m_window->DeviceHook().IsInstalled());
    Press(XK_Control_L, true);
    Press(XK_c, true);
    Press(XK_c, false);
    Press(XK_Control_L, false);
    ASSERT_TRUE(RunUntil([this] { return RecordedRows() == 4; }));
    ASSERT_TRUE(Driver().Click(MacroControls::kRecordButton));
    EXPECT_FALSE(m_window->DeviceHook().IsInstalled());
    ASSERT_TRUE(Driver().Click(MacroControls::kSaveButton));

    const keys::MacroStore store(m_folder / "ms");
    const std::vector<keys::MacroAction> actions = store.LoadMacroActions(0);
    ASSERT_EQ(actions.size(), 4U);
    // Left Ctrl down and C down, C up and Left Ctrl up: code and value.
    const std::vector<std::pair<int, int>> expected{
        {0x89, 0x01}, {0x8A, 0x06}, {0x0A, 0x06}, {0x09, 0x01}};
    for (std::size_t index = 0; index < actions.size(); ++index) {
        EXPECT_EQ(actions[index].code, expected[index].first) << index;
        EXPECT_EQ(actions[index].value, expected[index].second) << index;
    }

    // The macro on the back button (key 4), and everything sent.
    ASSERT_TRUE(Driver().Click("ms_key_Op_tab"));
    ASSERT_TRUE(Driver().Click("ms_key_4"));
    ASSERT_TRUE(Driver().SelectComboItem("ms_key_fct_combo", 9));
    ASSERT_TRUE(Driver().SelectComboItem("ms_key_fct_combo_23", 0));
    ASSERT_TRUE(Driver().Click("ms_key_butt_prosave"));
    ASSERT_TRUE(RunUntil([this] { return !Find("setting_progress")->IsVisible(); }));

    const auto table = keys::BuildMacroTable(store.LoadAllMacros());
    ASSERT_TRUE(table.has_value());
    const std::vector<std::uint8_t> memory = m_mouse->MacroTable();
    ASSERT_GE(memory.size(), table->size());
    EXPECT_TRUE(std::equal(table->begin(), table->end(), memory.begin()));
    const std::size_t active = m_window->Mirror().settingsRecord.ActiveProfile();
    const auto keyBlock = m_mouse->StoredKeyBlock(active);
    EXPECT_TRUE(keyBlock[12] == 0x70 || keyBlock[12] == 0x71) << int{keyBlock[12]};
    EXPECT_EQ(keyBlock[13], 0x00);
}

}  // namespace
}  // namespace varlok::app
