#include "monkey.h"

#include <QBuffer>
#include <QImage>

#include <array>
#include <chrono>
#include <fstream>
#include <optional>

#include "app/mainwindowmessages.h"
#include "app/mainwindowroutes.h"
#include "keys/macroaction.h"
#include "keys/page/macrocontrols.h"
#include "profiles/page/profilelistcontrols.h"
#include "profiles/profilecategory.h"
#include "profiles/profilefile.h"
#include "ui/buttonui.h"
#include "ui/colorpaletteui.h"
#include "ui/comboui.h"
#include "ui/containerui.h"
#include "ui/controlui.h"
#include "ui/editui.h"
#include "ui/filedialog.h"
#include "ui/listui.h"
#include "ui/menuwnd.h"
#include "ui/modalanswers.h"
#include "ui/sliderui.h"
#include "ui/windowmessages.h"

namespace varlok::soak {

namespace {

using namespace std::chrono_literals;
using keys::MacroControls;
using ui::test::UiDriver;

// Modal windows that may open inside one another in one step: answers are
// kept queued for this many.
constexpr std::size_t kQueuedAnswers = 3;
constexpr auto kMenuGuard = 10s;

constexpr std::array<std::string_view, 8> kKeys{"Return", "Up",    "Down",   "Left",
                                                "Right",  "Space", "Escape", "Backspace"};

// Windows virtual-key codes a recording may see: letters, digits, shift,
// control, the arrows, F1.
constexpr std::array<std::uint32_t, 10> kVirtualKeys{0x41, 0x5A, 0x30, 0x39, 0x10,
                                                     0x11, 0x25, 0x28, 0x70, 0x20};
// Mouse button messages: left, right and middle down and up.
constexpr std::array<std::uint32_t, 6> kMouseMessages{0x201, 0x202, 0x204, 0x205, 0x207, 0x208};

// Collects the visible named controls of the tree: a hidden container hides
// what it holds, and a combo's items are only reached through the combo.
void Collect(ui::CControlUI& control, std::vector<ui::CControlUI*>& out) {
    if (!control.IsVisible()) {
        return;
    }
    if (!control.GetName().empty() && control.IsEnabled()) {
        out.push_back(&control);
    }
    auto* container = dynamic_cast<ui::CContainerUI*>(&control);
    if (container == nullptr || dynamic_cast<ui::CComboUI*>(&control) != nullptr) {
        return;
    }
    for (int i = 0; i < container->GetCount(); ++i) {
        Collect(*container->GetItemAt(i), out);
    }
}

std::string Quoted(std::string_view text) {
    constexpr std::size_t kShown = 40;
    std::string shown(text.substr(0, kShown));
    if (text.size() > kShown) {
        shown += "...(" + std::to_string(text.size()) + " bytes)";
    }
    return "\"" + shown + "\"";
}

void WriteFile(const std::filesystem::path& path, std::string_view bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(bytes.data(), std::streamsize(bytes.size()));
}

std::size_t BodyLengthOf(std::string_view extension) {
    for (const profiles::ProfileCategoryInfo& info : profiles::kProfileCategories) {
        if (info.extension.substr(1) == extension) {
            return info.bodyLength;
        }
    }
    return profiles::CategoryInfo(profiles::ProfileCategory::Device).bodyLength;
}

}  // namespace

const std::vector<Monkey::Action>& Monkey::Actions() {
    static const std::vector<Action> actions{
        {"click", 30, &Monkey::ClickControl},
        {"combo", 8, &Monkey::ChooseInCombo},
        {"slider", 8, &Monkey::DragSlider},
        {"type", 8, &Monkey::TypeInEdit},
        {"list item", 5, &Monkey::ClickListItem},
        {"colour", 3, &Monkey::PickColour},
        {"key", 3, &Monkey::PressKey},
        {"page", 4, &Monkey::OpenPage},
        {"profile operation", 8, &Monkey::ProfileOperation},
        {"macro operation", 6, &Monkey::MacroOperation},
        {"record", 3, &Monkey::Record},
        {"menu", 3, &Monkey::ChooseInMenu},
        {"skin", 2, &Monkey::ChooseSkin},
        {"replug", 2, &Monkey::Replug},
        {"device event", 3, &Monkey::DeviceEvent},
        {"device fault", 2, &Monkey::StartDeviceFault},
        {"disk fault", 2, &Monkey::StartDiskFault},
        {"program in front", 2, &Monkey::ProgramInFront},
        {"wait", 5, &Monkey::Wait},
        {"quit and start", 1, &Monkey::QuitAndStart},
    };
    return actions;
}

Monkey::Monkey(MonkeyWorld& world, std::uint64_t seed) : m_world(world), m_random(seed) {
    std::filesystem::create_directories(m_world.Folder() / "files");
    ui::SetFileDialogAnswerProvider(
        [this](ui::FileDialogKind kind, const ui::FileDialogOptions& options) {
            return ChooseFile(kind == ui::FileDialogKind::Save, options.defaultExtension,
                              (options.flags & ui::FileDialogOptions::kExecutablesOnly) != 0);
        });
}

Monkey::~Monkey() {
    ui::SetFileDialogAnswerProvider({});
    ui::ModalAnswers::Clear();
}

std::string Monkey::Step() {
    QueueModalAnswers();
    std::string done;
    if (m_deviceFaultSteps > 0 && --m_deviceFaultSteps == 0) {
        m_world.EndDeviceFaults();
        done += "[device faults end] ";
    }
    if (m_diskFaultSteps > 0 && --m_diskFaultSteps == 0) {
        m_world.EndDiskFaults();
        done += "[disk faults end] ";
    }
    int total = 0;
    for (const Action& action : Actions()) {
        total += action.weight;
    }
    int pick = m_random.Between(0, total - 1);
    for (const Action& action : Actions()) {
        if ((pick -= action.weight) < 0) {
            Count(action.name);
            done += std::string(action.name) + ": " + (this->*action.run)();
            break;
        }
    }
    if (!m_world.Running()) {
        // A click on its close button or its exit item ended the program.
        m_world.Quit();
        m_world.Start();
        done += " [started again after the window closed]";
    }
    return done;
}

template <typename Control>
std::vector<Control*> Monkey::Controls(ui::WindowImplBase& window) const {
    std::vector<ui::CControlUI*> all;
    if (ui::CControlUI* root = window.GetPaintManager().GetRoot()) {
        window.GetPaintManager().UpdateLayout();
        Collect(*root, all);
    }
    std::vector<Control*> found;
    for (ui::CControlUI* control : all) {
        if (auto* typed = dynamic_cast<Control*>(control)) {
            found.push_back(typed);
        }
    }
    return found;
}

void Monkey::QueueModalAnswers() {
    while (ui::ModalAnswers::Pending() < kQueuedAnswers) {
        UiDriver::AnswerNextModal([this](UiDriver& box) { AnswerModal(box.Window()); });
    }
}

void Monkey::AnswerModal(ui::WindowImplBase& window) {
    // A window this one opens finds its answer queued too.
    QueueModalAnswers();
    UiDriver box(window);
    for (int clicks = m_random.Between(0, 2); clicks > 0 && window.IsWindow(); --clicks) {
        if (m_random.Chance(0.3)) {
            for (ui::CColorPaletteUI* palette : Controls<ui::CColorPaletteUI>(window)) {
                static_cast<void>(box.PickPaletteColour(palette->GetName(),
                                                        m_random.Between(0, 100) / 100.0,
                                                        m_random.Between(0, 100) / 100.0));
            }
            continue;
        }
        const std::vector<ui::CButtonUI*> buttons = Controls<ui::CButtonUI>(window);
        if (!buttons.empty()) {
            static_cast<void>(box.Click(*m_random.Pick(buttons)));
        }
    }
    if (window.IsWindow()) {
        window.Close(0);
    }
}

std::optional<std::string> Monkey::ChooseFile(bool save, std::string_view extension,
                                              bool executables) {
    const std::filesystem::path files = m_world.Folder() / "files";
    if (m_random.Chance(0.15)) {
        return std::nullopt;
    }
    if (executables) {
        static const std::array<std::string_view, 4> programs{
            "/usr/bin/true", "/usr/bin/env", "/no/such/program", "/usr/bin/with\nline"};
        return std::string(m_random.Pick(std::span<const std::string_view>(programs)));
    }
    std::string name = m_random.Name();
    std::ranges::replace(name, '/', '_');
    if (save) {
        switch (m_random.Below(5)) {
            case 0:
                return (files / "no such folder" / (name + ".x")).string();
            case 1:
                return files.string();
            default:
                return (files / ("export " + name + "." + std::string(extension))).string();
        }
    }
    // One of the stores' own files, set-aside ones included.
    std::vector<std::string> stored;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(m_world.DataFolder(), error)) {
        stored.push_back(entry.path().string());
    }
    switch (m_random.Below(8)) {
        case 0:
            return (files / "missing.file").string();
        case 1:
            return files.string();
        case 2:
            return std::string("/dev/zero");
        case 3:
            if (!stored.empty()) {
                return m_random.Pick(stored);
            }
            return std::nullopt;
        default: {
            const std::filesystem::path path =
                files / ("import " + std::to_string(++m_files) + "." + std::string(extension));
            WriteFile(path, ImportCandidate(extension));
            return path.string();
        }
    }
}

