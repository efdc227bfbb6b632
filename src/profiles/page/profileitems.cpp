#include "profiles/page/profileitems.h"

namespace varlok::profiles {

std::unique_ptr<ui::CListLabelElementUI> MakeProfileItem(std::string_view name,
                                                         ProfileItemOrigin origin) {
    auto item = std::make_unique<ui::CListLabelElementUI>();
    // The user's own text, never a language key.
    item->SetResourceText(false);
    item->SetText(name);
    item->SetUserData(name);
    if (origin != ProfileItemOrigin::Copied) {
        item->SetFixedHeight(kProfileItemHeight);
    }
    return item;
}

std::vector<std::string> ItemNames(const ui::CComboUI& list) {
    std::vector<std::string> names;
    for (int i = 0; i < list.GetCount(); ++i) {
        names.push_back(list.GetItemAt(i)->GetUserData());
    }
    return names;
}

std::string_view ReadFailureMessage(ProfileReadResult result) {
    return result == ProfileReadResult::BadMagic ? "message_text_9" : "message_text_8";
}

}  // namespace varlok::profiles
