#pragma once

#include <array>
#include <cstddef>
#include <string_view>

#include "profiles/profilecategory.h"

namespace varlok::profiles {

// The ways in which the lists' operations differ; all false unless a list
// says otherwise.
struct ProfileListVariant {
    // Add stops with a message when the default cannot be read; otherwise
    // the new entry starts from zeros.
    bool addNeedsDefault = false;
    // Import makes a new entry for the file instead of replacing the
    // selected one's.
    bool importAddsEntry = false;
    // Delete chooses the remaining entry again after choosing the last one,
    // so that the mouse surely runs it.
    bool deleteSelectsTwice = false;
    // The link button refuses a program another entry is linked to.
    bool linkButtonChecksDuplicates = false;
    // Whether the link row stays shown after a link was cleared because the
    // box was unticked (it hides when the path held no folder or the dialog
    // was cancelled).
    bool rowAfterUntick = false;
};

// The controls of each profile list and its variant: the one table of both.
struct ProfileListControls {
    ProfileCategory category;
    std::string_view list;
    std::string_view nameEdit;
    std::string_view addButton;
    std::string_view deleteButton;
    std::string_view importButton;
    std::string_view exportButton;
    std::string_view copyButton;
    std::string_view resetButton;
    std::string_view renameButton;
    std::string_view linkCheck;
    std::string_view linkEdit;
    std::string_view linkRow;
    std::string_view linkButton;
    // The default file extension of the import and export dialogs ("led").
    std::string_view fileExtension;
    ProfileListVariant variant;
};

// clang-format off
inline constexpr std::array<ProfileListControls, kProfileCategories.size()> kProfileListControls{{
    {ProfileCategory::Device, "ms_device_profile_combo", "ms_device_profile_name_edit",
     "ms_pro_device_add_btn", "ms_pro_device_sub_btn", "ms_pro_device_import_btn",
     "ms_pro_device_export_btn", "ms_pro_device_copy_btn", "ms_pro_device_reset_btn",
     "ms_device_profile_edit_save_btn", "ms_device_profile_link_check",
     "ms_device_profile_link_edit", "ms_device_profile_link_name_hor",
     "ms_device_profile_link_btn", "config",
     {.addNeedsDefault = true, .importAddsEntry = true, .deleteSelectsTwice = true,
      .linkButtonChecksDuplicates = true, .rowAfterUntick = true}},
    {ProfileCategory::Lighting, "ms_deng_profile_combo", "ms_deng_profile_name_edit",
     "ms_pro_deng_add_btn", "ms_pro_deng_sub_btn", "ms_pro_deng_import_btn",
     "ms_pro_deng_export_btn", "ms_pro_deng_copy_btn", "ms_pro_deng_reset_btn",
     "ms_deng_profile_edit_save_btn", "ms_deng_profile_link_check",
     "ms_deng_profile_link_edit", "ms_deng_profile_link_name_hor",
     "ms_deng_profile_link_btn", "led",
     {}},
    {ProfileCategory::Key, "ms_key_profile_combo", "ms_key_profile_name_edit",
     "ms_pro_key_add_btn", "ms_pro_key_sub_btn", "ms_pro_key_import_btn",
     "ms_pro_key_export_btn", "ms_pro_key_copy_btn", "ms_pro_key_reset_btn",
     "ms_key_profile_edit_save_btn", "ms_key_profile_link_check",
     "ms_key_profile_link_edit", "ms_key_profile_link_name_hor",
     "ms_key_profile_link_btn", "pro",
     {.addNeedsDefault = true}},
}};
// clang-format on

[[nodiscard]] constexpr const ProfileListControls& ListControls(ProfileCategory category) {
    return kProfileListControls[static_cast<std::size_t>(category)];
}
static_assert(ListControls(ProfileCategory::Device).category == ProfileCategory::Device);
static_assert(ListControls(ProfileCategory::Lighting).category == ProfileCategory::Lighting);
static_assert(ListControls(ProfileCategory::Key).category == ProfileCategory::Key);

// The panel toggles beside the lists: a click shows the panel when it is
// hidden and hides it when it is shown.
struct PanelToggle {
    std::string_view button;
    std::string_view panel;
};
inline constexpr std::array<PanelToggle, 3> kProfilePanelToggles{{
    {"ms_profile_fun_spread_btn", "ms_profile_fun_spead_tab"},
    {"ms_pro_deng_edit_btn", "ms_deng_profile_edit"},
    {"ms_pro_key_edit_btn", "ms_key_profile_edit"},
}};

// The device list's button that clears its selected entry's link.
inline constexpr std::string_view kCancelLinkButton = "ms_device_cancle_link_btn";

}  // namespace varlok::profiles
