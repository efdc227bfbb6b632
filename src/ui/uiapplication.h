#pragma once

// The process's UI: creates the Qt application object that every window and
// control needs. Construct it once on the thread that becomes the UI thread,
// before any control; destroy it after the last window.

#include <memory>

namespace varlok::ui {

class UiApplication {
public:
    UiApplication(int& argc, char** argv);
    ~UiApplication();
    UiApplication(const UiApplication&) = delete;
    UiApplication& operator=(const UiApplication&) = delete;

    // True while a UI application object exists in the process.
    [[nodiscard]] static bool Exists();

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

}  // namespace varlok::ui
