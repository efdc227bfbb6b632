#include "app/palletdialog.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/presetcolours.h"
#include "dialogtestsupport.h"
#include "ui/colorpaletteui.h"
#include "ui/controlui.h"

namespace varlok::app {
namespace {

using ui::test::UiDriver;

constexpr ui::Argb kInitial = 0xFF123456u;
constexpr ui::UiPoint kCursor{300, 200};

class PalletDialogTest : public testing::DialogTest {};

TEST_F(PalletDialogTest, OkWithoutTouchingAnythingReturnsTheInitialColour) {
    ui::Argb shown = 0;
    std::string shownText;
    ui::UiRect placed;
    UiDriver::AnswerNextModal([&](UiDriver& dialog) {
        shown = dialog.Find("color_show_btn")->GetBkColor();
        shownText = dialog.Find("color_value_text")->GetShownText();
        placed = dialog.Window().GetWindowRect();
        dialog.Click("okbtn");
    });
    EXPECT_EQ(CPalletDialog::Pick(Owner(), kInitial, kCursor), kInitial);
    EXPECT_EQ(shown, kInitial);
    EXPECT_EQ(shownText, "#123456");
    // Opened 20 pixels left of and 20 pixels below the pointer.
    EXPECT_EQ(placed.left, kCursor.x - 20);
    EXPECT_EQ(placed.top, kCursor.y + 20);
}

TEST_F(PalletDialogTest, ASwatchThenOkReturnsThatPreset) {
    ui::Argb shown = 0;
    UiDriver::AnswerNextModal([&](UiDriver& dialog) {
        dialog.Click("ms_dpi_color_png_7");
        shown = dialog.Find("color_show_btn")->GetBkColor();
        dialog.Click("okbtn");
    });
    EXPECT_EQ(CPalletDialog::Pick(Owner(), kInitial, kCursor), PresetColours()[7]);
    EXPECT_EQ(shown, PresetColours()[7]);
}

TEST_F(PalletDialogTest, ClosingLeavesTheInitialColour) {
    for (const char* way : {"closebtn", "Pallet_BTN_CANCEL"}) {
        SCOPED_TRACE(way);
        CPalletDialog dialog(std::string(CPalletDialog::kDpiColourLayout), kInitial);
        ASSERT_TRUE(dialog.Create(&Owner(), CPalletDialog::kTitle));
        UiDriver::AnswerNextModal([way](UiDriver& box) {
            box.Click("ms_dpi_color_png_3");
            box.Click(way);
        });
        EXPECT_EQ(dialog.ShowModal(), CPalletDialog::kCancelled);
        EXPECT_EQ(dialog.GetColor(), kInitial);
    }
    UiDriver::AnswerNextModal([](UiDriver& box) {
        box.Click("ms_dpi_color_png_3");
        box.Click("closebtn");
    });
    EXPECT_FALSE(CPalletDialog::Pick(Owner(), kInitial, kCursor));
}

TEST_F(PalletDialogTest, APaletteChoiceIsShownAndTaken) {
    ui::Argb picked = 0;
    ui::Argb shown = 0;
    UiDriver::AnswerNextModal([&](UiDriver& dialog) {
        ASSERT_TRUE(dialog.PickPaletteColour("Pallet", 0.2, 0.3));
        picked = dialog.Window()
                     .GetPaintManager()
                     .FindControl<ui::CColorPaletteUI>("Pallet")
                     ->GetSelectColor();
        shown = dialog.Find("color_show_btn")->GetBkColor();
        dialog.Click("okbtn");
    });
    const auto chosen = CPalletDialog::Pick(Owner(), kInitial, kCursor);
    EXPECT_NE(picked, kInitial);
    EXPECT_EQ(shown, picked);
    EXPECT_EQ(chosen, picked);
}

TEST_F(PalletDialogTest, OnlySwatchNamesThatNameAPresetPickOne) {
    std::vector<std::pair<std::string, ui::Argb>> shownAfter;
    UiDriver::AnswerNextModal([&](UiDriver& dialog) {
        for (const char* name : {"ms_dpi_color_png_30", "ms_dpi_color_png_x", "ms_dpi_color_png_-1",
                                 "ms_dpi_color_png_", "ms_dpi_colour_png_5", "dpi",
                                 "MS_DPI_Color_Png_11", "ms_dpi_color_png_29"}) {
            ASSERT_TRUE(dialog.Click(name)) << name;
            shownAfter.emplace_back(name, dialog.Find("color_show_btn")->GetBkColor());
        }
        dialog.Click("okbtn");
    });
    EXPECT_EQ(CPalletDialog::Pick(Owner(), kInitial, kCursor,
                                  testing::AppTestLayout("palletswatches.xml")),
              PresetColours()[29]);
    ASSERT_EQ(shownAfter.size(), 8u);
    for (std::size_t i = 0; i < 6; ++i) {
        EXPECT_EQ(shownAfter[i].second, kInitial) << shownAfter[i].first;
    }
    // The prefix is compared without regard to case.
    EXPECT_EQ(shownAfter[6].second, PresetColours()[11]);
    EXPECT_EQ(shownAfter[7].second, PresetColours()[29]);
}

TEST_F(PalletDialogTest, SwatchNumbersAreDecimalPresetIndexes) {
    EXPECT_EQ(CPalletDialog::SwatchIndex("ms_dpi_color_png_0"), 0);
    EXPECT_EQ(CPalletDialog::SwatchIndex("ms_dpi_color_png_29"), 29);
    EXPECT_EQ(CPalletDialog::SwatchIndex("MS_DPI_COLOR_PNG_07"), 7);
    for (const char* refused :
         {"ms_dpi_color_png_30", "ms_dpi_color_png_x", "ms_dpi_color_png_3x", "ms_dpi_color_png_ 3",
          "ms_dpi_color_png_+3", "ms_dpi_color_png_-0", "ms_dpi_color_png_", "ms_dpi_color_3",
          "xms_dpi_color_png_3", "ms_dpi_color_png3", "ms_dpi_color_png_99999999999", ""}) {
        EXPECT_FALSE(CPalletDialog::SwatchIndex(refused)) << refused;
    }
}

TEST_F(PalletDialogTest, MissingLayoutIsNotShown) {
    ui::ModalAnswers::Push([](ui::WindowImplBase& box) { box.Close(1); });
    EXPECT_FALSE(CPalletDialog::Pick(Owner(), kInitial, kCursor, "no_such_dialog.xml"));
    EXPECT_EQ(ui::ModalAnswers::Pending(), 1u);
}

}  // namespace
}  // namespace varlok::app
