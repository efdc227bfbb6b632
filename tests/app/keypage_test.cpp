// The key section's labels: the seven key controls show the functions of
// the active onboard profile's keys after the mouse was read, and follow a
// switch of onboard profile.

#include <gtest/gtest.h>

#include <array>
#include <string>

#include "app/support/mainwindowfixture.h"
#include "ui/controlui.h"
#include "ui/trayicon.h"

namespace varlok::app {
namespace {

class KeyPageTest : public testing::MainWindowFixture {
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
                EXPECT_TRUE(control->IsResourceText()) << key;
                EXPECT_EQ(control->GetToolTip(), control->GetText()) << key;
                labels[key] = control->GetText();
            }
        }
        return labels;
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

}  // namespace
}  // namespace varlok::app
