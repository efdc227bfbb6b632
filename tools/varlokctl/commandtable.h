#pragma once

// The command table: one entry per command with its name, operands,
// options, help and handler. The help text, the usage errors and the
// dispatch are all made from it; each command's entry lives in the command's
// own file and is listed in kCommands.

#include <array>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "varlokctl/exitcode.h"

namespace varlok::tools {

class CommandRun;

// What the shells' completion offers for an operand or an option's value.
enum class CompletionKind {
    Nothing,  // a value of the user's own (a colour, a count, a name)
    Words,    // one of words
    Numbers,  // one of numbers
    Files,    // a file whose name ends in one of words (".config"), or a folder
};

struct Completion {
    CompletionKind kind = CompletionKind::Nothing;
    std::span<const std::string_view> words{};
    std::span<const int> numbers{};
};

// First, First + 1, ..., Last: the candidates of a value in that range.
template <int First, int Last>
inline constexpr auto kNumberRange = [] {
    std::array<int, Last - First + 1> numbers{};
    for (std::size_t i = 0; i < numbers.size(); ++i) {
        numbers[i] = First + static_cast<int>(i);
    }
    return numbers;
}();

// An option a command takes: a flag ("--seven") or one with a value
// ("--dpi STAGE=DPI", also written "--dpi=STAGE=DPI"). An option may belong to
// several commands; its name and value are the same in each.
struct OptionEntry {
    std::string_view name;
    // What the help shows after the name; empty for a flag.
    std::string_view value;
    // What the value must be, for "--profile needs a number from 0 to 4".
    std::string_view wants;
    // Wrapped to the help's description column.
    std::string_view help;
    // What the shells offer for the value.
    Completion completion{};
};

// An operand a command needs, in order.
struct OperandEntry {
    std::string_view name;
    // The usage error when it is missing, after "COMMAND needs ".
    std::string_view missing;
    // What the shells offer for it.
    Completion completion{};
};

struct CommandEntry {
    std::string_view name;
    // One line for the shells' completion menus.
    std::string_view summary;
    // The synopsis after the name ("[--profile N]"); a newline continues it on
    // the next line of the help.
    std::string_view synopsis;
    // Wrapped to the help's description column.
    std::string_view help;
    std::span<const OperandEntry> operands;
    std::span<const OptionEntry> options;
    // Runs the command once its arguments passed the table's checks.
    ExitCode (*run)(CommandRun& run);
};

// Every command, in the order of the help.
[[nodiscard]] std::span<const CommandEntry* const> Commands();
// The options every command takes (the command-line parser handles them),
// in the order of the help: --simulate, --simulate=fresh, --trace, --direct,
// --version and --help.
[[nodiscard]] std::span<const OptionEntry> GlobalOptions();
// What the help says of varlokctl before its commands, and after its global
// options.
[[nodiscard]] std::string_view Introduction();
[[nodiscard]] std::string_view OwnerNote();
[[nodiscard]] const CommandEntry* FindCommand(std::string_view name);
// The option of that name as any command declares it, or nothing.
[[nodiscard]] const OptionEntry* FindOption(std::string_view name);
// "read-settings and set": the commands that take the option.
[[nodiscard]] std::string CommandsTaking(std::string_view option);
// "list, info, ...": every command's name.
[[nodiscard]] std::string CommandNames();
// "varlokctl [GLOBAL OPTIONS] set [--profile N] ..." on one line.
[[nodiscard]] std::string UsageLine(const CommandEntry& command);
// The whole help text.
[[nodiscard]] std::string HelpText();

// Options that every command takes; the command-line parser handles them.
inline constexpr std::string_view kGlobalSynopsis = "[--simulate] [--trace] [--direct]";

}  // namespace varlok::tools
