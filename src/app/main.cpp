// varlok: the configuration program for the 0C45:7643 gaming mouse.

#include <cstdio>
#include <string_view>
#include <vector>

#include "app/application.h"
#include "app/commandline.h"
#include "platform/startupphases.h"

int main(int argc, char** argv) {
    varlok::platform::MarkStartupPhase("main");
    using varlok::app::CommandLineResult;
    const std::vector<std::string_view> arguments(argv + 1, argv + argc);
    const CommandLineResult parsed = varlok::app::ParseCommandLine(arguments);
    switch (parsed.action) {
        case CommandLineResult::Action::Help:
            std::fputs(varlok::app::UsageText().c_str(), stdout);
            return 0;
        case CommandLineResult::Action::Version:
            std::fputs(varlok::app::VersionText().c_str(), stdout);
            return 0;
        case CommandLineResult::Action::Error:
            std::fprintf(stderr, "varlok: %s\n%s", parsed.error.c_str(),
                         varlok::app::UsageText().c_str());
            return 2;
        case CommandLineResult::Action::Run:
            break;
    }
    varlok::app::Application application(argc, argv, parsed.options);
    return application.Run();
}
