#pragma once

// The mouse page's sections without a window: the main window's layout built
// into a paint manager of its own, the editing model over the virtual mouse
// behind a connected link, a profile store in a folder of the test's own
// whose saves are recorded (and written, so that their bytes can be read),
// and a route table the controls' notifications reach. No window, no timers,
// no worker threads: the test runs the flush tick itself (Commit), and only
// the desktop applier's short threads run, which WaitForDesktop waits for.
// The keys' macro store and cursor scripts lie in the same folder, a save to
// the mouse sends their tables, and the device hook takes the input the test
// types into a fake capture. Pages are built with the harness's PageContext
// as the window builds them.

#include <gtest/gtest.h>

#include <cstdint>
#include <deque>
#include <filesystem>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "keys/cursorscripts.h"
#include "keys/macrostore.h"
#include "keys/page/devicehook.h"
#include "keys/storeuploader.h"
#include "lighting/effectstate.h"
#include "lighting/ledstate.h"
#include "lighting/lightingmodel.h"
#include "platform/fakeinputcapture.h"
#include "platform/recordingdesktopsettings.h"
#include "platform/tempfolder.h"
#include "profiles/liveprofiles.h"
#include "profiles/profilestore.h"
#include "settings/configurationexchange.h"
#include "settings/desktopapplier.h"
#include "settings/mousemirror.h"
#include "settings/mousemodel.h"
#include "settings/page/pagecontext.h"
#include "settings/settingstestsupport.h"
#include "ui/controlui.h"
#include "ui/dialogservice.h"
#include "ui/notify.h"
#include "ui/paintmanagerui.h"
#include "ui/recordingtarget.h"
#include "ui/routetable.h"

namespace varlok::app::testing {

// Message boxes and the colour dialog as a test answers them: every message
// shown is noted and confirmed (or answered from the queue), the colour
// dialog gives `colour` (nothing: closed).
class ScriptedDialogs : public ui::DialogService {
public:
    int ShowMessage(std::string_view key) override;
    void ShowTimedMessage(std::string_view key) override { shown.emplace_back(key); }
    [[nodiscard]] std::optional<ui::Argb> PickColour(ui::Argb initial) override;
    [[nodiscard]] std::span<const ui::Argb> PresetColours() const override;

    std::vector<std::string> shown;
    std::deque<int> answers;
    std::optional<ui::Argb> colour;
    std::vector<ui::Argb> pickedFrom;
};

// The profile saves as the model asks for them, noted ("device", "lighting",
// "key") and written by the store.
class RecordingSaves : public settings::ProfileSaves {
public:
    explicit RecordingSaves(profiles::ProfileStore& store) : m_store(store) {}
    void SaveDeviceProfile() override;
    void SaveLightingProfile() override;
    void SaveKeyProfile() override;

    std::vector<std::string> saves;

private:
    profiles::ProfileStore& m_store;
};

class PageHarness : private ui::INotifyUI, private settings::testing::ConnectedMouse {
public:
    PageHarness();
    ~PageHarness() override;
    PageHarness(const PageHarness&) = delete;
    PageHarness& operator=(const PageHarness&) = delete;

    // Builds a page as the window does and registers its routes; it lives as
    // long as the harness.
    template <class Page>
    Page& Add() {
        auto page = std::make_unique<Page>(m_context);
        page->RegisterRoutes(m_routes);
        Page& added = *page;
        m_pages.push_back(std::move(page));
        return added;
    }
    // The window's initialisation as the pages see it: they fill their lists
    // and prepare their controls.
    void Initialise() { m_routes.Raise(settings::PageSignal::kFillPageData); }

    // As a user: a click, a choice in a list (combo box), a slider released
    // at a value, text typed into an edit, an option ticked or unticked. False
    // when the control is missing.
    bool Click(std::string_view name);
    bool Choose(std::string_view name, int index);
    bool Release(std::string_view name, int value);
    bool Type(std::string_view name, std::string_view text);
    bool Tick(std::string_view name, bool selected);
    // Any other notification of the control (a lost focus, a hover).
    bool Send(std::string_view name, std::string_view type, ui::WParam wParam = 0);

    [[nodiscard]] ui::CControlUI* Find(std::string_view name) const;
    template <class Control>
    [[nodiscard]] Control& Get(std::string_view name) const {
        Control* control = m_controls.FindControl<Control>(name);
        EXPECT_NE(control, nullptr) << name;
        return *control;
    }
    [[nodiscard]] std::string Text(std::string_view name) const;

