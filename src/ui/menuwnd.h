#pragma once

// A popup menu built from a menu layout file (docs/ui-menu-format.md) and
// opened at a screen point. The user's choice reaches the owner window as
// kMenuCommandMessage (0x0479) with a ticket in wParam; the owner redeems the
// ticket once with TakeMenuChoice for the item's name, user data and text.
// UI thread only.

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ui/uitypes.h"
#include "ui/windowhandle.h"

namespace varlok::ui {

// What the user chose. text is the item's text as written (a language key
// for items marked as such), so that it can be shown as a key again.
struct MenuChoice {
    std::string name;
    std::string userData;
    std::string text;
};

// Check states of checkable items by item name. The owner keeps one map for
// all its menus: a menu shows the states when it opens and writes the new
// state when the user toggles an item.
using MenuCheckMap = std::map<std::string, bool, std::less<>>;

struct MenuItemInfo {
    std::string name;
    std::string text;
    // The text the user sees (a language key resolved).
    std::string shownText;
    std::string userData;
    // 0 for the top level, 1 inside a sub-menu, ...
    int depth = 0;
    bool separator = false;
    bool enabled = true;
    bool checkable = false;
    bool checked = false;
    bool hasSubMenu = false;
};

class CMenuWnd {
public:
    CMenuWnd();
    // Closes the menu.
    ~CMenuWnd();
    CMenuWnd(const CMenuWnd&) = delete;
    CMenuWnd& operator=(const CMenuWnd&) = delete;

    // Builds the menu from layoutFile (a name under the resource path or a
    // full path) and opens it with its top-left corner at point (screen
    // coordinates; moved as needed to stay on the screen). checks may be
    // null. Returns false, showing nothing, when the file cannot be read or
    // is not a menu layout. A menu already open is replaced.
    bool Init(WindowHandle owner, std::string_view layoutFile, UiPoint point,
              std::shared_ptr<MenuCheckMap> checks = nullptr);
    // Appends an item to the top level; text is shown as it is.
    void AddElement(std::string_view name, std::string_view text, std::string_view userData = {});
    // Fits the open menu to its items again, keeping it on the screen.
    void ResizeMenu();
    void Close();
    [[nodiscard]] bool IsOpen() const;
    // Every item in order, sub-menu items after their parent.
    [[nodiscard]] std::vector<MenuItemInfo> Items() const;
    // As if the user picked the item named name (automation and tests):
    // reports it to the owner and closes the menu. False when no enabled,
    // choosable item has that name.
    bool ChooseItem(std::string_view name);

    // Closes every open menu of the process (the owner's shutdown).
    static void DestroyMenu();

    // Qt side (ui/qt/menuwndimpl.h).
    struct Impl;
    [[nodiscard]] Impl& Internals() { return *m_impl; }

private:
    std::unique_ptr<Impl> m_impl;
};

// The choice behind a ticket from kMenuCommandMessage. Each ticket is
// redeemed once; unknown and redeemed tickets give nothing. Only the most
// recent 64 unredeemed choices are kept.
[[nodiscard]] std::optional<MenuChoice> TakeMenuChoice(WParam ticket);

}  // namespace varlok::ui
