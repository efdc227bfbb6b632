#include "app/mainwindowhandle.h"

#include <atomic>

namespace varlok::app {

namespace {

std::atomic<ui::WindowHandle>& Slot() {
    static std::atomic<ui::WindowHandle> handle{ui::WindowHandle{}};
    return handle;
}

}  // namespace

void SetMainWindowHandle(ui::WindowHandle handle) {
    Slot().store(handle);
}

ui::WindowHandle MainWindowHandle() {
    return Slot().load();
}

}  // namespace varlok::app
