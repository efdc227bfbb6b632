#include "app/mainwindowlayouts.h"

#include <gtest/gtest.h>

#include <cctype>
#include <string>

namespace varlok::app {
namespace {

std::string Lower(std::string_view text) {
    std::string lower(text);
    for (char& c : lower) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return lower;
}

TEST(MainWindowLayouts, EveryClassIsFoundByItsNameInAnyCase) {
    for (const LayoutClass& entry : MainWindowLayoutClasses()) {
        SCOPED_TRACE(std::string(entry.className));
        for (const std::string& name : {std::string(entry.className), Lower(entry.className)}) {
            const auto found = FindLayoutClass(name);
            ASSERT_TRUE(found);
            EXPECT_EQ(found->className, entry.className);
            EXPECT_EQ(found->kind, entry.kind);
            EXPECT_EQ(found->file, entry.file);
        }
        EXPECT_EQ(entry.kind == LayoutClassKind::SubLayout, !entry.file.empty());
    }
}

TEST(MainWindowLayouts, TheMousePageSectionsAndTheCustomControls) {
    EXPECT_EQ(FindLayoutClass("ms_dpi_ui")->file, "Mouse_DPI.xml");
    EXPECT_EQ(FindLayoutClass("MS_Deng_UI")->file, "Mouse_deng.xml");
    EXPECT_EQ(FindLayoutClass("Ms_Macro_Ui")->file, "Mouse_macro.xml");
    EXPECT_EQ(FindLayoutClass("MS_KEY_UI")->file, "Mouse_key.xml");
    EXPECT_EQ(FindLayoutClass("ms_cursor_ui")->file, "Mouse_cursor.xml");
    EXPECT_EQ(FindLayoutClass("CIRCLEPROGRESS")->kind, LayoutClassKind::CircleProgress);
    EXPECT_EQ(FindLayoutClass("devicekeybutton")->kind, LayoutClassKind::DeviceKeyButton);
    for (const std::string_view unknown : {"", "MS_DPI", "MS_DPI_UI ", "KB_Key_UI", "Button"}) {
        EXPECT_FALSE(FindLayoutClass(unknown)) << unknown;
    }
}

}  // namespace
}  // namespace varlok::app
