// A client window for the tests of the program in front on a compositor of
// their own (Sway headless): it shows one window and says "shown" on
// standard output once the compositor has mapped it, then runs until it is
// ended. Tests copy it under different names, so that each copy is another
// program to /proc/PID/exe.

#include <QGuiApplication>
#include <QRasterWindow>

#include <cstdio>

namespace {

class FocusWindow : public QRasterWindow {
protected:
    void exposeEvent(QExposeEvent* event) override {
        QRasterWindow::exposeEvent(event);
        if (isExposed() && !m_said) {
            m_said = true;
            std::printf("shown\n");
            std::fflush(stdout);
        }
    }

private:
    bool m_said = false;
};

}  // namespace

int main(int argc, char** argv) {
    QGuiApplication application(argc, argv);
    FocusWindow window;
    window.setTitle(QCoreApplication::applicationName());
    window.resize(200, 150);
    window.show();
    return QGuiApplication::exec();
}
