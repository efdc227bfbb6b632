#include "app/support/mainwindowfixture.h"

#include <QCoreApplication>

#include "app/languagesettings.h"
#include "app/support/windowenvironment.h"
#include "platform/inifile.h"
#include "platform/registry.h"
#include "sim/virtualhidbackend.h"
#include "ui/controlui.h"
#include "ui/customcontrols.h"
#include "ui/modalanswers.h"
#include "ui/qt/messagehub.h"
#include "ui/resourcemanager.h"
#include "ui/support/uidriver.h"
#include "ui/trayicon.h"

namespace varlok::app::testing {

void AnswerMessage(std::string& shown, std::function<void()> during, bool confirm) {
    ui::test::UiDriver::AnswerNextModal([&shown, during, confirm](ui::test::UiDriver& box) {
        if (const ui::CControlUI* text = box.Find("MessageText")) {
            shown = text->GetText();
        }
        if (during) {
            during();
        }
        if (confirm) {
            box.Click("confirm_btn");
        }
    });
}

void MainWindowFixture::SetUp() {
    ui::test::EnsureApplication();
    m_skin = m_folder / "skin";
    std::filesystem::copy(VARLOK_SOURCE_DIR "/data/skin", m_skin,
                          std::filesystem::copy_options::recursive);
    auto& resources = ui::CResourceManager::GetInstance();
    resources.Release();
    resources.SetResourcePath(m_skin.string());
    ASSERT_TRUE(resources.LoadResource("res.xml"));
    ui::RegisterCustomControls();
    // The default profiles as the build made them, where an installation
    // keeps them.
    for (const char* file : {"msdevicedefault.config", "msdengdefault.led", "mskeydefault.pro"}) {
        std::filesystem::copy_file(std::filesystem::path(VARLOK_BUILD_DATA_DIR) / file,
                                   m_folder / file);
    }
    for (const char* script : {"name_1.cur", "name_2.cur", "name_3.cur", "name_4.cur"}) {
        std::filesystem::copy_file(std::filesystem::path(VARLOK_SOURCE_DIR "/data") / script,
                                   m_folder / script);
    }

    m_environment = TestWindowEnvironment(m_folder.Path(), m_folder.Path(), m_bus);
    m_environment.onMouseRead = [this] { ++m_reads; };
    m_environment.foreground = m_foreground;
    m_environment.inputCapture = m_capture;
}

void MainWindowFixture::TearDown() {
    if (m_window) {
        CloseWindow();
        m_window.reset();
    }
    ui::ModalAnswers::Clear();
    ui::CTrayIcon::OverrideSystemTrayAvailable(std::nullopt);
    ui::test::ProcessEvents();
    ui::CResourceManager::GetInstance().Release();
}

std::shared_ptr<sim::VirtualMouse> MainWindowFixture::AttachMouse() {
    m_mouse = sim::AttachVirtualMouse(*m_bus);
    m_environment.virtualMouse = m_mouse;
    return m_mouse;
}

CMainWnd& MainWindowFixture::CreateWindow() {
    m_window = std::make_unique<CMainWnd>(m_environment);
    EXPECT_TRUE(m_window->Create(nullptr, CMainWnd::kTitle));
    m_window->ShowWindow(true);
    return *m_window;
}

void MainWindowFixture::Initialise() {
    ui::test::ProcessEvents();
}

void MainWindowFixture::CloseWindow() {
    if (m_window && m_window->IsWindow()) {
        m_window->Close();
        RunUntil([this] { return m_window->GetWindowWidget() == nullptr; });
    }
}

void MainWindowFixture::WriteLanguageFile(const std::string& file, const std::string& key,
                                          const std::string& text) const {
    platform::testing::WriteBytes(m_skin / file,
                                  "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
                                  "<Language><Text id=\"" +
                                      key + "\" value=\"" + text + "\"/></Language>\n");
}

void MainWindowFixture::SetRegistryLanguage(const std::string& code) const {
    ASSERT_TRUE(platform::Registry(m_environment.registryFile)
                    .WriteString(LanguageSettings::kRegistryKeyPath,
                                 LanguageSettings::kRegistryValue, code));
}

std::string MainWindowFixture::MainIniLanguage() const {
    return platform::IniFile(m_environment.mainIni)
        .Read(LanguageSettings::kSection, LanguageSettings::kKey, "missing");
}

void MainWindowFixture::SetMainIniLanguage(const std::string& index) const {
    ASSERT_EQ(platform::IniFile(m_environment.mainIni)
                  .Write(LanguageSettings::kSection, LanguageSettings::kKey, index),
              platform::IniWriteResult::Ok);
}

ui::CControlUI* MainWindowFixture::Find(std::string_view name) const {
    return m_window ? m_window->GetPaintManager().FindControl(name) : nullptr;
}

bool MainWindowFixture::RunUntil(const std::function<bool()>& done,
                                 std::chrono::milliseconds guard) {
    return ui::test::RunUntil(done, guard);
}

std::vector<settings::testing::Request> MainWindowFixture::RecordWrites() const {
    std::vector<settings::testing::Request> writes;
    for (settings::testing::Request& request : settings::testing::NonFrameRequests(*m_mouse)) {
        if (request.Summary() == "06 len 56 @0") {
            writes.push_back(std::move(request));
        }
    }
    return writes;
}

void MainWindowFixture::WaitForCommit() {
    using settings::Touch;
    settings::MouseModel& model = m_window->Model();
    // What was already posted (a call, a change on its way) is handled first.
    QCoreApplication::processEvents();
    const bool asked = model.IsCommitRequested();
    const std::uint64_t before = model.Commits();
    EXPECT_TRUE(RunUntil([&model, asked, before] {
        return (!asked || model.Commits() > before) && !model.IsCommitRequested() &&
               !settings::HasAny(model.Pending(), Touch::Record | Touch::DeviceProfile |
                                                      Touch::LightingProfile | Touch::KeyProfile);
    }));
}

void MainWindowFixture::WaitForQuietCommit() {
    WaitForCommit();
    // What the commit set off has its turn (a re-read of the mouse a moment
    // later, a view that stores what it shows), and what that changed is
    // committed too.
    const std::uint64_t window = m_window->GetHandle().Id();
    EXPECT_TRUE(RunUntil([window] {
        return std::ranges::none_of(
            std::array{WindowTimer::FlushSettings, WindowTimer::RereadMouseRecord,
                       WindowTimer::ReadMouseConfiguration},
            [window](WindowTimer timer) {
                return ui::qt::MessageHub::HasTimer(window, TimerId(timer));
            });
    }));
    WaitForCommit();
}

std::vector<settings::testing::Request> MainWindowFixture::FlushedRecords() {
    WaitForQuietCommit();
    return RecordWrites();
}

void MainWindowFixture::OpenMousePage(std::string_view tab) {
    CreateWindow();
    Initialise();
    ASSERT_TRUE(RunUntil([this] { return m_reads == 1; }));
    // Showing the record on the lighting section stores it again: it goes out
    // once more, with the next commit, and nothing is left to go after it.
    WaitForCommit();
    ASSERT_FALSE(RecordWrites().empty());
    ASSERT_TRUE(Driver().Click(tab));
    m_mouse->ClearLog();
}

}  // namespace varlok::app::testing
