#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "device/devicelink.h"
#include "settings/bitflags.h"
#include "settings/configurationexchange.h"
#include "settings/desktopapplier.h"
#include "settings/mousemirror.h"
#include "settings/performancesettings.h"
#include "settings/profilesaves.h"
#include "settings/rgb.h"

namespace varlok::settings {

// What a change left to do: the record goes to the mouse and the profiles
// are saved at the next commit; the key tables, the macro table and the
// cursor table wait for the save to the mouse.
enum class Touch : std::uint16_t {
    None = 0,
    Record = 1U << 0,
    KeySlots = 1U << 1,
    MacroTable = 1U << 2,
    CursorTable = 1U << 3,
    DeviceProfile = 1U << 4,
    LightingProfile = 1U << 5,
    KeyProfile = 1U << 6,
};
template <>
struct IsBitFlags<Touch> : std::true_type {};

// What views are told changed, right after the change (not at the commit).
enum class MouseChange : std::uint16_t {
    None = 0,
    // Bytes of the record in force or the host's settings that travel with
    // it (pointer speed, wheel lines, zone) were edited.
    Record = 1U << 0,
    // The live settings were replaced as a whole (a read of the mouse, a
    // switch of onboard profile, a profile loaded or reset): views show
    // everything anew.
    Settings = 1U << 1,
    // A profile replaced the pointer speed and the wheel lines: views show
    // them on their controls.
    DesktopSettings = 1U << 2,
    // The key tables changed.
    KeySlots = 1U << 3,
    // A key profile was taken into key table 0 (the key editor closes).
    KeyProfileLoaded = 1U << 4,
    MacroList = 1U << 5,
    CursorScripts = 1U << 6,
    // A profile list, its entries or the entry it shows chosen changed.
    ProfileLists = 1U << 7,
    // The mouse was found connected: its stored device profile takes over.
    MouseConnected = 1U << 8,
    // The whole mouse was read (its information block, key maps, record).
    FullRead = 1U << 9,
};
template <>
struct IsBitFlags<MouseChange> : std::true_type {};

// The editing model of the mouse: the one place through which the program
// changes the live settings. It owns nothing the mirror owns; it wraps the
// mirror, the exchanges, the profile saves and the desktop applier. A change
// stores its bytes at once, records what it touched and tells the views;
// Commit, run by the flush 100 ms after the first change of a burst, then
// sends the record once (one WriteSettings of 56 bytes, as FlushSettings
// always has) and saves each touched profile once, in the order in which
// they were last asked for. Nothing is sent or saved when nothing was
// touched, and the flush is asked for only when something was: an idle
// program runs no flush at all.
//
// Before anything that reads or writes the profile files or the stored
// selection, or replaces the live settings from the mouse, the saves still
// waiting are written (SavePending): a save must land in the profile that was
// selected when the change was made, holding the settings as they were then.
//
// Thread affinity: the UI thread. Observers are called on it, synchronously,
// in the order they subscribed; an observer may change the model (the
// change notifies again, nested) and may subscribe or unsubscribe.
class MouseModel {
public:
    using Observer = std::function<void(MouseChange)>;

    // Ends its observer's notifications when destroyed; safe to outlive the
    // model.
    class Subscription {
    public:
        Subscription() = default;
        ~Subscription();
        Subscription(Subscription&& other) noexcept;
        Subscription& operator=(Subscription&& other) noexcept;
        Subscription(const Subscription&) = delete;
        Subscription& operator=(const Subscription&) = delete;

    private:
        friend class MouseModel;
        struct Observers;
        Subscription(std::weak_ptr<Observers> observers, std::size_t id)
            : m_observers(std::move(observers)), m_id(id) {}
        void Reset();

        std::weak_ptr<Observers> m_observers;
        std::size_t m_id = 0;
    };

    // What a restore of the defaults shows on the pointer speed slider and
    // in the wheel lines edit (the stored values stay).
    static constexpr int kDefaultPointerPosition = 4;
    static constexpr int kDefaultWheelLines = 3;
    static constexpr int kMaxWheelLines = 100;

