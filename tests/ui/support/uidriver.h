#pragma once

// Acts as a user on controls found by name: clicks, selects, types, drags
// sliders, hovers and leaves, answers modal windows. Every action goes
// through the same Qt input events a mouse or keyboard would cause, so the
// controls send exactly the notifications a person would cause. UI thread.

#include <chrono>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "ui/uitypes.h"

namespace varlok::ui {
class CControlUI;
class CPaintManagerUI;
class WindowImplBase;
}  // namespace varlok::ui

namespace varlok::ui::test {

// Creates the process's UI application once (tests run offscreen).
void EnsureApplication();
// Runs pending UI work: posted calls, layouts, "windowinit", deferred closes.
void ProcessEvents();
// Runs the UI (events, posted messages, timers) until done() or the guard
// passes; returns done(). The guard only keeps a broken caller from hanging.
bool RunUntil(const std::function<bool()>& done, std::chrono::milliseconds guard);
// Makes the window the active one, as a click on it would (a hidden window
// stays as it is); then runs pending UI work.
void ActivateWindow(WindowImplBase& window);
// Leaves no window of the program active, as a click on the desktop or on
// another program's window does; then runs pending UI work.
void DeactivateAllWindows();
// The program's windows that are on screen, the active one first.
[[nodiscard]] std::vector<WindowImplBase*> ShownWindows();

class UiDriver {
public:
    explicit UiDriver(WindowImplBase& window);

    // The control of that name, or null.
    [[nodiscard]] CControlUI* Find(std::string_view name) const;

    // Each action returns false when the control is missing or not visible.
    bool Click(std::string_view name);
    // The same for a control found otherwise (several may share a name).
    bool Click(CControlUI& control);
    bool DoubleClick(std::string_view name);
    bool RightClick(std::string_view name);
    // Press and release at a point relative to the control's top-left corner.
    bool ClickAt(std::string_view name, UiPoint offset);
    bool Hover(std::string_view name);
    bool Leave(std::string_view name);
    // Gives the control the keyboard focus the way a click would; Blur
    // takes it away again (as clicking into empty space does).
    bool Focus(std::string_view name);
    void Blur();
    // Focuses the edit and types text one key at a time.
    bool Type(std::string_view name, std::string_view text);
    // Selects all text of the edit and deletes it, as Ctrl+A, Delete would.
    bool ClearText(std::string_view name);
    // Presses a key on the focused control: "Return", "Up", "Down", "Left",
    // "Right", "Space", "Escape", "Backspace".
    bool PressKey(std::string_view key);
    // Opens the combo box and clicks item index in its drop-down.
    bool SelectComboItem(std::string_view name, int index);
    // Clicks item index of a list (scrolling it into view first).
    bool ClickListItem(std::string_view name, int index);
    // Drags the slider's thumb to value: one "movevaluechanged" per value
    // passed, "valuechanged" on release.
    bool DragSlider(std::string_view name, int value);
    // Clicks the palette at a share (0..1) of its colour field or its bar.
    bool PickPaletteColour(std::string_view name, double x, double y, bool bar = false);
    // Presses at a client point, moves the mouse by delta, releases.
    bool DragFrom(UiPoint clientPoint, UiPoint delta);

    // When the next modal window opens, runs answer with a driver for it.
    static void AnswerNextModal(std::function<void(UiDriver&)> answer);
    // Shorthand: click the named control of the next modal window.
    static void ClickInNextModal(std::string name);

    [[nodiscard]] WindowImplBase& Window() const { return m_window; }

private:
    CControlUI* Visible(std::string_view name) const;
    WindowImplBase& m_window;
};

}  // namespace varlok::ui::test
