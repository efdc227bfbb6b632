// Notices that come and go never move the controls around them: a click
// aimed at a button while one appears must land on that button.

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "app/mainwindowmessages.h"
#include "app/support/mainwindowfixture.h"
#include "ui/containerui.h"
#include "ui/controlui.h"
#include "ui/paintmanagerui.h"
#include "ui/trayicon.h"

namespace varlok::app {
namespace {

std::string Text(const ui::UiRect& rc) {
    return std::to_string(rc.left) + "," + std::to_string(rc.top) + "," + std::to_string(rc.right) +
           "," + std::to_string(rc.bottom);
}

// Every visible control's place, by its path from the root (names where
// they have one).
using Places = std::map<std::string, ui::UiRect>;

void CollectPlaces(const ui::CControlUI& control, const std::string& path, Places& places) {
    if (!control.IsVisible()) {
        return;
    }
    places[path] = control.GetPos();
    if (const auto* container = dynamic_cast<const ui::CContainerUI*>(&control)) {
        for (int i = 0; i < container->GetCount(); ++i) {
            const ui::CControlUI& child = *container->GetItemAt(i);
            CollectPlaces(
                child, path + "/" + (child.GetName().empty() ? std::to_string(i) : child.GetName()),
                places);
        }
    }
}

class SectionLayoutTest : public testing::MainWindowFixture {
protected:
    void SetUp() override {
        MainWindowFixture::SetUp();
        ui::CTrayIcon::OverrideSystemTrayAvailable(false);
        AttachMouse();
        OpenMousePage("ms_key_Op_tab");
    }

    Places Now() const {
        m_window->GetPaintManager().UpdateLayout();
        Places places;
        CollectPlaces(*m_window->GetPaintManager().GetRoot(), "root", places);
        return places;
    }

    // The controls shown both times that moved.
    static std::string Moved(const Places& before, const Places& after) {
        std::string moved;
        for (const auto& [path, place] : before) {
            const auto it = after.find(path);
            if (it != after.end() && it->second != place) {
                moved += path + ": " + Text(place) + " -> " + Text(it->second) + "\n";
            }
        }
        return moved;
    }
};

TEST_F(SectionLayoutTest, TheStatusLineAndTheUnsavedBarMoveNothing) {
    const Places buttons = Now();
    m_window->SendMessage(MessageNumber(WindowMessage::SaveStarted));
    ASSERT_TRUE(Find("setting_progress")->IsVisible());
    EXPECT_EQ(Moved(buttons, Now()), "");

    ASSERT_TRUE(Driver().Click("ms_macro_Op_tab"));
    ASSERT_TRUE(Driver().Click("ms_macro_btn_name_add"));
    const Places macros = Now();
    ASSERT_TRUE(Driver().Click("ms_macro_btn_redio"));  // recording: unsaved
    ASSERT_TRUE(Find("ms_macro_tab_saveorcancel")->IsVisible());
    EXPECT_EQ(Moved(macros, Now()), "");
    ASSERT_TRUE(Driver().Click("ms_macro_btn_redio"));
}

}  // namespace
}  // namespace varlok::app
