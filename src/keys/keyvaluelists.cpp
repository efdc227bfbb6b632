#include "keys/keyvaluelists.h"

#include <algorithm>
#include <array>

namespace varlok::keys {

namespace {

using T = KeyFunctionType;

// Left Ctrl with a keyboard usage.
constexpr KeyFunction Shortcut(std::uint8_t usage) {
    return {T::KeyboardKey, 0x01, usage};
}
// A consumer-page usage, low byte first.
constexpr KeyFunction Consumer(std::uint16_t usage) {
    return {T::Multimedia, static_cast<std::uint8_t>(usage & 0xFF),
            static_cast<std::uint8_t>(usage >> 8)};
}

constexpr std::array kMouseButtons{
    KeyValue{{T::MouseButton, 0x01, 0x00}, "mouse_key_left"},
    KeyValue{{T::MouseButton, 0x04, 0x00}, "mouse_key_middle"},
    KeyValue{{T::MouseButton, 0x02, 0x00}, "mouse_key_right"},
    KeyValue{{T::MouseButton, 0x10, 0x00}, "mouse_key_forward"},
    KeyValue{{T::MouseButton, 0x08, 0x00}, "mouse_key_back"},
};

constexpr std::array kDpi{
    KeyValue{{T::Dpi, 0x01, 0x00}, "mouse_key_DPI_add"},
    KeyValue{{T::Dpi, 0x02, 0x00}, "mouse_key_DPI_sub"},
    KeyValue{{T::Dpi, 0x03, 0x00}, "mouse_key_DPI_loop"},
};

constexpr std::array kShortcuts{
    KeyValue{Shortcut(0x12), "combo_open"},       KeyValue{Shortcut(0x11), "combo_new"},
    KeyValue{Shortcut(0x1D), "combo_revocation"}, KeyValue{Shortcut(0x16), "combo_save"},
    KeyValue{Shortcut(0x06), "combo_copy"},       KeyValue{Shortcut(0x1B), "combo_cut"},
    KeyValue{Shortcut(0x19), "combo_paste"},      KeyValue{Shortcut(0x09), "combo_finde"},
    KeyValue{Shortcut(0x04), "combo_all"},        KeyValue{Shortcut(0x2D), "combo_narrow"},
    KeyValue{Shortcut(0x2E), "combo_magnify"},
};

constexpr std::array kMultimedia{
    KeyValue{Consumer(0x0183), "media_text"},    KeyValue{Consumer(0x00CD), "media_play"},
    KeyValue{Consumer(0x00B7), "media_stop"},    KeyValue{Consumer(0x00B6), "media_prev"},
    KeyValue{Consumer(0x00B5), "media_next"},    KeyValue{Consumer(0x00EA), "media_vol_sub"},
    KeyValue{Consumer(0x00E9), "media_vol_add"}, KeyValue{Consumer(0x00E2), "media_mute"},
    KeyValue{Consumer(0x0223), "web_text"},      KeyValue{Consumer(0x0227), "web_refresh"},
    KeyValue{Consumer(0x0226), "wed_stop"},      KeyValue{Consumer(0x0224), "wed_back"},
    KeyValue{Consumer(0x0225), "wed_forward"},   KeyValue{Consumer(0x022A), "wed_favorite"},
    KeyValue{Consumer(0x0221), "web_search"},    KeyValue{Consumer(0x0194), "media_mypc"},
    KeyValue{Consumer(0x0192), "media_calc"},    KeyValue{Consumer(0x018A), "media_mail"},
};

constexpr std::array kSystem{
    KeyValue{{T::SystemControl, 0x01, 0x00}, "system_power"},
    KeyValue{{T::SystemControl, 0x02, 0x00}, "system_sleep"},
    KeyValue{{T::SystemControl, 0x04, 0x00}, "system_wake_up"},
};

constexpr std::array kCursorScripts{
    KeyValue{{T::CursorScript, 0x00, 0x00}, "GUN_1"},
    KeyValue{{T::CursorScript, 0x01, 0x00}, "GUN_2"},
    KeyValue{{T::CursorScript, 0x02, 0x00}, "GUN_3"},
    KeyValue{{T::CursorScript, 0x03, 0x00}, "GUN_4"},
};

constexpr std::array kDeviceFunctions{
    KeyValue{{T::DeviceFunction, 0x01, 0x00}, "mouse_key_led_mode"},
};

const std::array kLists{
    KeyValueListInfo{KeyValueList::MouseButtons, "ms_key_fct_combo_11", kMouseButtons},
    KeyValueListInfo{KeyValueList::Dpi, "ms_key_fct_combo_14", kDpi},
    KeyValueListInfo{KeyValueList::Shortcuts, "ms_key_fct_combo_26", kShortcuts},
    KeyValueListInfo{KeyValueList::Multimedia, "ms_key_fct_combo_21", kMultimedia},
    KeyValueListInfo{KeyValueList::System, "ms_key_fct_combo_22", kSystem},
    KeyValueListInfo{KeyValueList::CursorScripts, "ms_key_fct_combo_25", kCursorScripts},
    KeyValueListInfo{KeyValueList::DeviceFunctions, "ms_key_fct_combo_15", kDeviceFunctions},
};

std::optional<std::size_t> FindFirst(std::span<const KeyValue> values, auto matches) {
    const auto it = std::ranges::find_if(values, matches);
    if (it == values.end()) {
        return std::nullopt;
    }
    return static_cast<std::size_t>(it - values.begin());
}

}  // namespace

const KeyValueListInfo& ListInfo(KeyValueList list) {
    return kLists[static_cast<std::size_t>(list)];
}

std::span<const KeyValueListInfo> AllLists() {
    return kLists;
}

std::span<const KeyValue> Values(KeyValueList list) {
    return ListInfo(list).values;
}

std::optional<std::size_t> FindValue(KeyValueList list, const KeyFunction& code) {
    return FindFirst(Values(list), [&code](const KeyValue& value) {
        return value.function.SameParameters(code);
    });
}

std::optional<std::size_t> FindValueByFirstParameter(KeyValueList list, std::uint8_t p1) {
    return FindFirst(Values(list), [p1](const KeyValue& value) { return value.function.p1 == p1; });
}

}  // namespace varlok::keys
