#pragma once

#include "platform/fakeforegroundprogram.h"
#include "platform/fakeinputcapture.h"

// Shared by the main window tests: the installed skin copied into a fresh
// folder (so that tests can add language files of their own), the stores in
// that folder, a HID bus of the test's own (empty, or with the virtual mouse
// when AttachMouse is called first), and helpers that run the UI until
// something happened.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "app/mainwnd.h"
#include "device/hidbus.h"
#include "platform/tempfolder.h"
#include "settings/settingstestsupport.h"
#include "sim/virtualmouse.h"
#include "ui/support/uidriver.h"
#include "ui/windowhandle.h"

namespace varlok::app::testing {

// The program in front as the test puts it there, counting how often the
// window asked which it is (it asks when it follows a change).
class CountingForegroundProgram : public platform::FakeForegroundProgram {
public:
    using FakeForegroundProgram::FakeForegroundProgram;
    [[nodiscard]] std::string Path() const override {
        ++reads;
        return FakeForegroundProgram::Path();
    }
    mutable std::atomic<int> reads{0};
};

// Answers the next message box: records its text, runs `during` while it is
// open, then confirms it (unless confirm is false: a timed box closes
// itself).
void AnswerMessage(std::string& shown, std::function<void()> during = {}, bool confirm = true);

class MainWindowFixture : public ::testing::Test {
public:
    // Runs the UI (events, posted messages, timers) until done() or the
    // guard passes; returns done(). The guard only keeps a broken test from
    // hanging.
    static bool RunUntil(const std::function<bool()>& done,
                         std::chrono::milliseconds guard = std::chrono::seconds(20));

protected:
    void SetUp() override;
    void TearDown() override;

    // Plugs the virtual mouse into the test's bus; call before CreateWindow.
    std::shared_ptr<sim::VirtualMouse> AttachMouse();

    // The whole-record writes (56 bytes at offset 0) the attached mouse
    // received.
    [[nodiscard]] std::vector<settings::testing::Request> RecordWrites() const;
    // Runs the UI until the flush has committed every change made so far:
    // the record sent, the profiles saved.
    void WaitForCommit();
    // WaitForCommit, then until what the commit set off has run and been
    // committed too: what the mouse received by then is all that the
    // changes so far send.
    void WaitForQuietCommit();
    // Waits for the commit of the burst of changes just made and what it set
    // off, where a second write would show up if there were one.
    std::vector<settings::testing::Request> FlushedRecords();
    // Creates the window, waits for the first read of the attached mouse and
    // the flush of the record the refresh stores after it, brings the mouse
    // page's tab forward and clears the mouse's log.
    void OpenMousePage(std::string_view tab);
    [[nodiscard]] ui::test::UiDriver Driver() { return ui::test::UiDriver(*m_window); }
    // Builds the main window (InitWindow runs); "windowinit" with the
    // workers follows on the next turn of the event loop.
    CMainWnd& CreateWindow();
    // Runs "windowinit" (and whatever else is queued).
    void Initialise();
    // Closes the window and runs the UI until it is gone.
    void CloseWindow();

    // Writes a language file into the skin copy: <Language> with one Text.
    void WriteLanguageFile(const std::string& file, const std::string& key,
                           const std::string& text) const;
    void SetRegistryLanguage(const std::string& code) const;
    [[nodiscard]] std::string MainIniLanguage() const;
    void SetMainIniLanguage(const std::string& index) const;

    [[nodiscard]] ui::CControlUI* Find(std::string_view name) const;

    platform::testing::TempFolder m_folder;
    std::filesystem::path m_skin;
    std::shared_ptr<device::HidBus> m_bus = std::make_shared<device::HidBus>();
    std::shared_ptr<sim::VirtualMouse> m_mouse;
    // The program in front as the test puts it there; never the desktop's.
    // Input as the test types it; no test grabs a desktop unless it asks.
    std::shared_ptr<platform::FakeInputCapture> m_capture =
        std::make_shared<platform::FakeInputCapture>();
    std::shared_ptr<CountingForegroundProgram> m_foreground =
        std::make_shared<CountingForegroundProgram>();
    CMainWnd::Environment m_environment;
    // The window's reads of the mouse so far.
    int m_reads = 0;
    std::unique_ptr<CMainWnd> m_window;
};

}  // namespace varlok::app::testing