std::string Monkey::ImportCandidate(std::string_view extension) {
    const std::size_t body = BodyLengthOf(extension);
    const auto profile = [this](std::size_t length) {
        return profiles::EncodeProfileFile(m_random.Bytes(length), 2);
    };
    const auto macroText = [this](int count, bool damaged) {
        std::string text =
            "[MACROACTIONCOUNT]\r\ncount=" + std::to_string(count) + "\r\n[MACROACTION]\r\n";
        for (int i = 0; i < count; ++i) {
            keys::MacroAction action;
            action.code = static_cast<std::uint8_t>(m_random.Below(256));
            action.value = static_cast<std::uint8_t>(m_random.Below(256));
            action.downFlag = static_cast<std::uint8_t>(m_random.Below(2));
            action.label = "keyboard_key_A";
            action.SetPauseMs(m_random.Between(0, 5000));
            text += std::to_string(i) + "=" +
                    (damaged && i == count / 2 ? "garbage" : keys::FormatMacroAction(action)) +
                    "\r\n";
        }
        return text;
    };
    switch (m_random.Below(10)) {
        case 0: {
            const std::vector<std::uint8_t> bytes = m_random.Bytes(m_random.Below(2000));
            return {bytes.begin(), bytes.end()};
        }
        case 1:
            return profile(body);
        case 2:
            return profile(body).substr(0, m_random.Below(profiles::kProfileHeaderSize + body));
        case 3: {
            std::string wrong = profile(body);
            wrong[0] = 'X';
            return wrong;
        }
        case 4:
            return macroText(m_random.Between(0, 200), false);
        case 5:
            return macroText(m_random.Between(1, 20), true);
        case 6:
            return "[MACROACTIONCOUNT]\r\ncount=99999\r\n";
        case 7:
            return macroText(3, false) + '\0';
        case 8: {
            QImage picture(m_random.Between(1, 64), m_random.Between(1, 64), QImage::Format_RGB32);
            picture.fill(static_cast<unsigned>(m_random.Below(0xFFFFFF)));
            QByteArray bytes;
            QBuffer buffer(&bytes);
            buffer.open(QIODevice::WriteOnly);
            picture.save(&buffer, "PNG");
            return bytes.toStdString();
        }
        default:
            return "";
    }
}

