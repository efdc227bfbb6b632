// The key section: labels of the seven keys, the function editor writing the
// active onboard profile's key slot, restore default, the key capture, and
// the send button's uploads in their order.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <functional>
#include <string>
#include <vector>

#include "app/support/mainwindowfixture.h"
#include "app/support/pageharness.h"
#include "keys/keyfunction.h"
#include "keys/macrofile.h"
#include "keys/macrostore.h"
#include "keys/page/devicehook.h"
#include "keys/page/keypage.h"
#include "platform/fakeinputcapture.h"
#include "ui/comboui.h"
#include "ui/controlui.h"
#include "ui/notify.h"
#include "ui/trayicon.h"

namespace varlok::app {
namespace {

using keys::KeyFunction;

constexpr std::size_t kForward = 3;

class KeyPageTest : public testing::MainWindowFixture {
public:
    // What the user does: clears an edit and types text into it; picks a
    // combo's item.
    void Retype(const std::string& edit, const std::string& text) {
        ASSERT_TRUE(Driver().ClearText(edit)) << edit;
        ASSERT_TRUE(Driver().Type(edit, text)) << edit;
    }
    // Text pasted over the edit's whole text.
    void Paste(const std::string& edit, const std::string& text) {
        ui::CControlUI* control = Find(edit);
        control->SetText(text);
        ui::TNotifyUI changed{std::string(ui::msgtype::kTextChanged), control, 0, 0};
        m_window->Notify(changed);
    }
    void Choose(const std::string& combo, int index) {
        ASSERT_TRUE(Driver().SelectComboItem(combo, index)) << combo;
    }
    [[nodiscard]] platform::FakeInputCapture& Keyboard() const {
        return dynamic_cast<platform::FakeInputCapture&>(m_window->DeviceHook().Capture());
    }

protected:
    void SetUp() override {
        MainWindowFixture::SetUp();
        ui::CTrayIcon::OverrideSystemTrayAvailable(false);
        AttachMouse();
    }

