#pragma once

#include <algorithm>
#include <memory>
#include <optional>
#include <string_view>

namespace varlok::platform {

enum class DesktopSetting { PointerSpeed, WheelLines };

enum class DesktopApplyResult {
    Applied,      // the desktop's store holds the new value
    Unsupported,  // this desktop has no such setting (see Supports); nothing was changed
    Failed,       // the desktop has it, but it could not be changed; the old value stays
};

// Changes the user's desktop-wide pointer speed and wheel scroll lines, as the
// Windows build does through SystemParametersInfoW. One backend per kind of
// desktop session (see OpenDesktopSettings).
//
// Pointer speed is on the Windows scale 1..20, where 10 is the desktop's own
// default; wheel lines are 1..100. Values outside are clamped, not refused.
//
// Calls may come from any thread, but must not overlap: GSettings is not safe
// for concurrent use (GLib's in-memory settings backend keeps its values in a
// table without a lock, so a write that replaces a value frees it under a read
// on another thread). The program makes every call from the one thread of
// settings::DesktopApplier. BackendName and Supports touch no desktop and may
// be called from any thread at any time. Each call opens the desktop
// connection or file it needs and closes it again before returning, so an
// object holds no connection between calls. Calls block for as long as the
// desktop takes to store the value (a file replacement, a settings daemon
// round trip).
class DesktopSettings {
public:
    static constexpr int kMinPointerSpeed = 1;
    static constexpr int kMaxPointerSpeed = 20;
    static constexpr int kDefaultPointerSpeed = 10;
    static constexpr int kMinWheelLines = 1;
    static constexpr int kMaxWheelLines = 100;
    static constexpr int kDefaultWheelLines = 3;

    virtual ~DesktopSettings() = default;

    // "GNOME", "KDE Plasma", "X11" or "none"; for diagnostics and the about box.
    [[nodiscard]] virtual std::string_view BackendName() const = 0;

    // Whether this desktop has the setting at all. Constant for an object.
    [[nodiscard]] virtual bool Supports(DesktopSetting setting) const = 0;

    // Sets the pointer speed, clamped to kMinPointerSpeed..kMaxPointerSpeed.
    [[nodiscard]] virtual DesktopApplyResult SetPointerSpeed(int speed) = 0;

    // The desktop's current pointer speed on the 1..20 scale (rounded to the nearest
    // step when the desktop holds a value between steps), or std::nullopt when it
    // cannot be read or the setting is unsupported.
    [[nodiscard]] virtual std::optional<int> PointerSpeed() const = 0;

    // Sets the lines one wheel notch scrolls, clamped to kMinWheelLines..kMaxWheelLines,
    // and tells running programs that read it.
    [[nodiscard]] virtual DesktopApplyResult SetWheelLines(int lines) = 0;

    [[nodiscard]] static constexpr int ClampPointerSpeed(int speed) {
        return std::clamp(speed, kMinPointerSpeed, kMaxPointerSpeed);
    }
    [[nodiscard]] static constexpr int ClampWheelLines(int lines) {
        return std::clamp(lines, kMinWheelLines, kMaxWheelLines);
    }
};

// The pointer speed on the -1..1 acceleration scale of libinput, which GNOME and
// KDE Plasma store: (speed - 10) / 10, so 10 is 0.0 (libinput's default), 20 is 1.0
// and 1 is -0.9. `speed` is clamped first.
[[nodiscard]] double LibinputSpeedFromPointerSpeed(int speed);

// The inverse: the nearest step of the 1..20 scale, clamped (-1.0 reads as 1).
// std::nullopt for NaN and infinities.
[[nodiscard]] std::optional<int> PointerSpeedFromLibinputSpeed(double value);

// The backend for the session this process runs in, chosen by ChooseDesktopBackend
// from CurrentDesktopSession(). Writes the choice to DebugOutput. Never null.
[[nodiscard]] std::shared_ptr<DesktopSettings> OpenDesktopSettings();

}  // namespace varlok::platform
