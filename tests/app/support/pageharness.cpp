#include "app/support/pageharness.h"

#include <fstream>
#include <iterator>

#include "app/mainwindowlayouts.h"
#include "app/presetcolours.h"
#include "keys/page/storemessagebox.h"
#include "ui/comboui.h"
#include "ui/customcontrols.h"
#include "ui/dialogbuilder.h"
#include "ui/optionui.h"
#include "ui/progressui.h"
#include "ui/resourcemanager.h"
#include "ui/support/uidriver.h"

namespace varlok::app::testing {

namespace {

// What the main window builds for the classes the UI library does not know.
class MainWindowClasses : public ui::IDialogBuilderCallback {
public:
    explicit MainWindowClasses(ui::CPaintManagerUI& manager) : m_manager(manager) {}

    std::unique_ptr<ui::CControlUI> CreateControl(std::string_view className) override {
        return BuildLayoutClass(className, this, m_manager);
    }

private:
    ui::CPaintManagerUI& m_manager;
};

}  // namespace

int ScriptedDialogs::ShowMessage(std::string_view key) {
    shown.emplace_back(key);
    if (answers.empty()) {
        return kConfirmed;
    }
    const int answer = answers.front();
    answers.pop_front();
    return answer;
}

std::optional<ui::Argb> ScriptedDialogs::PickColour(ui::Argb initial) {
    pickedFrom.push_back(initial);
    return colour;
}

std::span<const ui::Argb> ScriptedDialogs::PresetColours() const {
    return app::PresetColours();
}

void RecordingSaves::SaveDeviceProfile() {
    saves.emplace_back("device");
    m_store.SaveDeviceProfile();
}

void RecordingSaves::SaveLightingProfile() {
    saves.emplace_back("lighting");
    m_store.SaveLightingProfile();
}

void RecordingSaves::SaveKeyProfile() {
    saves.emplace_back("key");
    m_store.SaveKeyProfile();
}

PageHarness::PageHarness()
    : m_store({m_folder / "ms", m_folder.Path()}, m_mirror,
              [desktop = m_desktop] { return desktop->PointerSpeed(); }),
      m_uploader(m_cursorScripts, m_macros, [this](const keys::StoreMessage& message) {
          keys::ShowStoreMessage(m_dialogs, message);
      }) {
    ui::test::EnsureApplication();
    auto& resources = ui::CResourceManager::GetInstance();
    resources.Release();
    resources.SetResourcePath(VARLOK_SOURCE_DIR "/data/skin");
    EXPECT_TRUE(resources.LoadResource("res.xml"));
    ui::RegisterCustomControls();
    std::filesystem::create_directories(DataFolder());
    for (const char* file : {"msdevicedefault.config", "msdengdefault.led", "mskeydefault.pro"}) {
        std::filesystem::copy_file(std::filesystem::path(VARLOK_BUILD_DATA_DIR) / file,
                                   m_folder / file);
    }
    for (const char* script : {"name_1.cur", "name_2.cur", "name_3.cur", "name_4.cur"}) {
        std::filesystem::copy_file(std::filesystem::path(VARLOK_SOURCE_DIR "/data") / script,
                                   m_folder / script);
    }
    m_hookTarget = std::make_unique<ui::test::RecordingTarget>();
    m_hookTarget->onMessage = [this](ui::MessageId message, ui::WParam wParam, ui::LParam lParam) {
        return m_routes.DeliverMessage(message, wParam, lParam).value_or(0);
    };
    m_deviceHook.SetTarget(m_hookTarget->Handle());
    MainWindowClasses classes(m_controls);
    ui::CDialogBuilder builder;
    auto root = builder.Create("XML_MAIN", &classes, &m_controls, true);
    EXPECT_NE(root, nullptr) << builder.GetLastError();
    m_controls.AttachDialog(std::move(root));
    EXPECT_FALSE(m_store.InitProfileLists().failure);
    m_controls.AddNotifier(this);
    m_context.lighting = &m_lightingModel;
    m_context.leds = &m_leds;
    m_context.profiles = &m_liveProfiles;
    m_context.macros = &m_macros;
    m_context.cursorScripts = &m_cursorScripts;
    m_context.deviceHook = &m_deviceHook;
    m_context.macroRecorderTicks = [this] { return ticks; };
    mouse->ClearLog();
}

PageHarness::~PageHarness() {
    m_controls.RemoveNotifier(this);
    m_pages.clear();
    m_deviceHook.Remove();
    m_controls.AttachDialog(nullptr);
    ui::test::ProcessEvents();
    ui::CResourceManager::GetInstance().Release();
}

ui::CControlUI* PageHarness::Find(std::string_view name) const {
    return m_controls.FindControl(name);
}

std::string PageHarness::Text(std::string_view name) const {
    const ui::CControlUI* control = Find(name);
    return control != nullptr ? control->GetText() : std::string();
}

bool PageHarness::Send(std::string_view name, std::string_view type, ui::WParam wParam) {
    ui::CControlUI* control = Find(name);
    if (control == nullptr) {
        return false;
    }
    m_controls.SendNotify(control, type, wParam);
    return true;
}

bool PageHarness::Click(std::string_view name) {
    return Send(name, ui::msgtype::kClick);
}

bool PageHarness::Choose(std::string_view name, int index) {
    auto* combo = m_controls.FindControl<ui::CComboUI>(name);
    return combo != nullptr && combo->SelectItem(index, false, true);
}

bool PageHarness::Release(std::string_view name, int value) {
    auto* slider = m_controls.FindControl<ui::CProgressUI>(name);
    if (slider == nullptr) {
        return false;
    }
    slider->SetValue(value);
    return Send(name, ui::msgtype::kValueChanged, static_cast<ui::WParam>(value));
}

bool PageHarness::Type(std::string_view name, std::string_view text) {
    ui::CControlUI* edit = Find(name);
    if (edit == nullptr) {
        return false;
    }
    edit->SetText(text);
    return Send(name, ui::msgtype::kTextChanged);
}

bool PageHarness::Tick(std::string_view name, bool selected) {
    auto* option = m_controls.FindControl<ui::COptionUI>(name);
    if (option == nullptr) {
        return false;
    }
    option->Selected(selected, true);
    return true;
}

std::vector<std::string> PageHarness::TakeSaves() {
    return std::exchange(m_saves.saves, {});
}

std::vector<settings::testing::Request> PageHarness::TakeRequests() {
    std::vector<settings::testing::Request> requests = settings::testing::NonFrameRequests(*mouse);
    mouse->ClearLog();
    return requests;
}

std::string PageHarness::FileBytes(std::string_view fileName) const {
    std::ifstream in(DataFolder() / fileName, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

}  // namespace varlok::app::testing