std::string Monkey::ClickControl() {
    // Mostly what is there to be clicked; now and then anything with a name.
    std::vector<ui::CControlUI*> controls;
    if (m_random.Chance(0.8)) {
        for (ui::CButtonUI* button : Controls<ui::CButtonUI>(m_world.Window())) {
            controls.push_back(button);
        }
    } else {
        controls = Controls<ui::CControlUI>(m_world.Window());
    }
    if (controls.empty()) {
        return "nothing to click";
    }
    ui::CControlUI& control = *m_random.Pick(controls);
    const std::string name = control.GetName();
    UiDriver driver = m_world.Driver();
    switch (m_random.Below(10)) {
        case 0:
            return name + " double " + (driver.DoubleClick(name) ? "clicked" : "missed");
        case 1:
            return name + " right " + (driver.RightClick(name) ? "clicked" : "missed");
        default:
            return name + (driver.Click(control) ? " clicked" : " missed");
    }
}

std::string Monkey::ChooseItem(const std::string& name,
                               bool (UiDriver::*choose)(std::string_view, int)) {
    UiDriver driver = m_world.Driver();
    const auto* items = dynamic_cast<const ui::CContainerUI*>(driver.Find(name));
    const int count = items != nullptr ? items->GetCount() : 0;
    const int item = static_cast<int>(m_random.Below(static_cast<std::size_t>(count)));
    return name + " item " + std::to_string(item) + ((driver.*choose)(name, item) ? "" : " missed");
}

