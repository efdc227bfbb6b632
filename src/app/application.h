#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "app/commandline.h"
#include "platform/singleinstance.h"
#include "ui/uitypes.h"

namespace varlok::app {

// The process: the UI application, the single-instance rule, the skin and
// the custom controls, the main window and its message loop, and the
// orderly teardown. Construct and run it on the main thread, once.
class Application {
public:
    // The name a running instance holds; a second start wakes it.
    static constexpr std::string_view kInstanceName = "KESTRIXDRVER1";

    Application(int& argc, char** argv, StartOptions options);
    ~Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    // Runs until the main window is closed. 0 when it ran (or another
    // instance was woken instead); 1 when the skin could not be loaded or a
    // screenshot could not be written (also when another instance runs: a
    // run for a screenshot leaves that instance as it is).
    int Run();

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

// The single-instance wake-up: a later start's message (the activation
// message's name) makes the main window handle the registered message
// `activateMessage`. Runs on the listener thread and only posts.
[[nodiscard]] platform::SingleInstance::WakeCallback WakeMainWindow(ui::MessageId activateMessage);

}  // namespace varlok::app
