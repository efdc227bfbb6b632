#pragma once

// Reads a menu layout file (docs/ui-menu-format.md) into a flat list of
// items in menu order, sub-menu items right after their parent with a
// greater depth.

#include <optional>
#include <string_view>
#include <vector>

#include <QByteArray>

#include "ui/menuwnd.h"

namespace varlok::ui::qt {

struct MenuItemSpec {
    MenuItemInfo info;
    // The text is a language key, shown through the current language.
    bool resourceText = false;
};

// Sub-menus deeper than this are left out.
inline constexpr int kMaxMenuDepth = 8;

// Nothing when the text is not well-formed XML or its root is not <Menu>.
[[nodiscard]] std::optional<std::vector<MenuItemSpec>> ParseMenuLayout(const QByteArray& xml);

}  // namespace varlok::ui::qt
