#pragma once

// The environment a main window runs with in the window tests and the
// monkey: its stores in a folder of their own (main.ini, registry.ini and
// the mouse's data folder ms/, which is made), the installation folder given
// (the default profiles and cursor scripts), the bus given, no session-bus
// service and no quit when the window goes (several windows come and go in
// one process). The program in front and the input capture are the
// caller's to set.

#include <filesystem>
#include <memory>

#include "app/mainwnd.h"
#include "device/hidbus.h"

namespace varlok::app::testing {

[[nodiscard]] CMainWnd::Environment TestWindowEnvironment(const std::filesystem::path& folder,
                                                          const std::filesystem::path& install,
                                                          std::shared_ptr<device::HidBus> bus);

}  // namespace varlok::app::testing
