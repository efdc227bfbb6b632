#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

#include "keys/keyfunction.h"

namespace varlok::keys {

// The categories of the key page's category combo, by their index there.
enum class KeyCategory : std::uint8_t {
    Default = 0,
    MouseButton = 1,
    HorizontalSwing = 2,
    VerticalSwing = 3,
    Dpi = 4,
    FireKey = 5,
    KeyboardKey = 6,
    Multimedia = 7,
    System = 8,
    Macro = 9,
    CursorScript = 10,
    Shortcut = 11,
    DeviceFunction = 12,
};
inline constexpr std::size_t kKeyCategoryCount = 13;

// The category code the page keeps for a category (0 for default).
[[nodiscard]] std::uint8_t CategoryCode(KeyCategory category);

// A swing's editor: the direction combo (0 left or up, 1 right or down), the
// amount edit and the two nibble edits.
struct SwingFields {
    int direction = 0;
    int amount = 0;
    int highNibble = 0;
    int lowNibble = 0;

    friend bool operator==(const SwingFields&, const SwingFields&) = default;
};

// What the key page's function editor holds: the chosen category and every
// category's fields (combos by selected index, edits by the number typed).
// The page shows it in its controls; this model turns it into a code and a
// code back into it.
struct KeyFunctionEditor {
    // The macro list's run mode that repeats a macro a counted number of
    // times (the code is then 0x71 with the count).
    static constexpr int kCountedRunMode = 4;

    KeyCategory category = KeyCategory::Default;
    int mouseButton = 0;       // ms_key_fct_combo_11
    SwingFields horizontal{};  // _combo_12, _edit_15, _edit_17, _edit_20
    SwingFields vertical{};    // _combo_13, _edit_16, _edit_18, _edit_19
    int dpi = 0;               // _combo_14
    int fireFirst = 0;         // _edit_11
    int fireSecond = 0;        // _edit_12
    // The captured (or shown) key of the keyboard-key category; _edit_21
    // shows its name and is empty while there is none.
    std::optional<KeyFunction> keyboardKey{};
    int multimedia = 0;          // _combo_21
    int system = 0;              // _combo_22
    std::optional<int> macro{};  // _combo_23 (the device's macro list)
    int runMode = 0;             // _combo_24
    int repeatCount = 1;         // _edit_25
    int cursorScript = 0;        // _combo_25
    int shortcut = 0;            // _combo_26

    friend bool operator==(const KeyFunctionEditor&, const KeyFunctionEditor&) = default;
};

// ApplyKeyFunction's encoding: the code the editor's category builds.
// factoryEntry is the key's FactoryKeyMap entry (the "default" category).
// Edits give their low byte. std::nullopt (nothing is written) while the
// keyboard-key category has no key, no macro is chosen, or a combo's index
// lies outside its list.
[[nodiscard]] std::optional<KeyFunction> EncodeKeyFunction(const KeyFunctionEditor& editor,
                                                           const KeyFunction& factoryEntry);

// ShowKeyFunction's decoding: puts a key's code into the editor. A code
// equal to the key's factory entry shows the default category. Fields the
// code does not name keep their values, as does the whole editor for a type
// no editor builds. macroCount is the number of entries of the macro list:
// a macro index that it does not hold clears the macro choice.
void DecodeKeyFunction(const KeyFunction& code, const KeyFunction& factoryEntry,
                       std::size_t macroCount, KeyFunctionEditor& editor);

}  // namespace varlok::keys
