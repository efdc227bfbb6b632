#pragma once

#include <optional>
#include <span>
#include <string_view>

namespace varlok::app {

// What the main window builds for a layout class that the UI library does
// not know itself: a page from a sub-layout file, or one of the custom
// controls under its tag name.
enum class LayoutClassKind {
    SubLayout,
    CircleProgress,
    DeviceKeyButton,
};

struct LayoutClass {
    std::string_view className;
    LayoutClassKind kind = LayoutClassKind::SubLayout;
    // The layout file for SubLayout; empty otherwise.
    std::string_view file;
};

[[nodiscard]] std::span<const LayoutClass> MainWindowLayoutClasses();
// The entry whose class name equals className without regard to ASCII case,
// or std::nullopt.
[[nodiscard]] std::optional<LayoutClass> FindLayoutClass(std::string_view className);

}  // namespace varlok::app
