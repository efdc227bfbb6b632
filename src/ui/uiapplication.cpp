#include "ui/uiapplication.h"

#include <QApplication>

namespace varlok::ui {

struct UiApplication::Impl {
    Impl(int& argc, char** argv) : app(argc, argv) {}
    QApplication app;
};

UiApplication::UiApplication(int& argc, char** argv) : m_impl(std::make_unique<Impl>(argc, argv)) {
    QApplication::setQuitOnLastWindowClosed(false);
}

UiApplication::~UiApplication() = default;

bool UiApplication::Exists() {
    return QApplication::instance() != nullptr;
}

}  // namespace varlok::ui
