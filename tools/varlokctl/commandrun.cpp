#include "varlokctl/commandrun.h"

#include <algorithm>

#include "varlokctl/windowaccess.h"

namespace varlok::tools {

std::vector<std::string_view> ParsedArguments::Values(std::string_view option) const {
    std::vector<std::string_view> values;
    for (const auto& [name, value] : options) {
        if (name == option) {
            values.push_back(value);
        }
    }
    return values;
}

std::optional<std::string_view> ParsedArguments::Last(std::string_view option) const {
    const std::vector<std::string_view> values = Values(option);
    if (values.empty()) {
        return std::nullopt;
    }
    return values.back();
}

bool ParsedArguments::Has(std::string_view option) const {
    return std::ranges::any_of(options,
                               [option](const auto& given) { return given.first == option; });
}

ExitCode PrintUsageError(std::ostream& err, std::string_view message, const CommandEntry* command) {
    err << "varlokctl: " << message << '\n';
    if (command != nullptr) {
        err << "usage: " << UsageLine(*command) << '\n';
    }
    err << "Try 'varlokctl --help'.\n";
    return ExitCode::Usage;
}

CommandRun::CommandRun(ToolEnvironment& environment, ParsedArguments arguments)
    : m_env(environment), m_arguments(std::move(arguments)) {}

CommandRun::~CommandRun() = default;

ExitCode CommandRun::UsageError(std::string_view message) {
    return PrintUsageError(m_env.err, message, m_arguments.command);
}

ExitCode CommandRun::BadValue(std::string_view option, std::string_view value) {
    std::string_view wants = "another value";
    for (const OptionEntry& entry : m_arguments.command->options) {
        if (entry.name == option) {
            wants = entry.wants;
        }
    }
    return UsageError(std::string(option) + " needs " + std::string(wants) + ", not '" +
                      std::string(value) + "'");
}

MouseAccess& CommandRun::Mouse() {
    if (!m_mouse) {
        m_mouse = ChooseMouseAccess(m_env, m_arguments.simulate, m_arguments.fresh,
                                    m_arguments.direct, m_arguments.trace);
    }
    return *m_mouse;
}

}  // namespace varlok::tools
