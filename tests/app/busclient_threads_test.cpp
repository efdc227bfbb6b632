// varlokctl as a client of the running window: real varlokctl processes
// against the window on a bus of the test's own, while the window runs its
// event loop, streams the lighting and talks to the virtual mouse.

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <QJsonDocument>
#include <QJsonObject>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "app/busservicehost.h"
#include "app/support/mainwindowfixture.h"
#include "lighting/effects.h"
#include "platform/childprocess.h"
#include "platform/fakebusobject.h"
#include "platform/privatebus.h"
#include "settings/settingstestsupport.h"
#include "ui/menuwnd.h"
#include "ui/sliderui.h"
#include "ui/trayicon.h"

namespace varlok::app {
namespace {

using platform::BusValue;
using platform::testing::ChildProcess;
using settings::testing::Request;
using ::testing::HasSubstr;
using ::testing::Not;
using Frame = std::vector<std::uint8_t>;

class BusClientTest : public testing::MainWindowFixture {
protected:
    void SetUp() override {
        MainWindowFixture::SetUp();
        if (!m_messageBus.Installed()) {
            GTEST_SKIP() << "dbus-daemon is not installed (package dbus-daemon)";
        }
        ASSERT_FALSE(m_messageBus.Address().empty()) << "dbus-daemon did not start";
        ui::CTrayIcon::OverrideSystemTrayAvailable(false);
        std::filesystem::create_directories(m_folder / "runtime");
        m_environment.busServiceAddress = m_messageBus.Address();
    }

    // The window over the test's virtual mouse with its service on the bus;
    // simulated: it runs with the virtual mouse as varlok --simulate does
    // (otherwise it takes it for a real one). locked: it holds the mouse's
    // owner lock where varlokctl looks for it.
    void StartWindow(bool simulated, bool locked) {
        if (locked) {
            m_bus->SetOwnerLocks(device::OwnerLocks{m_folder / "runtime" / "varlok", "varlok"});
        }
        m_mouse = sim::AttachVirtualMouse(*m_bus);
        if (simulated) {
            m_environment.virtualMouse = m_mouse;
        }
        OpenMousePage("ms_rich_Op_tab");
        ASSERT_TRUE(RunUntil([this] {
            return m_window->BusService().Export()->State() == platform::BusExportState::Exported;
        }));
    }

    // varlokctl with the test's bus, runtime folder and documents.
    ChildProcess Tool(std::vector<std::string> arguments) const {
        arguments.insert(arguments.begin(), VARLOKCTL_PROGRAM);
        return ChildProcess(arguments,
                            {"DBUS_SESSION_BUS_ADDRESS=" + m_messageBus.Address(),
                             "XDG_RUNTIME_DIR=" + (m_folder / "runtime").string(),
                             "VARLOK_DOCUMENTS_DIR=" + (m_folder / "documents").string()});
    }
    // Runs the window until the tool has ended; its exit code.
    static std::optional<int> Finish(ChildProcess& tool) {
        RunUntil([&tool] { return tool.Poll().has_value(); });
        return tool.Poll();
    }

    [[nodiscard]] std::string Pid() const { return std::to_string(::getpid()); }

