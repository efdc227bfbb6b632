#include "varlokctl/commandline.h"

#include <algorithm>

#include "varlok/version.h"
#include "varlokctl/commandrun.h"
#include "varlokctl/commandtable.h"

namespace varlok::tools {

namespace {

bool Takes(const CommandEntry& command, std::string_view option) {
    return std::ranges::any_of(command.options,
                               [option](const OptionEntry& own) { return own.name == option; });
}

}  // namespace

std::string CommandLine::HelpText() {
    return tools::HelpText();
}

ExitCode CommandLine::Run(std::span<const std::string_view> arguments) {
    ParsedArguments parsed;
    std::string_view commandName;
    const auto usage = [this](std::string_view message, const CommandEntry* command = nullptr) {
        return PrintUsageError(m_env.err, message, command);
    };
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string_view argument = arguments[i];
        const std::size_t equals = argument.find('=');
        const std::string_view name = argument.substr(0, equals);
        if (argument == "--simulate" || argument == "--simulate=fresh") {
            parsed.simulate = true;
            parsed.fresh = argument.ends_with("=fresh");
        } else if (name == "--simulate") {
            return usage("--simulate takes no value but 'fresh'");
        } else if (argument == "--trace") {
            parsed.trace = true;
        } else if (argument == "--direct") {
            parsed.direct = true;
        } else if (argument == "--help" || argument == "-h") {
            parsed.help = true;
        } else if (argument == "--version") {
            parsed.version = true;
        } else if (const OptionEntry* option = FindOption(name);
                   option != nullptr && argument.starts_with("--")) {
            if (option->value.empty()) {
                if (equals != std::string_view::npos) {
                    return usage(std::string(name) + " takes no value");
                }
                parsed.options.emplace_back(option->name, std::string_view());
            } else if (equals != std::string_view::npos) {
                parsed.options.emplace_back(option->name, argument.substr(equals + 1));
            } else if (i + 1 == arguments.size()) {
                return usage(std::string(name) + " needs " + std::string(option->wants));
            } else {
                parsed.options.emplace_back(option->name, arguments[++i]);
            }
        } else if (argument.starts_with("-")) {
            return usage("unknown option '" + std::string(argument) + "'");
        } else if (commandName.empty()) {
            commandName = argument;
        } else {
            parsed.operands.push_back(argument);
        }
    }
    if (parsed.help || commandName == "help") {
        m_env.out << HelpText();
        return ExitCode::Ok;
    }
    if (parsed.version) {
        m_env.out << "varlokctl " << kVersion << '\n';
        return ExitCode::Ok;
    }
    if (commandName.empty()) {
        return usage("no command given; the commands are " + CommandNames());
    }
    const CommandEntry* command = FindCommand(commandName);
    if (command == nullptr) {
        return usage("unknown command '" + std::string(commandName) + "'; the commands are " +
                     CommandNames());
    }
    parsed.command = command;
    for (const auto& [option, value] : parsed.options) {
        if (!Takes(*command, option)) {
            return usage(std::string(option) + " belongs to " + CommandsTaking(option), command);
        }
    }
    if (parsed.operands.size() > command->operands.size()) {
        return usage(std::string(command->name) + ": unexpected argument '" +
                         std::string(parsed.operands[command->operands.size()]) + "'",
                     command);
    }
    if (parsed.operands.size() < command->operands.size()) {
        return usage(std::string(command->name) + " needs " +
                         std::string(command->operands[parsed.operands.size()].missing),
                     command);
    }
    CommandRun run(m_env, std::move(parsed));
    return command->run(run);
}

}  // namespace varlok::tools
