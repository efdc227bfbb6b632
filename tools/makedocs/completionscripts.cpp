#include "makedocs/completionscripts.h"

#include <algorithm>
#include <string_view>
#include <vector>

#include "varlokctl/commandtable.h"

namespace varlok::tools::docs {

namespace {

constexpr std::string_view kMadeBy =
    "varlokctl, made by the build (tools/makedocs)\n"
    "# from varlokctl's command table: edit that, not this file.\n";

// Every option that takes a value, once each (an option has the same value
// in every command that takes it).
std::vector<const OptionEntry*> ValueOptions() {
    std::vector<const OptionEntry*> options;
    for (const CommandEntry* command : Commands()) {
        for (const OptionEntry& option : command->options) {
            if (!option.value.empty() &&
                std::ranges::none_of(options, [&](const OptionEntry* known) {
                    return known->name == option.name;
                })) {
                options.push_back(&option);
            }
        }
    }
    return options;
}

// The candidates of a value of words or numbers, separated by spaces.
std::string Candidates(const Completion& completion) {
    std::string words;
    const auto add = [&words](std::string_view word) {
        words += (words.empty() ? "" : " ") + std::string(word);
    };
    if (completion.kind == CompletionKind::Words) {
        std::ranges::for_each(completion.words, add);
    } else if (completion.kind == CompletionKind::Numbers) {
        for (const int number : completion.numbers) {
            add(std::to_string(number));
        }
    }
    return words;
}

// The extensions of a file completion without their dots.
std::vector<std::string> Extensions(const Completion& completion) {
    std::vector<std::string> extensions;
    for (std::string_view extension : completion.words) {
        extensions.emplace_back(extension.substr(extension.starts_with('.') ? 1 : 0));
    }
    return extensions;
}

std::string Joined(const std::vector<std::string>& items, std::string_view separator) {
    std::string text;
    for (const std::string& item : items) {
        text += (text.empty() ? "" : std::string(separator)) + item;
    }
    return text;
}

// A global option's name before "=", and whether it is such a spelling
// ("--simulate=fresh").
std::string_view BaseName(std::string_view option) {
    return option.substr(0, option.find('='));
}

std::string GlobalOptionNames() {
    std::vector<std::string> names;
    for (const OptionEntry& option : GlobalOptions()) {
        names.emplace_back(option.name);
    }
    return Joined(names, " ");
}

// An option's help as one line of at most about 60 characters, for the
// menus of zsh and fish.
std::string ShortHelp(std::string_view help) {
    std::string line;
    for (const char c : help) {
        line += c == '\n' ? ' ' : c;
    }
    constexpr std::size_t kMost = 60;
    if (line.size() > kMost) {
        const std::size_t space = line.rfind(' ', kMost);
        line = line.substr(0, space == std::string::npos ? kMost : space) + "...";
    }
    return line;
}

// What a menu says of an option: its help, or what its value must be.
std::string OptionHelp(const OptionEntry& option) {
    return ShortHelp(option.help.empty() ? option.wants : option.help);
}

// Single-quoted for the shells.
std::string Quoted(std::string_view text) {
    std::string quoted = "'";
    for (const char c : text) {
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return quoted + "'";
}

// For zsh's specifications, inside single quotes: the brackets and colons
// that separate their fields escaped.
std::string ZshField(std::string_view text) {
    std::string field;
    for (const char c : text) {
        if (c == '[' || c == ']' || c == ':' || c == '\\') {
            field += '\\';
        }
        field += c;
    }
    return field;
}

// The shell's candidates for one value: a zsh action.
std::string ZshAction(const Completion& completion) {
    switch (completion.kind) {
        case CompletionKind::Words:
        case CompletionKind::Numbers:
            return "(" + Candidates(completion) + ")";
        case CompletionKind::Files:
            return "_files -g \"*.(#i)(" + Joined(Extensions(completion), "|") + ")(-.)\"";
        case CompletionKind::Nothing:
            break;
    }
    return " ";
}

std::string BashOperand(const Completion& completion) {
    switch (completion.kind) {
        case CompletionKind::Words:
        case CompletionKind::Numbers:
            return "COMPREPLY=($(compgen -W " + Quoted(Candidates(completion)) + " -- \"$cur\"))";
        case CompletionKind::Files:
            return "_filedir " + Quoted("@(" + Joined(Extensions(completion), "|") + ")");
        case CompletionKind::Nothing:
            break;
    }
    return ":";
}

}  // namespace

std::string BashCompletion() {
    std::string valueNames;
    for (const OptionEntry* option : ValueOptions()) {
        valueNames += (valueNames.empty() ? "" : " ") + std::string(option->name);
    }
    std::string script = "# bash completion for " + std::string(kMadeBy) +
                         "\n"
                         "_varlokctl()\n"
                         "{\n"
                         "    local cur prev words cword split\n"
                         "    _init_completion -s || return\n"
                         "\n"
                         "    local value_options=" +
                         Quoted(valueNames) +
                         "\n"
                         "    # The command, and how many of its operands come before the word.\n"
                         "    local i command= operands=0\n"
                         "    for ((i = 1; i < cword; i++)); do\n"
                         "        if [[ ${words[i]} == -* ]]; then\n"
                         "            [[ ${words[i]} != *=* && \" $value_options \" == *\" "
                         "${words[i]} \"* ]] && ((i++))\n"
                         "        elif [[ -z $command ]]; then\n"
                         "            command=${words[i]}\n"
                         "        else\n"
                         "            ((operands++))\n"
                         "        fi\n"
                         "    done\n"
                         "\n"
                         "    case $prev in\n";
    for (const OptionEntry& option : GlobalOptions()) {
        if (option.name.find('=') != std::string_view::npos) {
            script += "        " + std::string(BaseName(option.name)) + ")\n" +
                      "            if $split; then\n"
                      "                COMPREPLY=($(compgen -W " +
                      Quoted(option.name.substr(option.name.find('=') + 1)) +
                      " -- \"$cur\"))\n"
                      "                return\n"
                      "            fi\n"
                      "            ;;\n";
        }
    }
    // Values of the user's own have no candidates.
    std::string ownValues;
    for (const OptionEntry* option : ValueOptions()) {
        if (option->completion.kind == CompletionKind::Nothing) {
            ownValues += (ownValues.empty() ? "" : "|") + std::string(option->name);
        } else {
            script += "        " + std::string(option->name) + ")\n            " +
                      BashOperand(option->completion) + "\n            return\n            ;;\n";
        }
    }
    if (!ownValues.empty()) {
        script += "        " + ownValues + ")\n            return\n            ;;\n";
    }
    script +=
        "    esac\n"
        "    $split && return\n"
        "\n"
        "    if [[ $cur == -* ]]; then\n"
        "        local options=" +
        Quoted(GlobalOptionNames()) +
        "\n"
        "        case $command in\n";
    for (const CommandEntry* command : Commands()) {
        if (command->options.empty()) {
            continue;
        }
        std::string names;
        for (const OptionEntry& option : command->options) {
            names += " " + std::string(option.name);
        }
        script +=
            "            " + std::string(command->name) + ") options+=" + Quoted(names) + " ;;\n";
    }
    std::string commandNames;
    for (const CommandEntry* command : Commands()) {
        commandNames += std::string(command->name) + " ";
    }
    script +=
        "        esac\n"
        "        COMPREPLY=($(compgen -W \"$options\" -- \"$cur\"))\n"
        "        return\n"
        "    fi\n"
        "\n"
        "    case $command in\n"
        "        '')\n"
        "            COMPREPLY=($(compgen -W " +
        Quoted(commandNames + "help") +
        " -- \"$cur\"))\n"
        "            ;;\n";
    for (const CommandEntry* command : Commands()) {
        std::string cases;
        for (std::size_t i = 0; i < command->operands.size(); ++i) {
            const Completion& completion = command->operands[i].completion;
            if (completion.kind != CompletionKind::Nothing) {
                cases += "                " + std::to_string(i) + ") " + BashOperand(completion) +
                         " ;;\n";
            }
        }
        if (!cases.empty()) {
            script += "        " + std::string(command->name) +
                      ")\n"
                      "            case $operands in\n" +
                      cases +
                      "            esac\n"
                      "            ;;\n";
        }
    }
    script +=
        "    esac\n"
        "} &&\n"
        "    complete -F _varlokctl varlokctl\n";
    return script;
}

std::string ZshCompletion() {
    std::string script = "#compdef varlokctl\n# zsh completion for " + std::string(kMadeBy) +
                         "\n"
                         "_varlokctl() {\n"
                         "  local curcontext=$curcontext state line ret=1\n"
                         "  local -a global_options commands\n"
                         "  global_options=(\n";
    for (const OptionEntry& option : GlobalOptions()) {
        // A literal "=" in an option's name is quoted for _arguments.
        std::string name(option.name);
        if (const std::size_t equals = name.find('='); equals != std::string::npos) {
            name.insert(equals, "\\");
        }
        script += "    " + Quoted(name + "[" + ZshField(ShortHelp(option.help)) + "]") + "\n";
    }
    script += "  )\n  commands=(\n";
    for (const CommandEntry* command : Commands()) {
        script +=
            "    " + Quoted(ZshField(command->name) + ":" + std::string(command->summary)) + "\n";
    }
    script +=
        "    'help:the help'\n"
        "  )\n"
        "  _arguments -C $global_options '1: :->command' '*:: :->argument' && ret=0\n"
        "  case $state in\n"
        "    command)\n"
        "      _describe -t commands 'varlokctl command' commands && ret=0\n"
        "      ;;\n"
        "    argument)\n"
        "      curcontext=${curcontext%:*:*}:varlokctl-$line[1]:\n"
        "      case $line[1] in\n";
    for (const CommandEntry* command : Commands()) {
        script += "        " + std::string(command->name) +
                  ")\n"
                  "          _arguments $global_options";
        for (const OptionEntry& option : command->options) {
            const std::string help = ZshField(OptionHelp(option));
            std::string spec = "*" + std::string(option.name);
            if (option.value.empty()) {
                spec += "[" + help + "]";
            } else {
                spec += "=[" + help + "]:" + ZshField(option.value) + ":" +
                        ZshAction(option.completion);
            }
            script += " \\\n            " + Quoted(spec);
        }
        for (std::size_t i = 0; i < command->operands.size(); ++i) {
            const OperandEntry& operand = command->operands[i];
            script +=
                " \\\n            " + Quoted(std::to_string(i + 1) + ":" + ZshField(operand.name) +
                                             ":" + ZshAction(operand.completion));
        }
        script += " && ret=0\n          ;;\n";
    }
    script +=
        "      esac\n"
        "      ;;\n"
        "  esac\n"
        "  return ret\n"
        "}\n"
        "\n"
        "_varlokctl \"$@\"\n";
    return script;
}

std::string FishCompletion() {
    std::string valueNames;
    for (const OptionEntry* option : ValueOptions()) {
        valueNames += " " + std::string(option->name);
    }
    std::string script =
        "# fish completion for " + std::string(kMadeBy) +
        "\n"
        "# The command given before the word completed, a colon and how many of\n"
        "# its operands come before it.\n"
        "function __varlokctl_position\n"
        "    set -l command ''\n"
        "    set -l operands 0\n"
        "    set -l value_next 0\n"
        "    for token in (commandline -opc)[2..-1]\n"
        "        if test $value_next = 1\n"
        "            set value_next 0\n"
        "        else if string match -q -- '--*=*' $token\n"
        "        else if contains -- $token" +
        valueNames +
        "\n"
        "            set value_next 1\n"
        "        else if string match -q -- '-*' $token\n"
        "        else if test -z \"$command\"\n"
        "            set command $token\n"
        "        else\n"
        "            set operands (math $operands + 1)\n"
        "        end\n"
        "    end\n"
        "    echo \"$command:$operands\"\n"
        "end\n"
        "\n"
        "function __varlokctl_at --argument-names command operand\n"
        "    test (__varlokctl_position) = \"$command:$operand\"\n"
        "end\n"
        "\n"
        "function __varlokctl_in --argument-names command\n"
        "    string match -q -- \"$command:*\" (__varlokctl_position)\n"
        "end\n"
        "\n"
        "# Folders, and the files whose names end in one of the extensions\n"
        "# given (in any case).\n"
        "function __varlokctl_files\n"
        "    set -l endings (string escape --style=regex -- $argv)\n"
        "    set -l token (commandline -ct)\n"
        "    for file in (complete -C \"__fish_command_without_completions $token\")\n"
        "        set file (string split -m1 \\t -- $file)[1]\n"
        "        if string match -q -- '*/' $file\n"
        "            or string match -qir -- '('(string join '|' $endings)')$' $file\n"
        "            echo $file\n"
        "        end\n"
        "    end\n"
        "end\n"
        "\n"
        "complete -c varlokctl -f\n";
    for (const OptionEntry& option : GlobalOptions()) {
        const std::string help = Quoted(ShortHelp(option.help));
        if (option.name.find('=') != std::string_view::npos) {
            script += "complete -c varlokctl -n 'string match -q -- \"-*\" (commandline -ct)' -a " +
                      Quoted(option.name) + " -d " + help + "\n";
        } else {
            script += "complete -c varlokctl -l " + std::string(option.name.substr(2)) + " -d " +
                      help + "\n";
        }
    }
    for (const CommandEntry* command : Commands()) {
        script += "complete -c varlokctl -n '__varlokctl_at \"\" 0' -a " +
                  std::string(command->name) + " -d " + Quoted(command->summary) + "\n";
    }
    script += "complete -c varlokctl -n '__varlokctl_at \"\" 0' -a help -d 'the help'\n";
    for (const CommandEntry* command : Commands()) {
        const std::string in = " -n '__varlokctl_in " + std::string(command->name) + "'";
        for (const OptionEntry& option : command->options) {
            script += "complete -c varlokctl" + in + " -l " + std::string(option.name.substr(2));
            if (!option.value.empty()) {
                script += " -x";
                if (const std::string words = Candidates(option.completion); !words.empty()) {
                    script += " -a " + Quoted(words);
                }
            }
            script += " -d " + Quoted(OptionHelp(option)) + "\n";
        }
        for (std::size_t i = 0; i < command->operands.size(); ++i) {
            const Completion& completion = command->operands[i].completion;
            const std::string at =
                " -n '__varlokctl_at " + std::string(command->name) + " " + std::to_string(i) + "'";
            if (completion.kind == CompletionKind::Files) {
                std::string suffixes;
                for (const std::string_view extension : completion.words) {
                    suffixes += " " + std::string(extension);
                }
                script +=
                    "complete -c varlokctl" + at + " -a '(__varlokctl_files" + suffixes + ")'\n";
            } else if (const std::string words = Candidates(completion); !words.empty()) {
                script += "complete -c varlokctl" + at + " -a " + Quoted(words) + "\n";
            }
        }
    }
    return script;
}

}  // namespace varlok::tools::docs