std::string Monkey::ChooseInCombo() {
    const std::vector<ui::CComboUI*> combos = Controls<ui::CComboUI>(m_world.Window());
    if (combos.empty()) {
        return "no combo";
    }
    return ChooseItem(m_random.Pick(combos)->GetName(), &UiDriver::SelectComboItem);
}

std::string Monkey::DragSlider() {
    const std::vector<ui::CSliderUI*> sliders = Controls<ui::CSliderUI>(m_world.Window());
    if (sliders.empty()) {
        return "no slider";
    }
    ui::CSliderUI& slider = *m_random.Pick(sliders);
    const std::string name = slider.GetName();
    const int value = m_random.Between(slider.GetMinValue(), slider.GetMaxValue());
    return name + " to " + std::to_string(value) +
           (m_world.Driver().DragSlider(name, value) ? "" : " missed");
}

std::string Monkey::TypeInEdit() {
    const std::vector<ui::CEditUI*> edits = Controls<ui::CEditUI>(m_world.Window());
    if (edits.empty()) {
        return "no edit";
    }
    const std::string name = m_random.Pick(edits)->GetName();
    const std::string text = m_random.Text();
    UiDriver driver = m_world.Driver();
    const bool typed = driver.ClearText(name) && driver.Type(name, text);
    std::string end;
    switch (m_random.Below(3)) {
        case 0:
            end = driver.PressKey("Return") ? ", Return" : "";
            break;
        case 1:
            driver.Blur();
            end = ", focus left";
            break;
        default:
            break;
    }
    return name + " " + Quoted(text) + (typed ? "" : " missed") + end;
}

std::string Monkey::ClickListItem() {
    const std::vector<ui::CListUI*> lists = Controls<ui::CListUI>(m_world.Window());
    if (lists.empty()) {
        return "no list";
    }
    return ChooseItem(m_random.Pick(lists)->GetName(), &UiDriver::ClickListItem);
}

std::string Monkey::PickColour() {
    const std::vector<ui::CColorPaletteUI*> palettes =
        Controls<ui::CColorPaletteUI>(m_world.Window());
    if (palettes.empty()) {
        return "no palette";
    }
    const std::string name = m_random.Pick(palettes)->GetName();
    const double x = m_random.Between(0, 100) / 100.0;
    const double y = m_random.Between(0, 100) / 100.0;
    const bool bar = m_random.Chance(0.3);
    return name + (m_world.Driver().PickPaletteColour(name, x, y, bar) ? "" : " missed");
}

std::string Monkey::PressKey() {
    const std::string_view key = m_random.Pick(std::span<const std::string_view>(kKeys));
    return std::string(key) + (m_world.Driver().PressKey(key) ? "" : " (nothing focused)");
}

std::string Monkey::OpenPage() {
    const std::string_view tab =
        m_random.Pick(std::span<const std::string_view>(app::kFunctionTabs));
    return std::string(tab) + (m_world.Driver().Click(tab) ? "" : " missed");
}

std::string Monkey::ProfileOperation() {
    UiDriver driver = m_world.Driver();
    const profiles::PanelToggle& panel = profiles::kProfilePanelToggles.front();
    if (const ui::CControlUI* shown = driver.Find(panel.panel);
        shown == nullptr || !shown->IsVisible()) {
        static_cast<void>(driver.Click(panel.button));
    }
    const profiles::ProfileListControls& list = m_random.Pick(
        std::span<const profiles::ProfileListControls>(profiles::kProfileListControls));
    std::string what = std::string(profiles::CategoryInfo(list.category).name) + " list: ";
    switch (m_random.Below(9)) {
        case 0:
            return what + "add" + (driver.Click(list.addButton) ? "" : " missed");
        case 1:
            return what + "delete" + (driver.Click(list.deleteButton) ? "" : " missed");
        case 2:
            return what + "copy" + (driver.Click(list.copyButton) ? "" : " missed");
        case 3:
            return what + "import" + (driver.Click(list.importButton) ? "" : " missed");
        case 4:
            return what + "export" + (driver.Click(list.exportButton) ? "" : " missed");
        case 5:
            return what + "reset" + (driver.Click(list.resetButton) ? "" : " missed");
        case 6: {
            const std::string name = m_random.Name();
            const bool typed = driver.ClearText(list.nameEdit) && driver.Type(list.nameEdit, name);
            return what + "rename to " + Quoted(name) +
                   (typed && driver.Click(list.renameButton) ? "" : " missed");
        }
        case 7: {
            const std::string path = m_random.Chance(0.5) ? "/usr/bin/" + m_random.Name() : "";
            static_cast<void>(driver.Click(list.linkCheck));
            const bool typed = driver.ClearText(list.linkEdit) && driver.Type(list.linkEdit, path);
            return what + "link " + Quoted(path) +
                   (typed && driver.Click(list.linkButton) ? "" : " missed");
        }
        default:
            return what + ChooseItem(std::string(list.list), &UiDriver::SelectComboItem);
    }
}

