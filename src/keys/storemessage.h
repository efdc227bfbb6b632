#pragma once

// What the macro store and the cursor scripts tell the user: a language key,
// and for the keys whose text is a format string ("message_text_16",
// "message_text_17") the number that goes into its "%d".

#include <optional>
#include <string>
#include <string_view>

namespace varlok::keys {

struct StoreMessage {
    std::string key;
    std::optional<int> number;

    friend bool operator==(const StoreMessage&, const StoreMessage&) = default;
};

// The text of a format-string message: the first "%d" of text replaced by
// number (text as it is without a number). Nothing else of the text is
// interpreted, so a translation cannot make it read beyond its arguments.
[[nodiscard]] std::string FormatStoreMessage(std::string_view text, std::optional<int> number);

// Language keys of the stores' messages.
inline constexpr std::string_view kUnsavedEditsMessage = "message_text_3";
inline constexpr std::string_view kConfirmDeleteMessage = "message_text_4";
inline constexpr std::string_view kDuplicateNameMessage = "message_text_5";
inline constexpr std::string_view kNoMemoryMessage = "message_text_7";
inline constexpr std::string_view kCapacityMessage = "message_text_16";
inline constexpr std::string_view kMacroLimitMessage = "message_text_17";
inline constexpr std::string_view kScriptTooLongMessage = "message_text_18";
// The cursor scripts together are too long for the mouse's room for them.
inline constexpr std::string_view kScriptTableTooLongMessage = "message_cursor_table_too_long";
// A name that cannot become a file name or INI value.
inline constexpr std::string_view kBadNameMessage = "message_macro_name_refused";
// The macro's file could not be moved to the new name.
inline constexpr std::string_view kRenameBlockedMessage = "message_macro_rename_blocked";
// A file to import holds actions that cannot be read.
inline constexpr std::string_view kUnreadableFileMessage = "message_macro_file_unreadable";
// The data folder could not be written.
inline constexpr std::string_view kWriteFailedMessage = "message_store_write_failed";

}  // namespace varlok::keys
