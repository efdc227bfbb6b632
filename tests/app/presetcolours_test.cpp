#include "app/presetcolours.h"

#include <gtest/gtest.h>

#include <string>

#include "dialogtestsupport.h"
#include "ui/controlui.h"
#include "ui/dialogbuilder.h"
#include "ui/paintmanagerui.h"

namespace varlok::app {
namespace {

TEST(PresetColoursTest, EveryEntryIsOpaqueAndFoundAgainByItsColour) {
    const auto& table = PresetColours();
    ASSERT_EQ(table.size(), 30u);
    for (int i = 0; i < 30; ++i) {
        SCOPED_TRACE(i);
        const ui::Argb colour = table[static_cast<std::size_t>(i)];
        EXPECT_EQ(colour >> 24, 0xFFu);
        EXPECT_EQ(PresetColour(i), colour);
        // Entry 13 repeats the red of entry 0; the lookup answers the first.
        EXPECT_EQ(PresetColourIndex(colour), i == 13 ? 0 : i);
    }
}

TEST(PresetColoursTest, EntriesAsTheSwatchesShowThem) {
    EXPECT_EQ(PresetColours()[0], 0xFFFF0000u);
    EXPECT_EQ(PresetColours()[1], 0xFF00F6FFu);
    EXPECT_EQ(PresetColours()[18], 0xFFFDFDFCu);
    EXPECT_EQ(PresetColours()[21], 0xFF000000u);
    EXPECT_EQ(PresetColours()[29], 0xFF4776A4u);
}

TEST(PresetColoursTest, LookupsOutsideTheTableFindNothing) {
    EXPECT_FALSE(PresetColour(-1));
    EXPECT_FALSE(PresetColour(30));
    EXPECT_FALSE(PresetColourIndex(0xFF123456u));
    // The alpha byte does not take part in the reverse lookup.
    EXPECT_EQ(PresetColourIndex(0x00FE8300u), 8);
}

class PresetSwatchesTest : public testing::DialogTest {};

// The colour dialog's swatch n must show the colour that a click on it picks.
TEST_F(PresetSwatchesTest, TheColourDialogsSwatchesShowTheTable) {
    ui::CPaintManagerUI manager;
    ui::CDialogBuilder builder;
    auto root = builder.Create("GmPalletDialog.xml", nullptr, &manager, true);
    ASSERT_NE(root, nullptr) << builder.GetLastError();
    manager.AttachDialog(std::move(root));
    for (int i = 0; i < 30; ++i) {
        SCOPED_TRACE(i);
        const ui::CControlUI* swatch = manager.FindControl("ms_dpi_color_png_" + std::to_string(i));
        ASSERT_NE(swatch, nullptr);
        EXPECT_EQ(PresetColourIndex(swatch->GetBkColor()), i == 13 ? 0 : i);
        EXPECT_EQ(swatch->GetBkColor(), PresetColours()[static_cast<std::size_t>(i)]);
    }
    EXPECT_EQ(manager.FindControl("ms_dpi_color_png_30"), nullptr);
}

}  // namespace
}  // namespace varlok::app
