// list: every HID collection present, read without any access rights (no
// owner lock is needed, so it works beside a running window too).

#include <cstdio>

#include "device/collectionsearch.h"
#include "device/hiddevice.h"
#include "sim/virtualhidbackend.h"
#include "varlokctl/commandrun.h"
#include "varlokctl/commands.h"

namespace varlok::tools {

namespace {

ExitCode RunList(CommandRun& run) {
    const ToolEnvironment& env = run.Environment();
    if (run.Arguments().simulate) {
        // Its memory does not matter here: the state file is left alone.
        static_cast<void>(sim::AttachVirtualMouse(*env.bus));
    }
    device::HidDevice device(env.bus);
    if (!device.FindPaths()) {
        run.Err() << "varlokctl: listing the HID collections failed\n";
        return ExitCode::Failure;
    }
    std::size_t count = 0;
    while (const auto path = device.NextPath()) {
        ++count;
        char line[160];
        // No access rights are needed to learn ids and usages.
        if (device.Open(*path, false, false, true, false)) {
            const device::HidAttributes& attributes = device.Attributes();
            const device::HidCaps& caps = device.Caps();
            std::snprintf(line, sizeof line,
                          "  vendor %04x  product %04x  usage page %04x  usage %04x\n",
                          attributes.vendorId, attributes.productId, caps.usagePage, caps.usage);
            device.Close();
        } else {
            std::snprintf(line, sizeof line, "  vendor %04x  product %04x  (cannot open: %s)\n",
                          device::HidDevice::ParseVendorId(*path),
                          device::HidDevice::ParseProductId(*path),
                          device::DescribeOpenError(device.LastOpenError()));
        }
        run.Out() << *path << '\n' << line;
    }
    device.FreePaths();
    if (count == 0) {
        run.Out() << "no HID collections found\n";
    }
    return ExitCode::Ok;
}

}  // namespace

const CommandEntry kListCommand{
    "list",   "every HID collection present",
    "",       "every HID collection present: path, vendor id,\nproduct id, usage page, usage",
    {},       {},
    &RunList,
};

}  // namespace varlok::tools
