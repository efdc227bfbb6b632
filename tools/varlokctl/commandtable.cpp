#include "varlokctl/commandtable.h"

#include <algorithm>
#include <vector>

#include "platform/textlines.h"
#include "varlokctl/commands.h"

namespace varlok::tools {

namespace {

constexpr std::array kTable{
    &kListCommand,     &kInfoCommand,          &kReadSettingsCommand, &kDumpCommand,
    &kSetCommand,      &kSwitchProfileCommand, &kApplyCommand,        &kSelectProfileCommand,
    &kEffectCommand,   &kMacrosCommand,        &kUploadCommand,       &kWatchCommand,
    &kUdevRuleCommand,
};

// Where the help's descriptions start.
constexpr std::size_t kDescriptionColumn = 32;
constexpr std::string_view kCommandIndent = "  ";
constexpr std::string_view kContinuationIndent = "      ";

constexpr std::string_view kIntroduction =
    R"(Reads and changes the configuration of the 0C45:7643 gaming mouse. While the
varlok window runs (varlok --simulate for --simulate), every command goes
through it on the session bus, so the window shows the change and saves it as
its own controls do; otherwise varlokctl talks to the mouse's configuration
collection (usage page 0xFF1C, usage 0x92) itself.
)";

// Wrapped to the global options' description column.
constexpr std::array kGlobalOptionTable{
    OptionEntry{"--simulate", "", "",
                "the virtual mouse: the running varlok --simulate window's, or\n"
                "without one a virtual mouse of varlokctl's own, which keeps its\n"
                "memory between runs in virtual-mouse.state in\n"
                "$XDG_RUNTIME_DIR/varlok (without XDG_RUNTIME_DIR:\n"
                "$XDG_STATE_HOME/varlok or ~/.local/state/varlok).\n"
                "varlokctl without --simulate never talks to a varlok\n"
                "--simulate window, and with it never to a window with real\n"
                "devices"},
    OptionEntry{"--simulate=fresh", "", "",
                "varlokctl's own virtual mouse, starting from the factory state\n"
                "(never a window's)"},
    OptionEntry{"--trace", "", "",
                "print every report sent (\"> \") and received (\"< \") on standard\n"
                "output; VARLOK_TRACE=1 prints them on standard error instead.\n"
                "Through the window varlokctl sends no reports"},
    OptionEntry{"--direct", "", "",
                "talk to the mouse itself, never through a running varlok\n"
                "window; refused (exit code 7) while varlok has the mouse"},
    OptionEntry{"--version", "", "", "print varlokctl's version and exit"},
    OptionEntry{"--help", "", "", "print the usage summary and exit, as help does"},
};

// Where the global options' descriptions start.
constexpr std::size_t kGlobalDescriptionColumn = 15;

constexpr std::string_view kOwnerNote =
    R"(One program at a time has the mouse. Without a window, a command that finds
another program using it (another varlokctl, say) waits up to 5 seconds for it
to let go. Through the window, what needs the mouse to varlokctl alone
(effect --frames or --fast, set --profile N of another onboard profile than
the one in force) is refused with exit code 7.
)";

static_assert(kOwnerWait == std::chrono::seconds(5), "the help names the wait");

// The label's lines, with the description beside the last of them when it
// leaves room, else below it, in the description column.
void AppendEntry(std::string& text, const std::vector<std::string>& label,
                 std::string_view description, std::size_t column = kDescriptionColumn) {
    for (std::size_t i = 0; i + 1 < label.size(); ++i) {
        text += label[i] + '\n';
    }
    std::string last = label.back();
    const std::vector<std::string_view> lines = platform::SplitLines(description);
    std::size_t next = 0;
    if (!lines.empty() && last.size() < column) {
        last.resize(column, ' ');
        last += lines[next++];
    }
    text += last + '\n';
    for (; next < lines.size(); ++next) {
        text += std::string(column, ' ') + std::string(lines[next]) + '\n';
    }
}

