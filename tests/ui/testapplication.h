#pragma once

// The QApplication that the UI tests share. GoogleTest's main creates none;
// the first test that needs one creates it on the main thread, and it lives
// until the process ends.

#include <QApplication>

namespace varlok::ui::test {

inline QApplication& TestApplication() {
    if (auto* existing = qobject_cast<QApplication*>(QCoreApplication::instance())) {
        return *existing;
    }
    static int argc = 1;
    static char name[] = "varlok_ui_tests";
    static char* argv[] = {name, nullptr};
    static QApplication application(argc, argv);
    return application;
}

}  // namespace varlok::ui::test