    // The flush tick.
    void Commit() { m_model.Commit(); }
    // Waits until the desktop applier's threads have applied their values.
    void WaitForDesktop() { m_desktopApplier.WaitForPending(); }

    [[nodiscard]] settings::MouseModel& Model() { return m_model; }
    [[nodiscard]] settings::MouseMirror& Mirror() { return m_mirror; }
    [[nodiscard]] lighting::EffectState& Effects() { return m_effects; }
    [[nodiscard]] lighting::LightingModel& Lighting() { return m_lightingModel; }
    [[nodiscard]] profiles::LiveProfiles& Profiles() { return m_liveProfiles; }
    [[nodiscard]] sim::VirtualMouse& Mouse() { return *mouse; }
    [[nodiscard]] platform::RecordingDesktopSettings& Desktop() { return *m_desktop; }
    [[nodiscard]] ScriptedDialogs& Dialogs() { return m_dialogs; }
    [[nodiscard]] settings::testing::RecordingHooks& Hooks() { return m_hooks; }
    // The keys' stores in the data folder (the cursor scripts' defaults are
    // in the install folder), whose tables a save to the mouse sends; the
    // input capture behind the device hook, whose messages reach the pages'
    // routes; the macro recorder's clock (ms), which the test steps.
    [[nodiscard]] keys::MacroStore& Macros() { return m_macros; }
    [[nodiscard]] keys::CursorScripts& CursorScripts() { return m_cursorScripts; }
    [[nodiscard]] platform::FakeInputCapture& Capture() { return *m_capture; }
    std::int64_t ticks = 5000;
    // The saves the model ran, in order, since the last call.
    [[nodiscard]] std::vector<std::string> TakeSaves();
    // The requests the mouse received since the last call.
    [[nodiscard]] std::vector<settings::testing::Request> TakeRequests();
    // The mouse's data folder (msProfile.ini and the profile files, profile1
    // in each list as the first run leaves them) and the folder with the
    // default profiles.
    [[nodiscard]] std::filesystem::path DataFolder() const { return m_folder / "ms"; }
    [[nodiscard]] std::filesystem::path InstallFolder() const { return m_folder.Path(); }
    // A profile file's bytes, header included ("" when missing).
    [[nodiscard]] std::string FileBytes(std::string_view fileName) const;

private:
    void Notify(ui::TNotifyUI& msg) override { m_routes.DeliverNotify(msg); }

    platform::testing::TempFolder m_folder;
    ui::CPaintManagerUI m_controls;
    ui::RouteTable m_routes;
    ScriptedDialogs m_dialogs;
    std::shared_ptr<platform::RecordingDesktopSettings> m_desktop =
        std::make_shared<platform::RecordingDesktopSettings>();
    settings::MouseMirror m_mirror;
    settings::testing::RecordingHooks m_hooks{*mouse};
    profiles::ProfileStore m_store;
    RecordingSaves m_saves{m_store};
    keys::MacroStore m_macros{m_folder / "ms"};
    keys::CursorScripts m_cursorScripts{m_folder / "ms", m_folder.Path()};
    keys::StoreUploader m_uploader;
    settings::ConfigurationExchange m_exchange{m_link, m_mirror, m_saves, m_hooks, m_uploader};
    settings::DesktopApplier m_desktopApplier{m_desktop, m_mirror};
    settings::MouseModel m_model{m_mirror, m_exchange, m_saves, m_desktopApplier, m_link};
    lighting::EffectState m_effects;
    lighting::LedState m_leds;
    lighting::LightingModel m_lightingModel{m_model, m_effects};
    profiles::LiveProfiles m_liveProfiles{m_store, m_model};
    std::shared_ptr<platform::FakeInputCapture> m_capture =
        std::make_shared<platform::FakeInputCapture>();
    keys::CDeviceHook m_deviceHook{m_capture};
    // Stands in for the window the hook's messages go to.
    std::unique_ptr<ui::test::RecordingTarget> m_hookTarget;
    settings::PageContext m_context{m_controls, m_dialogs, m_model};
    std::vector<std::unique_ptr<ui::Page>> m_pages;
};

}  // namespace varlok::app::testing