    [[nodiscard]] std::array<std::string, 7> Labels() const {
        std::array<std::string, 7> labels;
        for (std::size_t key = 0; key < labels.size(); ++key) {
            const ui::CControlUI* control = Find("ms_key_" + std::to_string(key));
            EXPECT_NE(control, nullptr) << key;
            if (control != nullptr) {
                EXPECT_EQ(control->GetToolTip(), control->GetText()) << key;
                labels[key] = control->GetText();
            }
        }
        return labels;
    }
    [[nodiscard]] KeyFunction Entry(std::size_t key) const {
        const settings::KeySlot& slot =
            m_window->Mirror().keySlots[m_window->Mirror().settingsRecord.ActiveProfile()];
        return keys::KeyEntry(slot, key);
    }
    // Two macros in the store, and the pages told so.
    void AddTwoMacros() {
        keys::MacroStore store(m_folder / "ms");
        ASSERT_EQ(store.AddMacro().status, keys::MacroStoreStatus::Done);
        ASSERT_EQ(store.AddMacro().status, keys::MacroStoreStatus::Done);
        m_window->Model().Notify(settings::MouseChange::MacroList);
    }
};

TEST_F(KeyPageTest, KeysShowTheActiveProfilesFunctionsAndFollowAProfileSwitch) {
    OpenMousePage("ms_key_Op_tab");
    // Profile 0 holds the keys of the default device profile, sent when the
    // mouse arrived: the second DPI key has no function there.
    EXPECT_EQ(Labels(),
              (std::array<std::string, 7>{"mouse_key_left", "mouse_key_middle", "mouse_key_right",
                                          "mouse_key_forward", "mouse_key_back",
                                          "mouse_key_DPI_loop", "close_text"}));

    // Profile 1 kept the mouse's factory keys (its second DPI key raises the
    // DPI), here with four keys changed: volume up, an unknown code, a code
    // the program only carries (its key keeps the label it had), a cursor
    // script.
    settings::KeySlot& slot = m_window->Mirror().keySlots[1];
    const std::array<std::uint8_t, 12> keys{0x30, 0xE9, 0x00, 0x05, 0x05, 0x05,
                                            0x15, 0x01, 0x02, 0x72, 0x02, 0x00};
    std::ranges::copy(keys, slot.begin());
    ASSERT_TRUE(Driver().Click("ms_profile_1"));
    ASSERT_TRUE(RunUntil([this] { return Labels()[0] == "media_vol_add"; }));
    EXPECT_EQ(Labels(), (std::array<std::string, 7>{"media_vol_add", "close_text",
                                                    "mouse_key_right", "GUN_3", "mouse_key_back",
                                                    "mouse_key_DPI_loop", "mouse_key_DPI_add"}));
}

struct CategoryCase {
    int category;
    // What the user does in the category's sub-page after choosing it.
    std::function<void(KeyPageTest&)> edit;
    KeyFunction code;
    std::string label;
};

TEST_F(KeyPageTest, EveryCategoryWritesItsCodeIntoTheActiveSlotAndLabelsTheKey) {
    OpenMousePage("ms_key_Op_tab");
    AddTwoMacros();
    const std::vector<CategoryCase> cases = {
        {1,
         [](KeyPageTest& t) { t.Choose("ms_key_fct_combo_11", 2); },
         {0x10, 0x02, 0x00},
         "mouse_key_right"},
        {2,
         [](KeyPageTest& t) {
             t.Choose("ms_key_fct_combo_12", 1);
             t.Retype("ms_key_fct_edit_15", "5");
             t.Retype("ms_key_fct_edit_17", "2");
             t.Retype("ms_key_fct_edit_20", "3");
         },
         {0x11, 0x23, 0x85},
         "mouse_key_right_Swing"},
        {3,
         [](KeyPageTest& t) {
             t.Choose("ms_key_fct_combo_13", 0);
             t.Retype("ms_key_fct_edit_16", "200");
             t.Retype("ms_key_fct_edit_18", "20");
             t.Retype("ms_key_fct_edit_19", "1");
         },
         {0x12, 0xF1, 0x7F},
         "mouse_key_up_Swing"},
        {4,
         [](KeyPageTest& t) { t.Choose("ms_key_fct_combo_14", 1); },
         {0x13, 0x02, 0x00},
         "mouse_key_DPI_sub"},
        {5,
         [](KeyPageTest& t) {
             t.Retype("ms_key_fct_edit_11", "300");
             t.Retype("ms_key_fct_edit_12", "7");
         },
         {0x14, 0xFF, 0x07},
         "mouse_key_fire_key"},
        {6,
         [](KeyPageTest& t) {
             t.Keyboard().Type({0x100, 0x41, 0});
         },
         {0x20, 0x00, 0x04},
         "keyboard_key_A"},
        {7,
         [](KeyPageTest& t) { t.Choose("ms_key_fct_combo_21", 6); },
         {0x30, 0xE9, 0x00},
         "media_vol_add"},
        {8,
         [](KeyPageTest& t) { t.Choose("ms_key_fct_combo_22", 1); },
         {0x40, 0x02, 0x00},
         "system_sleep"},
        {9,
         [](KeyPageTest& t) {
             t.Choose("ms_key_fct_combo_23", 1);
             t.Choose("ms_key_fct_combo_24", 4);
             t.Paste("ms_key_fct_edit_25", "0");
         },
         {0x71, 0x01, 0x01},
         "name_2"},
        {10,
         [](KeyPageTest& t) { t.Choose("ms_key_fct_combo_25", 2); },
         {0x72, 0x02, 0x00},
         "GUN_3"},
        {11,
         [](KeyPageTest& t) { t.Choose("ms_key_fct_combo_26", 4); },
         {0x20, 0x01, 0x06},
         "combo_copy"},
        {12, [](KeyPageTest&) {}, {0xA0, 0x01, 0x00}, "mouse_key_led_mode"},
        // Last: the forward key goes back to its factory entry.
        {0, [](KeyPageTest&) {}, {0x10, 0x10, 0x00}, "mouse_key_forward"},
    };
    ASSERT_TRUE(Driver().Click("ms_key_3"));
    for (const CategoryCase& c : cases) {
        SCOPED_TRACE(c.category);
        Choose("ms_key_fct_combo", c.category);
        ASSERT_EQ(dynamic_cast<ui::CComboUI*>(Find("ms_key_fct_combo"))->GetCurSel(), c.category);
        ASSERT_TRUE(Find("ms_tab_function_" + std::to_string(c.category))->IsVisible());
        c.edit(*this);
        EXPECT_EQ(Entry(kForward), c.code);
        EXPECT_EQ(Labels()[kForward], c.label);
        // Shown again, the key opens on the same category.
        ASSERT_TRUE(Driver().Click("ms_key_1"));
        ASSERT_TRUE(Driver().Click("ms_key_3"));
        EXPECT_EQ(dynamic_cast<ui::CComboUI*>(Find("ms_key_fct_combo"))->GetCurSel(), c.category);
    }
    EXPECT_EQ(Find("ms_key_fct_edit_11")->GetText(), "255");
    EXPECT_EQ(Find("ms_key_fct_edit_25")->GetText(), "1");
    // The other keys kept theirs; no key block or table went to the mouse
    // (lighting frames and a late flush of the record may have).
    EXPECT_EQ(Entry(1), (KeyFunction{0x10, 0x04, 0x00}));
    for (const settings::testing::Request& request :
         settings::testing::NonFrameRequests(*m_mouse)) {
        EXPECT_EQ(request.command, 0x06) << int{request.command};
    }
}

TEST_F(KeyPageTest, RunModesShowTheCountOnlyForTheCountedModeAndTheComboFollowsTheList) {
    OpenMousePage("ms_key_Op_tab");
    AddTwoMacros();
    ASSERT_TRUE(Driver().Click("ms_key_4"));
    Choose("ms_key_fct_combo", 9);
    Choose("ms_key_fct_combo_23", 1);
    Choose("ms_key_fct_combo_24", 4);
    EXPECT_TRUE(Find("ms_tab_function_26")->IsVisible());
    Choose("ms_key_fct_combo_24", 2);
    EXPECT_FALSE(Find("ms_tab_function_26")->IsVisible());
    EXPECT_EQ(Entry(4), (KeyFunction{0x70, 0x01, 0x02}));
    // Macro 2 renamed on disk: the combo and the key's label follow.
    keys::MacroStore store(m_folder / "ms");
    ASSERT_EQ(store.RenameMacro(1, "Reload").status, keys::MacroStoreStatus::Done);
    m_window->Model().Notify(settings::MouseChange::MacroList);
    auto* combo = dynamic_cast<ui::CComboUI*>(Find("ms_key_fct_combo_23"));
    EXPECT_EQ(combo->GetText(), "Reload");
    EXPECT_EQ(Labels()[4], "Reload");
    for (int item = 0; item < combo->GetCount(); ++item) {
        EXPECT_EQ(combo->GetItemAt(item)->GetFixedHeight(), 30) << item;
    }
}

TEST_F(KeyPageTest, DefaultTakesTheFactoryEntryAndTheOnlyLeftButtonStaysLocked) {
    // The mouse's factory map gives the forward key volume up.
    auto factory = m_mouse->FactoryKeyMap();
    factory[3 * kForward] = 0x30;
    factory[3 * kForward + 1] = 0xE9;
    factory[3 * kForward + 2] = 0x00;
    m_mouse->SetFactoryKeyMap(factory);
    OpenMousePage("ms_key_Op_tab");
    ASSERT_TRUE(Driver().Click("ms_key_3"));
    Choose("ms_key_fct_combo", 4);
    ASSERT_EQ(Entry(kForward), (KeyFunction{0x13, 0x01, 0x00}));
    ASSERT_TRUE(Driver().Click("ms_key_butt_keydefalut"));
    EXPECT_EQ(Entry(kForward), (KeyFunction{0x30, 0xE9, 0x00}));
    EXPECT_EQ(Labels()[kForward], "media_vol_add");
    EXPECT_EQ(dynamic_cast<ui::CComboUI*>(Find("ms_key_fct_combo"))->GetCurSel(), 0);

    // The pointer over a key lights its part of the picture.
    ASSERT_TRUE(Driver().Hover("ms_key_6"));
    EXPECT_EQ(Find("ms_key_6_0")->GetBkImage(), "file='ms/key_dpi1_down.png'");
    ASSERT_TRUE(Driver().Leave("ms_key_6"));
    EXPECT_EQ(Find("ms_key_6_0")->GetBkImage(), "file='ms/key_dpi1_normal.png'");

    std::string shown;
    testing::AnswerMessage(shown);
    ASSERT_TRUE(Driver().Click("ms_key_0"));
    EXPECT_EQ(shown, "message_text_6");
    EXPECT_FALSE(Find("ms_tab_function")->IsEnabled());
    // Another key made a left button frees the first.
    ASSERT_TRUE(Driver().Click("ms_key_4"));
    Choose("ms_key_fct_combo", 1);
    Choose("ms_key_fct_combo_11", 0);
    ASSERT_TRUE(Driver().Click("ms_key_0"));
    EXPECT_TRUE(Find("ms_tab_function")->IsEnabled());
}

TEST_F(KeyPageTest, TheCaptureTakesKeyboardKeysOnlyWhileTheKeyboardCategoryIsChosen) {
    OpenMousePage("ms_key_Op_tab");
    ASSERT_TRUE(Driver().Click("ms_key_4"));
    Choose("ms_key_fct_combo", 6);
    ASSERT_EQ(m_window->DeviceHook().Mode(), keys::HookMode::SingleKey);
    // Nothing captured yet: nothing written.
    EXPECT_EQ(Entry(4), (KeyFunction{0x10, 0x08, 0x00}));
    // The keypad's Enter (extended), pressed and released.
    EXPECT_TRUE(Keyboard().Type({0x100, 0x0D, platform::kCapturedKeyExtended}));
    EXPECT_TRUE(Keyboard().Type({0x101, 0x0D, 0x81}));
    EXPECT_EQ(Entry(4), (KeyFunction{0x20, 0x00, 0x58}));
    EXPECT_EQ(Find("ms_key_fct_edit_21")->GetText(), "keyboard_key_Num Enter");
    // A media key has no keyboard-key row: nothing changes.
    EXPECT_TRUE(Keyboard().Type({0x100, 0xAF, 0}));
    EXPECT_EQ(Entry(4), (KeyFunction{0x20, 0x00, 0x58}));
    // On the forward key the category holds no key captured for the back
    // key: choosing it and applying leave the forward key as it was.
    ASSERT_TRUE(Driver().Click("ms_key_3"));
    EXPECT_FALSE(m_window->DeviceHook().IsInstalled()) << "the forward key shows no key";
    Choose("ms_key_fct_combo", 6);
    ASSERT_TRUE(Driver().Click("ms_key_butt_keysave"));
    EXPECT_EQ(Entry(3), (KeyFunction{0x10, 0x10, 0x00}));
    EXPECT_EQ(Find("ms_key_fct_edit_21")->GetText(), "");
    ASSERT_TRUE(Driver().Click("ms_key_4"));
    // Another category ends the capture; keys typed then reach nothing.
    Choose("ms_key_fct_combo", 4);
    EXPECT_FALSE(m_window->DeviceHook().IsInstalled());
    EXPECT_FALSE(Keyboard().Type({0x100, 0x41, 0}));
    // A keyboard key shown again starts it; another section ends it.
    ASSERT_TRUE(Driver().Click("ms_key_1"));
    Choose("ms_key_fct_combo", 6);
    EXPECT_TRUE(Keyboard().Type({0x100, 0x41, 0}));
    ASSERT_TRUE(Driver().Click("ms_key_4"));
    ASSERT_TRUE(Driver().Click("ms_key_1"));
    EXPECT_TRUE(m_window->DeviceHook().IsInstalled());
    ASSERT_TRUE(Driver().Click("ms_cursor_Op_tab"));
    EXPECT_FALSE(m_window->DeviceHook().IsInstalled());
}

TEST_F(KeyPageTest, SendPutsScriptsMacrosThenTheKeySlotOnTheWireAndShowsTheProgress) {
    OpenMousePage("ms_key_Op_tab");
    AddTwoMacros();
    ASSERT_TRUE(Driver().Click("ms_key_4"));
    Choose("ms_key_fct_combo", 9);
    Choose("ms_key_fct_combo_23", 1);
    m_mouse->ClearLog();
    ASSERT_TRUE(Driver().Click("ms_key_butt_prosave"));
    EXPECT_TRUE(Find("setting_progress")->IsVisible());

    // The commands of the host's requests, in order.
    std::vector<std::uint8_t> commands;
    for (const settings::testing::Request& request :
         settings::testing::NonFrameRequests(*m_mouse)) {
        commands.push_back(request.command);
    }
    const auto first = [&](std::uint8_t command) {
        return std::ranges::find(commands, command) - commands.begin();
    };
    const auto last = [&](std::uint8_t command) {
        return commands.rend() - std::ranges::find(commands.rbegin(), commands.rend(), command);
    };
    ASSERT_LT(first(0x17), static_cast<std::ptrdiff_t>(commands.size())) << "cursor table";
    ASSERT_LT(first(0x15), static_cast<std::ptrdiff_t>(commands.size())) << "macro table";
    EXPECT_LT(last(0x17), first(0x15));
    EXPECT_LT(last(0x15), first(0x09)) << "the key slot goes last";
    EXPECT_EQ(commands.back(), 0x02);
    const std::size_t active = m_window->Mirror().settingsRecord.ActiveProfile();
    const auto stored = m_mouse->StoredKeyBlock(active);
    EXPECT_EQ(stored[12], 0x70);
    EXPECT_EQ(stored[13], 0x01);
    ASSERT_TRUE(RunUntil([this] { return !Find("setting_progress")->IsVisible(); }));
}

TEST_F(KeyPageTest, ScriptsTooLongForTheMouseStopTheSendWithAMessage) {
    OpenMousePage("ms_key_Op_tab");
    AddTwoMacros();
    // 39 actions more than the four scripts' 720: 3076 bytes, above 3072.
    const std::filesystem::path script = m_folder / "ms" / "name_4.cur";
    std::vector<keys::MacroAction> actions = keys::ReadMacroFile(script).actions;
    actions.resize(actions.size() + 39);
    ASSERT_EQ(keys::WriteMacroFile(script, actions), platform::IniWriteResult::Ok);
    m_mouse->ClearLog();
    std::string shown;
    testing::AnswerMessage(shown);
    ASSERT_TRUE(Driver().Click("ms_key_butt_prosave"));
    EXPECT_EQ(shown, "message_cursor_table_too_long");
    // Neither scripts nor macros nor keys went to the mouse.
    for (const settings::testing::Request& request :
         settings::testing::NonFrameRequests(*m_mouse)) {
        EXPECT_EQ(request.command, 0x06) << int{request.command};
    }
    ASSERT_TRUE(RunUntil([this] { return !Find("setting_progress")->IsVisible(); }));
}

// The section without the window: a function goes into the active key slot
// through the model at once, and to the mouse and the device profile only
// with the send button (the key profile is not saved).
TEST(KeySectionTest, AFunctionReachesTheSlotAtOnceAndTheMouseAndDeviceProfileWhenSent) {
    using Strings = std::vector<std::string>;
    testing::PageHarness page;
    page.Add<keys::KeyPage>();
    page.Initialise();
    ASSERT_TRUE(page.Tick("ms_key_3", true));
    ASSERT_TRUE(page.Choose("ms_key_fct_combo", 7));
    ASSERT_TRUE(page.Choose("ms_key_fct_combo_21", 6));
    const KeyFunction volumeUp{0x30, 0xE9, 0x00};
    EXPECT_EQ(keys::KeyEntry(page.Mirror().keySlots[0], kForward), volumeUp);
    EXPECT_EQ(page.Text("ms_key_3"), "media_vol_add");
    EXPECT_EQ(page.Model().Pending(), settings::Touch::KeySlots);
    page.Commit();
    EXPECT_TRUE(page.TakeRequests().empty());
    EXPECT_TRUE(page.TakeSaves().empty());

    // No scripts or macros yet: the key block's window read and written
    // back inside one transfer, then the device profile saved.
    ASSERT_TRUE(page.Click("ms_key_butt_prosave"));
    Strings expected{"01 len 0 @0"};
    for (const char* command : {"08", "09"}) {
        for (unsigned at = 0; at < 512; at += 56) {
            expected.push_back(std::string(command) + " len " +
                               std::to_string(std::min(56U, 512 - at)) + " @" + std::to_string(at));
        }
    }
    expected.push_back("02 len 0 @0");
    EXPECT_EQ(settings::testing::Summaries(page.TakeRequests()), expected);
    const auto block = page.Mouse().StoredKeyBlock(0);
    EXPECT_EQ(keys::KeyEntry(block, kForward), volumeUp);
    EXPECT_EQ(page.TakeSaves(), Strings{"device"});
    const std::string config = page.FileBytes("profile1.config");
    ASSERT_GE(config.size(), 16U + 512U);
    EXPECT_EQ(std::string(config.begin() + 16, config.begin() + 16 + 512),
              std::string(block.begin(), block.end()));
    EXPECT_EQ(page.Model().Pending(), settings::Touch::None);
}

}  // namespace
}  // namespace varlok::app
