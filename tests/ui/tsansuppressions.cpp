// Qt paints on a thread pool of its own and synchronises that pool with
// futexes, which ThreadSanitizer cannot see; painting a shown window then
// looks like a race inside Qt. The threaded tests that paint windows (the
// lighting preview's repaint timer) leave memory operations that Qt's own
// libraries make unchecked. This program's code is still checked, including
// its accesses to memory it shares with Qt.
extern "C" const char* __tsan_default_suppressions();

extern "C" const char* __tsan_default_suppressions() {
    return "called_from_lib:libQt6Gui.so.6\n"
           "called_from_lib:libQt6Core.so.6\n";
}
