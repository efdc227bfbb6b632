// varlokctl: scripting and diagnosis for the 0C45:7643 mouse. The commands
// live in CommandLine; this only hands it the process's bus and streams.

#include <cstdio>
#include <iostream>
#include <string_view>
#include <vector>

#include "device/hidbus.h"
#include "varlokctl/commandline.h"

int main(int argc, char** argv) {
    const std::vector<std::string_view> arguments(argv + 1, argv + argc);
    varlok::tools::CommandLine tool(
        {varlok::device::HidBus::System(), std::cout, std::cerr, stdout});
    return static_cast<int>(tool.Run(arguments));
}
