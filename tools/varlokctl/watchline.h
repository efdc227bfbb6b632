#pragma once

// What "varlokctl watch" shows of the mouse, and its lines: one per change,
// as text or as JSON, each written out at once (status bars read a pipe).

#include <optional>
#include <ostream>
#include <string>
#include <string_view>

namespace varlok::tools {

// The mouse as watch sees it; what could not be learnt is left out.
struct MouseStatus {
    bool connected = false;
    // The active onboard profile, 0-4.
    std::optional<unsigned> profile;
    // The current DPI stage, 1-7, and its DPI.
    std::optional<unsigned> stage;
    std::optional<unsigned> dpi;
    // The lighting effect's name.
    std::optional<std::string> effect;
    // How it was learnt: "window" (the running window's service) or
    // "direct" (the mouse itself).
    std::string via;

    friend bool operator==(const MouseStatus&, const MouseStatus&) = default;
};

// Prints the lines. Text: "EVENT: SUMMARY" ("stage: profile 1, stage 3 (1600
// DPI), wave"; "removed: no mouse"). JSON: one object a line with "event",
// "connected", "profile", "stage", "dpi", "effect" (null when unknown), "via",
// and "text", "tooltip" and "class" for a waybar custom module. Events:
// state (the first line, and when the way to the mouse changes), connected,
// removed, profile, stage (the current stage or its DPI), effect, and, where
// the mouse reported a change that could not be read, button (it switched
// profile or DPI stage itself) and configuration.
class WatchPrinter {
public:
    WatchPrinter(std::ostream& out, bool json) : m_out(out), m_json(json) {}

    // A line for each change against the status shown last.
    void Show(const MouseStatus& status);
    // A line for an event whose outcome is not known, with the status as it
    // stands.
    void Report(std::string_view event);

private:
    void Line(std::string_view event, const MouseStatus& status);

    std::ostream& m_out;
    bool m_json;
    std::optional<MouseStatus> m_last;
};

}  // namespace varlok::tools