std::string Monkey::MacroOperation() {
    UiDriver driver = m_world.Driver();
    static_cast<void>(driver.Click("ms_macro_Op_tab"));
    switch (m_random.Below(8)) {
        case 0:
            return std::string("add") + (driver.Click(MacroControls::kAddButton) ? "" : " missed");
        case 1:
            return std::string("delete") +
                   (driver.Click(MacroControls::kDeleteMacroButton) ? "" : " missed");
        case 2: {
            const std::string name = m_random.Name();
            const bool typed = driver.ClearText(MacroControls::kNameEdit) &&
                               driver.Type(MacroControls::kNameEdit, name);
            return "rename to " + Quoted(name) +
                   (typed && driver.Click(MacroControls::kSaveNameButton) ? "" : " missed");
        }
        case 3:
            return std::string("import") +
                   (driver.Click(MacroControls::kImportButton) ? "" : " missed");
        case 4:
            return std::string("export") +
                   (driver.Click(MacroControls::kExportButton) ? "" : " missed");
        case 5:
            return std::string("save") +
                   (driver.Click(MacroControls::kSaveButton) ? "" : " missed");
        case 6:
            return std::string("discard") +
                   (driver.Click(MacroControls::kCancelButton) ? "" : " missed");
        default:
            return ChooseItem(std::string(MacroControls::kNameList), &UiDriver::ClickListItem);
    }
}

std::string Monkey::Record() {
    UiDriver driver = m_world.Driver();
    static_cast<void>(driver.Click("ms_macro_Op_tab"));
    if (!driver.Click(MacroControls::kRecordButton)) {
        return "record button missed";
    }
    if (!m_world.Capture().IsRunning()) {
        return "recording did not start";
    }
    int keys = 0;
    int clicks = 0;
    for (int input = m_random.Between(0, 30); input > 0; --input) {
        if (m_random.Chance(0.7)) {
            const std::uint32_t key = m_random.Pick(std::span<const std::uint32_t>(kVirtualKeys));
            keys += m_world.Capture().Type({0x100, key, 0}) ? 1 : 0;
            static_cast<void>(m_world.Capture().Type({0x101, key, platform::kCapturedKeyReleased}));
        } else {
            clicks += m_world.Capture().Click(
                          m_random.Pick(std::span<const std::uint32_t>(kMouseMessages)))
                          ? 1
                          : 0;
        }
        MonkeyWorld::RunFor(std::chrono::milliseconds(m_random.Between(0, 30)));
    }
    const bool stopped = m_random.Chance(0.8) && driver.Click(MacroControls::kRecordButton);
    return std::to_string(keys) + " keys, " + std::to_string(clicks) + " clicks" +
           (stopped ? ", stopped" : ", left running");
}

std::string Monkey::ChooseInMenu() {
    app::CMainWnd& window = m_world.Window();
    const bool tray = m_random.Chance(0.3);
    if (tray) {
        static_cast<void>(window.GetHandle().Post(app::MessageNumber(app::WindowMessage::TrayIcon),
                                                  0, ui::WM_RBUTTONUP));
    } else if (!m_world.Driver().Click("menubtn")) {
        return "menu button missed";
    }
    if (!ui::test::RunUntil(
            [&window] { return window.PopupMenu() != nullptr && window.PopupMenu()->IsOpen(); },
            kMenuGuard)) {
        return tray ? "no tray menu" : "no menu";
    }
    std::vector<std::string> items;
    for (const ui::MenuItemInfo& item : window.PopupMenu()->Items()) {
        if (!item.separator && item.enabled && !item.hasSubMenu) {
            items.push_back(item.name);
        }
    }
    if (items.empty() || m_random.Chance(0.1)) {
        window.PopupMenu()->Close();
        return "menu closed";
    }
    const std::string item = m_random.Pick(items);
    const bool chosen = window.PopupMenu()->ChooseItem(item);
    ui::test::ProcessEvents();
    return (tray ? "tray " : "") + item + (chosen ? "" : " missed");
}

