// Qt paints large gradient and antialiased fills on a thread pool of its own
// and synchronises that pool with futexes, which ThreadSanitizer cannot see;
// every such fill then looks like a race inside Qt. The main window tests
// paint the mouse picture and the colour palette, so memory operations that
// Qt's own libraries make are not checked here. This program's code is still
// checked, including its accesses to memory it shares with Qt.
extern "C" const char* __tsan_default_suppressions();

extern "C" const char* __tsan_default_suppressions() {
    return "called_from_lib:libQt6Gui.so.6\n"
           "called_from_lib:libQt6Core.so.6\n";
}
