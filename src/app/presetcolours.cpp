#include "app/presetcolours.h"

#include <algorithm>
#include <cstdint>

namespace varlok::app {

namespace {

struct Rgb {
    std::uint8_t red;
    std::uint8_t green;
    std::uint8_t blue;
};

// The swatches in index order, as red, green, blue.
constexpr std::array<Rgb, kPresetColourCount> kPresets{{
    {255, 0, 0},     {0, 246, 255},  {108, 255, 0},   {126, 0, 255},   {0, 138, 255},
    {36, 0, 255},    {173, 254, 0},  {254, 84, 0},    {254, 131, 0},   {131, 0, 231},
    {183, 0, 172},   {254, 179, 0},  {254, 245, 0},   {255, 0, 0},     {255, 0, 246},
    {33, 179, 9},    {72, 177, 250}, {250, 72, 164},  {253, 253, 252}, {73, 0, 231},
    {255, 196, 128}, {0, 0, 0},      {27, 72, 163},   {27, 26, 119},   {72, 119, 163},
    {118, 163, 72},  {172, 213, 91}, {117, 118, 210}, {118, 117, 255}, {71, 118, 164},
}};

constexpr std::array<ui::Argb, kPresetColourCount> MakeTable() {
    std::array<ui::Argb, kPresetColourCount> table{};
    for (std::size_t i = 0; i < kPresets.size(); ++i) {
        table[i] = ui::MakeArgb(0xFF, kPresets[i].red, kPresets[i].green, kPresets[i].blue);
    }
    return table;
}

constexpr std::array<ui::Argb, kPresetColourCount> kTable = MakeTable();

}  // namespace

const std::array<ui::Argb, kPresetColourCount>& PresetColours() {
    return kTable;
}

std::optional<ui::Argb> PresetColour(int index) {
    if (index < 0 || static_cast<std::size_t>(index) >= kTable.size()) {
        return std::nullopt;
    }
    return kTable[static_cast<std::size_t>(index)];
}

std::optional<int> PresetColourIndex(ui::Argb colour) {
    const ui::Argb rgb = colour & 0x00FFFFFFu;
    const auto it = std::ranges::find_if(
        kTable, [rgb](ui::Argb entry) { return (entry & 0x00FFFFFFu) == rgb; });
    if (it == kTable.end()) {
        return std::nullopt;
    }
    return static_cast<int>(it - kTable.begin());
}

}  // namespace varlok::app