std::string Monkey::ChooseSkin() {
    if (!m_world.Driver().Click("skinbtn")) {
        return "skin button missed";
    }
    for (ui::WindowImplBase* window : ui::test::ShownWindows()) {
        if (window == &m_world.Window()) {
            continue;
        }
        const std::vector<ui::CButtonUI*> buttons = Controls<ui::CButtonUI>(*window);
        if (buttons.empty()) {
            continue;
        }
        ui::CButtonUI& button = *m_random.Pick(buttons);
        const std::string name = button.GetName();
        return name + (UiDriver(*window).Click(button) ? "" : " missed");
    }
    return "no skin popup";
}

std::string Monkey::Replug() {
    m_world.Replug(std::chrono::milliseconds(m_random.Between(0, 500)));
    return "unplugged and plugged in";
}

std::string Monkey::DeviceEvent() {
    sim::VirtualMouse& mouse = m_world.Mouse();
    switch (m_random.Below(5)) {
        case 0:
            mouse.PressProfileButton();
            return "profile button";
        case 1:
            mouse.PressDpiButton();
            return "DPI button";
        default: {
            const auto code = static_cast<std::uint16_t>(0x401 + m_random.Below(3));
            mouse.PressEvent(code);
            return "event " + std::to_string(code);
        }
    }
}

std::string Monkey::StartDeviceFault() {
    const auto fault = static_cast<DeviceFault>(m_random.Below(kDeviceFaultKinds));
    m_world.SetDeviceFault(fault, static_cast<std::uint32_t>(m_random.Between(1, 40)));
    m_deviceFaultSteps = m_random.Between(1, 15);
    Count(NameOf(fault));
    return std::string(NameOf(fault)) + " for " + std::to_string(m_deviceFaultSteps) + " steps";
}

std::string Monkey::StartDiskFault() {
    const auto fault = static_cast<DiskFault>(m_random.Below(kDiskFaultKinds));
    m_world.SetDiskFault(fault);
    m_diskFaultSteps = m_random.Between(1, 20);
    Count(NameOf(fault));
    return std::string(NameOf(fault)) + " for " + std::to_string(m_diskFaultSteps) + " steps";
}

std::string Monkey::ProgramInFront() {
    static const std::array<std::string_view, 4> programs{"", "/usr/bin/true", "/usr/bin/env",
                                                          "/usr/bin/game"};
    std::string program(m_random.Pick(std::span<const std::string_view>(programs)));
    if (m_random.Chance(0.3)) {
        program = "/usr/bin/" + m_random.Name();
    }
    m_world.Foreground().BringToFront(program);
    return Quoted(program);
}

std::string Monkey::Wait() {
    const auto time = std::chrono::milliseconds(m_random.Between(0, 400));
    MonkeyWorld::RunFor(time);
    return std::to_string(time.count()) + " ms";
}

std::string Monkey::QuitAndStart() {
    std::string what = m_random.Chance(0.5) && m_world.Driver().Click("closebtn")
                           ? "closed by its button"
                           : "quit";
    m_world.Quit();
    if (!m_world.DiskFaulty() && m_random.Chance(0.25)) {
        what += ", " + DamageAStore();
    }
    m_world.Start();
    return what + ", started";
}

std::string Monkey::DamageAStore() {
    std::vector<std::filesystem::path> stores;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(m_world.DataFolder(), error)) {
        const std::string extension = entry.path().extension().string();
        if (extension == ".mac" || extension == ".cur" || extension == ".config" ||
            extension == ".led" || extension == ".pro" || extension == ".ini") {
            stores.push_back(entry.path());
        }
    }
    stores.push_back(m_world.Folder() / "main.ini");
    stores.push_back(m_world.Folder() / "run" / "varlok" / "virtual-mouse.state");
    const std::filesystem::path& store = m_random.Pick(stores);
    const std::vector<std::uint8_t> bytes = m_random.Bytes(m_random.Between(0, 64));
    std::string damaged(bytes.begin(), bytes.end());
    damaged += '\0';
    WriteFile(store, damaged);
    return "damaged " + store.filename().string();
}

}  // namespace varlok::soak
