#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string_view>

#include "keys/keyfunction.h"

namespace varlok::keys {

// One entry of a value list: the code it stands for and its label (a
// language key).
struct KeyValue {
    KeyFunction function;
    std::string_view label;
};

// The lists the key page offers in its combos; a combo lists its entries in
// this order and its selected index picks the entry.
enum class KeyValueList {
    MouseButtons,
    Dpi,
    Shortcuts,
    Multimedia,
    System,
    CursorScripts,
    DeviceFunctions,
};

struct KeyValueListInfo {
    KeyValueList list;
    std::string_view combo;  // the control that lists it
    std::span<const KeyValue> values;
};

[[nodiscard]] const KeyValueListInfo& ListInfo(KeyValueList list);
// Every list, in the order of KeyValueList.
[[nodiscard]] std::span<const KeyValueListInfo> AllLists();
[[nodiscard]] std::span<const KeyValue> Values(KeyValueList list);
// The first entry with the code's p1 and p2 (the type is the list's own).
[[nodiscard]] std::optional<std::size_t> FindValue(KeyValueList list, const KeyFunction& code);
// The first entry whose p1 matches: how a mouse-button code is labelled.
[[nodiscard]] std::optional<std::size_t> FindValueByFirstParameter(KeyValueList list,
                                                                   std::uint8_t p1);

}  // namespace varlok::keys