    // Every reference must outlive the model.
    MouseModel(MouseMirror& mirror, ConfigurationExchange& exchange, ProfileSaves& saves,
               DesktopApplier& desktop, device::DeviceLink& mouseLink);
    ~MouseModel();
    MouseModel(const MouseModel&) = delete;
    MouseModel& operator=(const MouseModel&) = delete;

    // The live settings, for reading. Cores that change them call NoteChange
    // afterwards.
    [[nodiscard]] MouseMirror& Mirror() const { return m_mirror; }
    [[nodiscard]] const PerformanceSettings Performance() const {
        return PerformanceSettings(m_mirror.settingsRecord);
    }
    [[nodiscard]] device::DeviceLink& MouseLink() const { return m_link; }
    [[nodiscard]] DesktopApplier& Desktop() const { return m_desktop; }

    // The performance settings. Each stores, records the record and the
    // profile saves the change has always made, and notifies Record.
    // Stage (1-7) to a position of the DPI table: both profiles saved.
    void SetStageDpi(int stage, int position);
    // Stage's indicator colour: the device profile saved.
    void SetStageColour(int stage, Rgb colour);
    // The report-rate list's entry: both profiles saved.
    void SetReportRate(int index);
    // The current stage (1-7), which the mouse otherwise reports itself.
    void SetCurrentStage(int stage);
    // The desktop's pointer speed (1-20; more is held to 20 as it is
    // applied), applied on a thread of its own; both profiles saved.
    void SetPointerSpeed(int speed);
    // The desktop's wheel lines (held within 1-100), applied on a thread of
    // its own. Stepped with the buttons both profiles are saved; typed into
    // the edit only the device profile, as it always was.
    enum class WheelLinesFrom { Steps, Typing };
    void SetWheelLines(int lines, WheelLinesFrom from);
    // Puts the desktop's pointer speed and wheel lines to their defaults at
    // once and has the mouse restore its own. The stored values stay: the
    // next save writes them as they were.
    void RestoreDefaults();

    // For the cores that change the live settings themselves (lighting,
    // profiles, keys): records what the change touched and tells the views.
    void NoteChange(Touch touched, MouseChange changed);
    // Tells the views without recording anything (MacroList, MouseConnected,
    // a replacement whose parts were recorded with NoteChange).
    void Notify(MouseChange changed);
    [[nodiscard]] Subscription Subscribe(Observer observer);

    // Called when a change leaves the record to send or a profile to save
    // and no commit was asked for since the last one ran: the window arms
    // its flush, which commits 100 ms later.
    void SetCommitRequest(std::function<void()> request);
    // A commit was asked for and has not run yet.
    [[nodiscard]] bool IsCommitRequested() const { return m_commitRequested; }

    // The flush: sends the record when it was touched and then saves the
    // touched profiles, each once. The touched key, macro and cursor tables
    // stay for the save to the mouse.
    void Commit();
    // Saves the touched profiles now (before files or the selection are
    // read, or the live settings replaced).
    void SavePending();
    // What is touched and not yet committed.
    [[nodiscard]] Touch Pending() const;
    // How many commits ran; tests wait on it.
    [[nodiscard]] std::uint64_t Commits() const { return m_commits; }

    // The exchanges with the mouse, with what they replace in the live
    // settings told to the views. The full read (information block, key maps,
    // the record from the host's table) notifies FullRead, Settings and
    // KeySlots.
    void SyncDevice();
    // The re-read of the record in force after the mouse switched profile.
    void RefreshCurrentRecord();
    // Switches onboard profile (0-4); Settings is notified when it switched.
    void SelectOnboardProfile(int index);
    // The save to the mouse: cursor scripts, macros, the active key table.
    void SaveToDevice();

private:
    void Record(Touch touched);

    MouseMirror& m_mirror;
    ConfigurationExchange& m_exchange;
    ProfileSaves& m_saves;
    DesktopApplier& m_desktop;
    device::DeviceLink& m_link;
    // The touched flags besides the record, whose flag is the mirror's
    // settingsDirty (shared with the exchange's flush).
    Touch m_touched = Touch::None;
    // The profile saves asked for, oldest request first.
    std::vector<Touch> m_saveOrder;
    std::uint64_t m_commits = 0;
    std::function<void()> m_commitRequest;
    bool m_commitRequested = false;
    std::shared_ptr<Subscription::Observers> m_observers;
};

}  // namespace varlok::settings
