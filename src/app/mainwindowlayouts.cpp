#include "app/mainwindowlayouts.h"

#include <algorithm>
#include <array>
#include <string>

#include "platform/debugoutput.h"
#include "ui/circleprogressui.h"
#include "ui/devicekeybuttonui.h"

namespace varlok::app {

namespace {

constexpr std::array kLayoutClasses{
    LayoutClass{"MS_Deng_UI", LayoutClassKind::SubLayout, "Mouse_deng.xml"},
    LayoutClass{"MS_Macro_UI", LayoutClassKind::SubLayout, "Mouse_macro.xml"},
    LayoutClass{"MS_Key_UI", LayoutClassKind::SubLayout, "Mouse_key.xml"},
    LayoutClass{"MS_DPI_UI", LayoutClassKind::SubLayout, "Mouse_DPI.xml"},
    LayoutClass{"MS_CURSOR_UI", LayoutClassKind::SubLayout, "Mouse_cursor.xml"},
    LayoutClass{"CircleProgress", LayoutClassKind::CircleProgress, {}},
    LayoutClass{"DeviceKeyButton", LayoutClassKind::DeviceKeyButton, {}},
};

char LowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    return std::ranges::equal(a, b, [](char x, char y) { return LowerAscii(x) == LowerAscii(y); });
}

}  // namespace

std::span<const LayoutClass> MainWindowLayoutClasses() {
    return kLayoutClasses;
}

std::optional<LayoutClass> FindLayoutClass(std::string_view className) {
    const auto it = std::ranges::find_if(kLayoutClasses, [className](const LayoutClass& entry) {
        return EqualsIgnoringCase(entry.className, className);
    });
    if (it == kLayoutClasses.end()) {
        return std::nullopt;
    }
    return *it;
}

std::unique_ptr<ui::CControlUI> BuildLayoutClass(std::string_view className,
                                                 ui::IDialogBuilderCallback* callback,
                                                 ui::CPaintManagerUI& manager) {
    const auto entry = FindLayoutClass(className);
    if (!entry) {
        return nullptr;
    }
    switch (entry->kind) {
        case LayoutClassKind::SubLayout: {
            ui::CDialogBuilder builder;
            auto page = builder.Create(entry->file, callback, &manager);
            if (!page) {
                platform::DebugOutput::Write("layout " + std::string(entry->file) +
                                             " not built: " + builder.GetLastError());
            }
            return page;
        }
        case LayoutClassKind::CircleProgress:
            return std::make_unique<ui::CCircleProgressUI>();
        case LayoutClassKind::DeviceKeyButton:
            return std::make_unique<ui::CDeviceKeyButtonUI>();
    }
    return nullptr;
}

std::optional<std::string> MainWindowControlText(std::string_view id,
                                                 std::string_view interfaceLanguage) {
    const bool english = interfaceLanguage == "en";
    if (EqualsIgnoringCase(id, "titletext")) {
        return english ? "Duilib Demo v1.1" : "mouse";
    }
    if (EqualsIgnoringCase(id, "hometext")) {
        return english ? "{a}Home Page{/a}" : "{a}演示官网{/a}";
    }
    return std::nullopt;
}

}  // namespace varlok::app
