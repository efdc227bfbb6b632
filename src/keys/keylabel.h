#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>

#include "keys/keyfunction.h"

namespace varlok::keys {

// The name of macro `index` in the macro store, when the index is below the
// stored macro count; std::nullopt otherwise. An empty function knows no
// macro.
using MacroNameLookup = std::function<std::optional<std::string>(std::size_t index)>;

// What a key control shows for a code: a language key (shown through the
// language table), the user's own text (a macro's name), or nothing new
// (the control keeps the label it had).
struct KeyLabel {
    enum class Kind { LanguageKey, PlainText, Unchanged };

    Kind kind = Kind::Unchanged;
    std::string text;

    friend bool operator==(const KeyLabel&, const KeyLabel&) = default;
};

// The label of a key's code. A type the device does not know, and a code of
// a known type whose parameters name nothing, read "close_text"; a macro
// whose index the store does not hold, and the types no editor builds
// (except 0x21, named like multimedia), leave the label unchanged.
[[nodiscard]] KeyLabel LabelOf(const KeyFunction& code, const MacroNameLookup& macroNames);

inline constexpr std::string_view kUnknownFunctionLabel = "close_text";

}  // namespace varlok::keys