std::string OptionLabel(const OptionEntry& option) {
    std::string label = std::string(kContinuationIndent) + std::string(option.name);
    if (!option.value.empty()) {
        label += " " + std::string(option.value);
    }
    return label;
}

void AppendCommand(std::string& text, const CommandEntry& command) {
    std::vector<std::string> label;
    const std::vector<std::string_view> synopsis = platform::SplitLines(command.synopsis);
    label.push_back(std::string(kCommandIndent) + std::string(command.name));
    for (std::size_t i = 0; i < synopsis.size(); ++i) {
        if (i == 0) {
            label.back() += " " + std::string(synopsis[i]);
        } else {
            label.push_back(std::string(kContinuationIndent) + std::string(synopsis[i]));
        }
    }
    AppendEntry(text, label, command.help);
    for (const OptionEntry& option : command.options) {
        if (!option.help.empty()) {
            AppendEntry(text, {OptionLabel(option)}, option.help);
        }
    }
}

std::string JoinNames(const std::vector<std::string_view>& names) {
    std::string text;
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (i > 0) {
            text += i + 1 == names.size() ? " and " : ", ";
        }
        text += names[i];
    }
    return text;
}

}  // namespace

std::span<const CommandEntry* const> Commands() {
    return kTable;
}

std::span<const OptionEntry> GlobalOptions() {
    return kGlobalOptionTable;
}

std::string_view Introduction() {
    return kIntroduction;
}

std::string_view OwnerNote() {
    return kOwnerNote;
}

const CommandEntry* FindCommand(std::string_view name) {
    const auto found = std::ranges::find_if(
        kTable, [name](const CommandEntry* command) { return command->name == name; });
    return found == kTable.end() ? nullptr : *found;
}

const OptionEntry* FindOption(std::string_view name) {
    for (const CommandEntry* command : kTable) {
        for (const OptionEntry& option : command->options) {
            if (option.name == name) {
                return &option;
            }
        }
    }
    return nullptr;
}

std::string CommandsTaking(std::string_view option) {
    std::vector<std::string_view> names;
    for (const CommandEntry* command : kTable) {
        if (std::ranges::any_of(command->options,
                                [option](const OptionEntry& own) { return own.name == option; })) {
            names.push_back(command->name);
        }
    }
    return JoinNames(names);
}

std::string CommandNames() {
    std::string text;
    for (const CommandEntry* command : kTable) {
        text += (text.empty() ? "" : ", ") + std::string(command->name);
    }
    return text;
}

std::string UsageLine(const CommandEntry& command) {
    std::string line =
        "varlokctl " + std::string(kGlobalSynopsis) + " " + std::string(command.name);
    for (const std::string_view part : platform::SplitLines(command.synopsis)) {
        line += " " + std::string(part);
    }
    return line;
}

std::string HelpText() {
    std::string text = "usage: varlokctl " + std::string(kGlobalSynopsis) +
                       " COMMAND [OPTIONS]\n\n" + std::string(kIntroduction) + "\ncommands:\n";
    for (const CommandEntry* command : kTable) {
        AppendCommand(text, *command);
    }
    AppendEntry(text, {std::string(kCommandIndent) + "help, --help"}, "this text");
    text += "\noptions:\n";
    for (const OptionEntry& option : kGlobalOptionTable) {
        AppendEntry(text, {std::string(kCommandIndent) + std::string(option.name)}, option.help,
                    kGlobalDescriptionColumn);
    }
    text += "\n" + std::string(kOwnerNote) + "\nexit codes:\n";
    for (const ExitCodeText& entry : kExitCodeTexts) {
        const std::vector<std::string_view> lines = platform::SplitLines(entry.text);
        text += "  " + std::to_string(static_cast<int>(entry.code)) + "  " +
                std::string(lines.front()) + '\n';
        for (std::size_t i = 1; i < lines.size(); ++i) {
            text += "     " + std::string(lines[i]) + '\n';
        }
    }
    return text;
}

}  // namespace varlok::tools
