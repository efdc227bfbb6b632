#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "profiles/profilefile.h"
#include "ui/comboui.h"
#include "ui/listlabelelementui.h"

namespace varlok::profiles {

// Items of the profile lists are this high.
inline constexpr int kProfileItemHeight = 25;

// What made an item, which decides its look: items of the start-up fill
// are kProfileItemHeight high, added entries also take the list's item style
// (applied once the item is in the list), copies take neither.
enum class ProfileItemOrigin { StartUpFill, Added, Copied };

// A list item for an entry: the name as its text and its user data.
[[nodiscard]] std::unique_ptr<ui::CListLabelElementUI> MakeProfileItem(std::string_view name,
                                                                       ProfileItemOrigin origin);
// The names the list's items hold, in list order.
[[nodiscard]] std::vector<std::string> ItemNames(const ui::CComboUI& list);
// The message that says why a profile file could not be read.
[[nodiscard]] std::string_view ReadFailureMessage(ProfileReadResult result);

}  // namespace varlok::profiles
