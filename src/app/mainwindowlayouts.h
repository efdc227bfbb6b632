#pragma once

#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "ui/controlui.h"
#include "ui/dialogbuilder.h"
#include "ui/paintmanagerui.h"

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

// Builds the control of a layout class the UI library does not know: the
// sub-layout (its own unknown classes going to callback, its fonts and
// styles to manager) or the custom control; null for any other class, or a
// sub-layout that cannot be built (said in the debug output).
[[nodiscard]] std::unique_ptr<ui::CControlUI> BuildLayoutClass(std::string_view className,
                                                               ui::IDialogBuilderCallback* callback,
                                                               ui::CPaintManagerUI& manager);

// The texts the main layout asks its window for by key (the title and home
// page labels, keys without regard to ASCII case), in English when
// interfaceLanguage is "en" and in Chinese otherwise; std::nullopt for any
// other key.
[[nodiscard]] std::optional<std::string> MainWindowControlText(std::string_view id,
                                                               std::string_view interfaceLanguage);

}  // namespace varlok::app
