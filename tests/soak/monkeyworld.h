#pragma once

// What the monkey drives and watches: the real main window with the virtual
// mouse, built as `varlok --simulate` builds it (the mouse's memory kept in
// its state file between starts, the skins and the About window, the start-up
// recovery), in a folder of its own, with a program in front and input
// capture that the monkey plays itself. It injects the faults of the mouse
// and of the disk, quits and starts the window as a user quits and starts
// the program, and checks the invariants between the monkey's actions. UI
// thread only.

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/mainwnd.h"
#include "device/hidbus.h"
#include "platform/fakeforegroundprogram.h"
#include "platform/fakeinputcapture.h"
#include "platform/recordingdesktopsettings.h"
#include "sim/virtualmouse.h"
#include "sim/virtualmousestatefile.h"
#include "storecheck.h"
#include "ui/support/uidriver.h"

namespace varlok::soak {

enum class DeviceFault {
    Silent,            // takes every report, carries none out, answers none
    FailingWrites,     // refuses every report
    FailureStatus,     // answers everything with status 0xFF
    BusyStatus,        // answers everything with status 0xFE
    Garbage,           // random bytes and answers cut short
    SlowAnswers,       // answers after the host's read limit
    UnplugInTransfer,  // pulled out after a few more reports
    RefuseOpen,        // may not be opened (no udev rule); replugged
};
inline constexpr int kDeviceFaultKinds = 8;

enum class DiskFault {
    Full,               // every write fails with ENOSPC
    ReadOnlyDocuments,  // the documents folder may not be written
    EveryThirdWrite,    // one write in three fails, wherever
};
inline constexpr int kDiskFaultKinds = 3;

[[nodiscard]] std::string_view NameOf(DeviceFault fault);
[[nodiscard]] std::string_view NameOf(DiskFault fault);

class MonkeyWorld {
public:
    // folder holds the stores and the runtime folder; install is the
    // installation folder (skin, default profiles and cursor scripts).
    MonkeyWorld(std::filesystem::path folder, std::filesystem::path install);
    // Quits the window and ends every fault.
    ~MonkeyWorld();
    MonkeyWorld(const MonkeyWorld&) = delete;
    MonkeyWorld& operator=(const MonkeyWorld&) = delete;

    // The program's start: a mouse with the memory of its state file, then
    // the window, shown and initialised, and (unless the mouse is faulty) its
    // first read of the mouse.
    void Start();
    // The program's quit: the window closed as its exit item closes it, then
    // the mouse's memory saved.
    void Quit();
    // Whether the window is there (it may have been closed by a click).
    [[nodiscard]] bool Running() const;

    [[nodiscard]] app::CMainWnd& Window() { return *m_window; }
    [[nodiscard]] ui::test::UiDriver Driver() { return ui::test::UiDriver(*m_window); }
    [[nodiscard]] sim::VirtualMouse& Mouse() { return *m_mouse; }
    [[nodiscard]] platform::FakeInputCapture& Capture() { return *m_capture; }
    [[nodiscard]] platform::FakeForegroundProgram& Foreground() { return *m_foreground; }
    [[nodiscard]] const std::filesystem::path& Folder() const { return m_folder; }
    [[nodiscard]] std::filesystem::path DataFolder() const { return m_folder / "ms"; }
    [[nodiscard]] int Reads() const { return m_reads; }
    // Unplugs the mouse, runs the UI for pause, plugs it in again and
    // (unless the mouse is faulty) waits for the window to read it.
    void Replug(std::chrono::milliseconds pause);

    // afterReports: how many more reports the mouse takes before it is
    // unplugged in a transfer.
    void SetDeviceFault(DeviceFault fault, std::uint32_t afterReports);
    void EndDeviceFaults();
    void SetDiskFault(DiskFault fault);
    void EndDiskFaults();
    [[nodiscard]] bool DiskFaulty() const { return m_diskFault.has_value(); }

    // Runs the UI for about that long, as time passing between a user's
    // actions: timers fire, workers report.
    static void RunFor(std::chrono::milliseconds time);

    // The invariants. Each returns what it found wrong, nothing when all is
    // well.
    // A message sent to the window from another thread is answered.
    [[nodiscard]] std::vector<std::string> CheckWindowAnswers();
    // The stores (storecheck.h): with the start's fill only while no window
    // runs on them.
    [[nodiscard]] std::vector<std::string> CheckStores();
    // After the mouse is plugged in again without faults and read whole, the
    // mirror holds what the mouse holds: its information block, factory key
    // map and the five key tables.
    [[nodiscard]] std::vector<std::string> CheckMirrorAfterFullRead();

private:
    [[nodiscard]] std::vector<std::string> CompareMirror() const;
    // Runs the UI until the window read the mouse after `before` reads, or
    // nothing when the mouse has faults (it may never be read whole then).
    void WaitForRead(int before);
    void ApplyDiskFault();

    std::filesystem::path m_folder;
    std::filesystem::path m_install;
    std::filesystem::path m_statePath;
    std::shared_ptr<device::HidBus> m_bus = std::make_shared<device::HidBus>();
    std::shared_ptr<sim::VirtualMouse> m_mouse;
    std::optional<sim::VirtualMouseStateFile> m_stateFile;
    std::shared_ptr<platform::FakeForegroundProgram> m_foreground =
        std::make_shared<platform::FakeForegroundProgram>();
    std::shared_ptr<platform::FakeInputCapture> m_capture =
        std::make_shared<platform::FakeInputCapture>();
    std::shared_ptr<platform::RecordingDesktopSettings> m_desktop =
        std::make_shared<platform::RecordingDesktopSettings>();
    std::unique_ptr<app::CMainWnd> m_window;
    int m_reads = 0;
    // Called after each full read of the mouse, inside the window's handler.
    std::function<void()> m_onRead;
    std::optional<DiskFault> m_diskFault;
};

}  // namespace varlok::soak
