// A pointer for the tests on a compositor of their own (Sway headless, which
// has no input device): a wlroots virtual pointer driven by commands on
// standard input, one a line.
//   move X Y    the pointer to X, Y of the output layout
//   press       the left button down
//   release     the left button up
// Each command goes out with a frame; once the compositor has handled it (a
// roundtrip) the program answers "ok" on standard output. It says "ready"
// when the pointer exists, and ends at the end of its input. Arguments: the
// layout's width and height, the extent of the absolute positions.

#include <linux/input-event-codes.h>
#include <wayland-client.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>

#include "wlr-virtual-pointer-unstable-v1-client-protocol.h"

namespace {

struct DisplayDisconnect {
    void operator()(wl_display* display) const { wl_display_disconnect(display); }
};
struct RegistryDestroy {
    void operator()(wl_registry* registry) const { wl_registry_destroy(registry); }
};
struct ManagerDestroy {
    void operator()(zwlr_virtual_pointer_manager_v1* manager) const {
        zwlr_virtual_pointer_manager_v1_destroy(manager);
    }
};
struct PointerDestroy {
    void operator()(zwlr_virtual_pointer_v1* pointer) const {
        zwlr_virtual_pointer_v1_destroy(pointer);
    }
};

void OnGlobal(void* data, wl_registry* registry, std::uint32_t name, const char* interface,
              std::uint32_t /*version*/) {
    if (std::strcmp(interface, zwlr_virtual_pointer_manager_v1_interface.name) == 0) {
        static_cast<std::unique_ptr<zwlr_virtual_pointer_manager_v1, ManagerDestroy>*>(data)->reset(
            static_cast<zwlr_virtual_pointer_manager_v1*>(
                wl_registry_bind(registry, name, &zwlr_virtual_pointer_manager_v1_interface, 1)));
    }
}
void OnGlobalRemove(void* /*data*/, wl_registry* /*registry*/, std::uint32_t /*name*/) {}

std::uint32_t Milliseconds() {
    return static_cast<std::uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                          std::chrono::steady_clock::now().time_since_epoch())
                                          .count());
}

}  // namespace

int main(int argc, char** argv) {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    if (argc != 3 || std::sscanf(argv[1], "%u", &width) != 1 ||
        std::sscanf(argv[2], "%u", &height) != 1 || width == 0 || height == 0) {
        std::fprintf(stderr, "usage: %s WIDTH HEIGHT (the output layout's size)\n", argv[0]);
        return 2;
    }
    const std::unique_ptr<wl_display, DisplayDisconnect> display(wl_display_connect(nullptr));
    if (!display) {
        std::fprintf(stderr, "no Wayland display\n");
        return 1;
    }
    std::unique_ptr<zwlr_virtual_pointer_manager_v1, ManagerDestroy> manager;
    const std::unique_ptr<wl_registry, RegistryDestroy> registry(
        wl_display_get_registry(display.get()));
    static constexpr wl_registry_listener kListener{OnGlobal, OnGlobalRemove};
    wl_registry_add_listener(registry.get(), &kListener, &manager);
    if (wl_display_roundtrip(display.get()) < 0 || !manager) {
        std::fprintf(stderr, "the compositor offers no zwlr_virtual_pointer_manager_v1\n");
        return 1;
    }
    const std::unique_ptr<zwlr_virtual_pointer_v1, PointerDestroy> pointer(
        zwlr_virtual_pointer_manager_v1_create_virtual_pointer(manager.get(), nullptr));
    if (wl_display_roundtrip(display.get()) < 0) {
        std::fprintf(stderr, "the compositor refused the virtual pointer\n");
        return 1;
    }
    std::cout << "ready" << std::endl;

    std::string line;
    while (std::getline(std::cin, line)) {
        std::istringstream words(line);
        std::string command;
        words >> command;
        std::uint32_t x = 0;
        std::uint32_t y = 0;
        if (command == "move" && words >> x >> y) {
            zwlr_virtual_pointer_v1_motion_absolute(pointer.get(), Milliseconds(), x, y, width,
                                                    height);
        } else if (command == "press" || command == "release") {
            zwlr_virtual_pointer_v1_button(pointer.get(), Milliseconds(), BTN_LEFT,
                                           command == "press" ? WL_POINTER_BUTTON_STATE_PRESSED
                                                              : WL_POINTER_BUTTON_STATE_RELEASED);
        } else {
            std::fprintf(stderr, "unknown command: %s\n", line.c_str());
            return 2;
        }
        zwlr_virtual_pointer_v1_frame(pointer.get());
        if (wl_display_roundtrip(display.get()) < 0) {
            std::fprintf(stderr, "the compositor went away\n");
            return 1;
        }
        std::cout << "ok" << std::endl;
    }
    return 0;
}