    platform::testing::PrivateBus m_messageBus;
};

// The lighting frames the mouse received, in order. A frame is its 56 bytes
// at offset 0 followed at once by its 10 at 56; halves that came apart or
// alone give an empty frame. A first half still waiting for its second is
// left out.
std::vector<Frame> LightingFrames(const sim::VirtualMouse& mouse) {
    constexpr auto kFrameCommand = static_cast<std::uint8_t>(device::Command::SendLightingFrame);
    const std::vector<Request> requests = settings::testing::RequestsReceived(mouse);
    std::vector<Frame> frames;
    for (std::size_t i = 0; i < requests.size(); ++i) {
        const Request& head = requests[i];
        if (head.command != kFrameCommand) {
            continue;
        }
        if (i + 1 == requests.size() && head.offset == 0) {
            break;
        }
        const Request* tail = i + 1 < requests.size() ? &requests[i + 1] : nullptr;
        if (head.offset == 0 && head.length == 56 && tail != nullptr &&
            tail->command == kFrameCommand && tail->offset == 56 && tail->length == 10) {
            Frame frame = head.data;
            frame.insert(frame.end(), tail->data.begin(), tail->data.end());
            frames.push_back(std::move(frame));
            ++i;
        } else {
            frames.emplace_back();
        }
    }
    return frames;
}

// The spectrum effect's frames at brightness 4 by their place in its cycle,
// as the lighting worker steps them; each differs from every other.
std::map<Frame, int> SpectrumCycle() {
    settings::SettingsRecord record;
    lighting::LightingSettings settings(record);
    settings.SetMode(static_cast<std::uint8_t>(lighting::LightingMode::Spectrum));
    settings.SetBrightness(4);
    settings.SetDirectionLeft(false);
    lighting::EffectState state;
    lighting::LedState leds;
    std::map<Frame, int> cycle;
    for (int step = 0; step < 256; ++step) {
        static_cast<void>(lighting::RunEffectStep(settings, state, leds));
        const lighting::LightingFrame frame = lighting::BuildFrame(leds);
        if (!cycle.emplace(Frame(frame.begin(), frame.end()), step).second) {
            break;
        }
    }
    return cycle;
}

TEST_F(BusClientTest, ASetGoesThroughTheWindowToItsPageAndWireAndTheFramesFlowOn) {
    StartWindow(true, true);
    // Spectrum: every frame differs from the one before, so that a frame
    // lost or sent twice shows.
    platform::BusReply reply;
    m_window->BusService().Service().Handle(platform::FakeBusObject::MakeCall(
        "SetLightingEffect",
        {BusValue::String("spectrum"),
         BusValue::Array("{sv}",
                         {BusValue::DictEntry(BusValue::String("brightness"),
                                              BusValue::Variant(BusValue::Byte(4))),
                          BusValue::DictEntry(BusValue::String("direction"),
                                              BusValue::Variant(BusValue::String("right")))})},
        reply));
    ASSERT_FALSE(reply.IsError()) << reply.errorMessage;
    const std::map<Frame, int> cycle = SpectrumCycle();
    const auto spectrumFrames = [&] {
        std::vector<Frame> frames = LightingFrames(*m_mouse);
        const auto first = std::ranges::find_if(
            frames, [&cycle](const Frame& frame) { return cycle.contains(frame); });
        return std::vector<Frame>(first, frames.end());
    };
    // The lighting worker starts three seconds after the window's workers.
    ASSERT_TRUE(RunUntil([&] { return spectrumFrames().size() >= 3; }));

    const std::size_t framesBefore = spectrumFrames().size();
    ChildProcess tool = Tool({"--simulate", "set", "--dpi", "3=4000"});
    ASSERT_EQ(Finish(tool), 0) << tool.Output();
    // It ends once the window's flush has brought it to the mouse.
    EXPECT_THAT(tool.Output(), HasSubstr("the varlok window (pid " + Pid() +
                                         ") wrote the settings record in force"));
    EXPECT_THAT(tool.Output(), HasSubstr("DPI stage 3           code 15 = 4000 DPI"));
    EXPECT_EQ(dynamic_cast<ui::CSliderUI*>(Find("ms_DPI3_slider"))->GetValue(), 15);
    EXPECT_EQ(Find("ms_DPI3_label_value")->GetText(), "4000");
    // Stage 3's code for 4000 DPI in the record the window flushed.
    const std::vector<Request> writes = RecordWrites();
    ASSERT_FALSE(writes.empty());
    EXPECT_EQ(writes.back().data[17], 15);
    const std::size_t framesAtTheSet = spectrumFrames().size();
    ASSERT_TRUE(RunUntil([&] { return spectrumFrames().size() >= framesAtTheSet + 3; }));

    // Over the run every frame reached the mouse whole, none twice and in
    // the order of the effect's steps. (The window renders a step it could
    // not send before the next one is due only as that next one: its UI
    // thread handles the change, saving its profiles, meanwhile. So steps
    // may be skipped, never frames cut, repeated or reordered.)
    const std::vector<Frame> frames = spectrumFrames();
    const auto steps = static_cast<int>(cycle.size());
    for (std::size_t i = framesBefore; i < frames.size(); ++i) {
        const auto previous = cycle.find(frames[i - 1]);
        const auto current = cycle.find(frames[i]);
        ASSERT_TRUE(current != cycle.end()) << "frame " << i << " is broken or no spectrum frame";
        const int step = (current->second - previous->second + steps) % steps;
        EXPECT_TRUE(step >= 1 && step < steps / 2)
            << "frame " << i << " is " << step << " steps after frame " << i - 1;
    }

    // Without --simulate the tool never talks to this simulated window, and
    // the mouse is the window's while it runs.
    m_mouse->ClearLog();
    ChildProcess real = Tool({"info"});
    EXPECT_NE(Finish(real), 0);
    EXPECT_THAT(real.Output(), Not(HasSubstr("varlok window")));
    // It says where the mouse the user sees is.
    EXPECT_THAT(real.Output(), HasSubstr("varlok --simulate (pid " + Pid() +
                                         ") runs with its virtual mouse; varlokctl --simulate"));
    ChildProcess direct = Tool({"--simulate", "--direct", "info"});
    EXPECT_EQ(Finish(direct), 7);
    EXPECT_THAT(direct.Output(), HasSubstr("the mouse is in use by varlok (pid " + Pid() +
                                           "); quit the varlok window"));
    EXPECT_TRUE(settings::testing::NonFrameRequests(*m_mouse).empty());
}

TEST_F(BusClientTest, WatchPrintsTheDpiButtonPressedInTheMenuAndEndsOnCtrlC) {
    StartWindow(true, false);
    ChildProcess watch = Tool({"--simulate", "watch", "--json"});
    const auto waitForEvent = [&watch](const std::string& event) {
        return RunUntil([&] {
            watch.Poll();
            return watch.Output().find("\"event\":\"" + event + "\"") != std::string::npos;
        });
    };
    // The menu chosen from before stays the window's last menu, closed,
    // until the click has opened the next one.
    const auto chooseInMenu = [this](std::string_view item) {
        return Driver().Click("menubtn") && RunUntil([this] {
                   return m_window->PopupMenu() != nullptr && m_window->PopupMenu()->IsOpen();
               }) &&
               m_window->PopupMenu()->ChooseItem(item);
    };
    ASSERT_TRUE(waitForEvent("state")) << watch.Output();
    const unsigned stage = m_mouse->SettingsArea()[19] + 1U;
    const unsigned next = stage % 7 + 1;

    ASSERT_TRUE(chooseInMenu("sim_dpi_button"));
    ASSERT_TRUE(waitForEvent("stage")) << watch.Output();
    EXPECT_EQ(m_mouse->SettingsArea()[19], next - 1);
    // The window writes the record it re-read back with its next commit; the
    // profile button is pressed once that is done (a button pressed before
    // is the mouse's own race, which the window's flush test covers).
    WaitForCommit();
    // The mouse's own profile button: the window's record is re-read, and
    // watch names the profile the mouse says it is on.
    ASSERT_TRUE(chooseInMenu("sim_event_401"));
    ASSERT_TRUE(waitForEvent("profile")) << watch.Output();

    ASSERT_EQ(::kill(watch.Pid(), SIGINT), 0);
    EXPECT_EQ(Finish(watch), 0) << watch.Output();
    std::istringstream lines(watch.Output());
    std::map<std::string, QJsonObject> firstOf;
    for (std::string line; std::getline(lines, line);) {
        QJsonParseError error;
        const QJsonDocument document =
            QJsonDocument::fromJson(QByteArray::fromStdString(line), &error);
        ASSERT_TRUE(document.isObject()) << line << ": " << error.errorString().toStdString();
        firstOf.emplace(document.object()["event"].toString().toStdString(), document.object());
    }
    EXPECT_EQ(firstOf["state"]["stage"].toInt(), static_cast<int>(stage));
    const QJsonObject& stepped = firstOf["stage"];
    EXPECT_EQ(stepped["stage"].toInt(), static_cast<int>(next));
    EXPECT_EQ(stepped["profile"].toInt(), 0);
    EXPECT_EQ(stepped["via"].toString(), "window");
    EXPECT_EQ(stepped["text"].toString().toStdString(),
              std::to_string(stepped["dpi"].toInt()) + " DPI");
    EXPECT_EQ(firstOf["profile"]["profile"].toInt(), 1);
}

TEST_F(BusClientTest, AWindowWithRealDevicesIsNotTheSimulatedMouses) {
    StartWindow(false, false);
    ChildProcess tool = Tool({"--simulate", "info"});
    ASSERT_EQ(Finish(tool), 0) << tool.Output();
    EXPECT_THAT(tool.Output(), HasSubstr("mouse                 sim:"));
    EXPECT_TRUE(settings::testing::NonFrameRequests(*m_mouse).empty());
}

}  // namespace
}  // namespace varlok::app
