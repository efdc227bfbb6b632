#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/desktopsession.h"
#include "platform/filedescriptor.h"
#include "platform/gnomeshellforegroundextension.h"
#include "platform/hyprlandforegroundprogram.h"
#include "platform/hyprlandipc.h"
#include "platform/kwinforegroundscript.h"
#include "platform/processexecutable.h"
#include "platform/swayipc.h"
#include "tempfolder.h"

namespace varlok::platform {
namespace {

using namespace std::chrono_literals;
using ::testing::ElementsAre;
using testing::TempFolder;
using Kind = ForegroundBackendKind;

constexpr auto kPatience = 10s;

TEST(ForegroundSession, ChoosesTheBackendForTheSession) {
    // {forced, XDG_CURRENT_DESKTOP, XDG_SESSION_TYPE, DISPLAY, WAYLAND_DISPLAY, schema,
    //  SWAYSOCK, HYPRLAND_INSTANCE_SIGNATURE}
    const std::vector<std::pair<DesktopSession, Kind>> cases{
        {{"", "ubuntu:GNOME", "x11", true, false, true, "", ""}, Kind::X11},
        {{"", "ubuntu:GNOME", "wayland", true, true, true, "", ""}, Kind::GnomeShellExtension},
        {{"", "KDE", "wayland", true, true, true, "", ""}, Kind::KwinScript},
        {{"", "KDE", "x11", true, false, true, "", ""}, Kind::X11},
        {{"", "sway", "", true, true, true, "/run/user/1000/sway-ipc.sock", ""}, Kind::Sway},
        {{"", "Hyprland", "wayland", true, true, true, "", "abc_123"}, Kind::Hyprland},
        {{"", "LXQt", "wayland", true, true, true, "", ""}, Kind::None},  // XWayland's DISPLAY
        {{"", "i3", "x11", true, false, false, "", ""}, Kind::X11},
        {{"", "", "", false, false, false, "", ""}, Kind::None},
        {{"X11", "KDE", "wayland", true, true, true, "", ""}, Kind::X11},
        {{"Hyprland", "sway", "", false, true, true, "/sock", ""}, Kind::Hyprland},
        {{"i3", "", "", true, false, true, "", ""}, Kind::X11},
        {{"none", "GNOME", "wayland", true, true, true, "", ""}, Kind::None},
        {{"cinnamon", "KDE", "wayland", true, true, true, "", ""}, Kind::KwinScript},
    };
    for (const auto& [session, expected] : cases) {
        EXPECT_EQ(ChooseForegroundBackend(session), expected)
            << session.forcedDesktop << " / " << session.currentDesktop;
    }
}

// Recorded from Sway 1.7 (shortened: members the backend does not read are
// left out).
constexpr std::string_view kSwayFocusEvent =
    R"({"change":"focus","container":{"id":4,"type":"con","focused":true,"pid":4242,)"
    R"("app_id":"game","name":"game","nodes":[],"floating_nodes":[]}})";
constexpr std::string_view kSwayTitleEvent =
    R"({"change":"title","container":{"id":4,"type":"con","focused":true,"pid":4242}})";
constexpr std::string_view kSwayTree =
    R"({"id":1,"type":"root","focused":false,"nodes":[{"id":2,"type":"output","name":"__i3",)"
    R"("focused":false,"nodes":[]},{"id":3,"type":"output","name":"HEADLESS-1","focused":false,)"
    R"("nodes":[{"id":5,"type":"workspace","name":"1","focused":false,"nodes":[)"
    R"({"id":6,"type":"con","focused":false,"pid":100,"nodes":[]}],"floating_nodes":[)"
    R"({"id":7,"type":"floating_con","focused":true,"pid":200,"nodes":[]}]}]}]})";

TEST(SwayIpc, MessagesAndEventsAsSwaySendsThem) {
    const std::string subscribe = swayipc::Encode(swayipc::kSubscribe, R"(["window"])");
    ASSERT_EQ(subscribe.size(), swayipc::kHeaderSize + 10);
    EXPECT_EQ(subscribe.substr(0, 6), "i3-ipc");
    const std::optional<swayipc::Header> header = swayipc::DecodeHeader(subscribe);
    ASSERT_TRUE(header);
    EXPECT_EQ(header->type, swayipc::kSubscribe);
    EXPECT_EQ(header->length, 10u);
    EXPECT_FALSE(swayipc::DecodeHeader("i3-ipX" + subscribe.substr(6)));
    EXPECT_FALSE(swayipc::DecodeHeader(subscribe.substr(0, 13)));
    const std::string huge = swayipc::Encode(swayipc::kGetTree, "");
    std::string oversized = huge;
    const std::uint32_t tooLong = swayipc::kMaxPayload + 1;
    std::memcpy(oversized.data() + 6, &tooLong, sizeof tooLong);
    EXPECT_FALSE(swayipc::DecodeHeader(oversized));

    using swayipc::FocusChange;
    const FocusChange focus = swayipc::InterpretEvent(swayipc::kWindowEvent, kSwayFocusEvent);
    EXPECT_EQ(focus.kind, FocusChange::Kind::WindowFocused);
    EXPECT_EQ(focus.pid, 4242u);
    EXPECT_EQ(swayipc::InterpretEvent(swayipc::kWindowEvent, kSwayTitleEvent).kind,
              FocusChange::Kind::Unrelated);
    EXPECT_EQ(swayipc::InterpretEvent(swayipc::kWindowEvent, R"({"change":"close"})").kind,
              FocusChange::Kind::AskTree);
    EXPECT_EQ(swayipc::InterpretEvent(swayipc::kWorkspaceEvent, R"({"change":"focus"})").kind,
              FocusChange::Kind::AskTree);
    EXPECT_EQ(swayipc::InterpretEvent(swayipc::kWindowEvent, "not json").kind,
              FocusChange::Kind::Unrelated);
    // A window without a pid, or with one no process can have.
    EXPECT_EQ(swayipc::InterpretEvent(swayipc::kWindowEvent,
                                      R"({"change":"focus","container":{"pid":-3}})")
                  .pid,
              0u);

    EXPECT_EQ(swayipc::FocusedProcess(kSwayTree), 200u) << "floating windows count too";
    EXPECT_EQ(swayipc::FocusedProcess(R"({"nodes":[{"type":"workspace","focused":true}]})"), 0u);
    EXPECT_EQ(swayipc::FocusedProcess("{"), std::nullopt);
}

TEST(HyprlandIpc, EventLinesAndClientsAsHyprlandSendsThem) {
    hyprlandipc::LineSplitter lines;
    EXPECT_THAT(lines.Add("workspace>>2\nactivewindow>>foot,~\nactivewindowv2>>55d1"),
                ElementsAre("workspace>>2", "activewindow>>foot,~"));
    EXPECT_THAT(lines.Add("f0a0\n\n"), ElementsAre("activewindowv2>>55d1f0a0", ""));
    // A line longer than any Hyprland writes is dropped whole, the next kept.
    EXPECT_THAT(lines.Add(std::string(hyprlandipc::kMaxLine + 1, 'x')), ElementsAre());
    EXPECT_THAT(lines.Add("yy\nclosewindow>>55d1f0a0\n"), ElementsAre("closewindow>>55d1f0a0"));

    EXPECT_EQ(hyprlandipc::ActiveWindowAddress("activewindowv2>>55D1F0A0"), "55d1f0a0");
    EXPECT_EQ(hyprlandipc::ActiveWindowAddress("activewindowv2>>"), "");
    EXPECT_EQ(hyprlandipc::ActiveWindowAddress("activewindowv2>>,"), "");
    EXPECT_EQ(hyprlandipc::ActiveWindowAddress("activewindow>>foot,~"), std::nullopt);

    constexpr std::string_view kClients =
        R"([{"address":"0x55d1f0a0","mapped":true,"class":"foot","pid":311},)"
        R"({"address":"0x55d1f1b8","class":"game","pid":4242,"xwayland":true}])";
    EXPECT_EQ(hyprlandipc::ProcessOfWindow(kClients, "55d1f1b8"), 4242u);
    EXPECT_EQ(hyprlandipc::ProcessOfWindow(kClients, "0x55D1F0A0"), 311u);
    EXPECT_EQ(hyprlandipc::ProcessOfWindow(kClients, "dead"), 0u);
    EXPECT_EQ(hyprlandipc::ProcessOfWindow(R"({"address":"1"})", "1"), std::nullopt);
    EXPECT_THAT(hyprlandipc::SocketFolders("/run/user/7", "sig"),
                ElementsAre("/run/user/7/hypr/sig/", "/tmp/hypr/sig/"));
}

// Hyprland's two sockets in a folder of the test's own: the event socket
// sends what the test writes to it; the request socket answers each request
// from the table and closes, as Hyprland does.
class FakeHyprland {
public:
    FakeHyprland(std::map<std::string, std::string> answers)
        : m_answers(std::move(answers)),
          m_events(Listen(m_folder / ".socket2.sock")),
          m_requests(Listen(m_folder / ".socket.sock")) {
        m_thread = std::thread([this] { AnswerRequests(); });
    }
    ~FakeHyprland() {
        ::shutdown(m_requests.Get(), SHUT_RDWR);
        m_thread.join();
    }

    [[nodiscard]] std::string Folder() const { return m_folder.Path().string() + "/"; }

    // Waits for the backend's connection to the event socket.
    bool AcceptWatcher() {
        m_watcher.Reset(::accept4(m_events.Get(), nullptr, nullptr, SOCK_CLOEXEC));
        return m_watcher.Valid();
    }
    void Send(std::string_view bytes) {
        ASSERT_EQ(::write(m_watcher.Get(), bytes.data(), bytes.size()),
                  static_cast<ssize_t>(bytes.size()));
    }
    void Hangs() { m_watcher.Reset(); }

private:
    static FileDescriptor Listen(const std::filesystem::path& path) {
        FileDescriptor socket(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
        EXPECT_EQ(::bind(socket.Get(), reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        EXPECT_EQ(::listen(socket.Get(), 4), 0);
        return socket;
    }

    void AnswerRequests() {
        while (true) {
            FileDescriptor client(::accept4(m_requests.Get(), nullptr, nullptr, SOCK_CLOEXEC));
            if (!client.Valid()) {
                return;
            }
            char request[256];
            const ssize_t got = ::read(client.Get(), request, sizeof request);
            const auto answer = m_answers.find(std::string(request, got > 0 ? got : 0));
            const std::string text = answer != m_answers.end() ? answer->second : "unknown request";
            [[maybe_unused]] const ssize_t sent = ::write(client.Get(), text.data(), text.size());
        }
    }

    TempFolder m_folder;
    std::map<std::string, std::string> m_answers;
    FileDescriptor m_events;
    FileDescriptor m_requests;
    FileDescriptor m_watcher;
    std::thread m_thread;
};

bool WaitForPath(ForegroundProgram& program, const std::string& path) {
    while (program.Path() != path) {
        if (!program.Changed().Wait(kPatience)) {
            return program.Path() == path;
        }
    }
    return true;
}

TEST(HyprlandForegroundProgram, FollowsARecordedEventStream) {
    const std::string own = *ProcessExecutable(static_cast<std::uint32_t>(::getpid()));
    const std::string pid = std::to_string(::getpid());
    FakeHyprland hyprland({
        {"j/activewindow", R"({"address":"0x10","pid":)" + pid + "}"},
        {"j/clients", R"([{"address":"0x10","pid":)" + pid +
                          R"(},{"address":"0x20","pid":2147483600},{"address":"0x30"}])"},
    });
    HyprlandForegroundProgram program(hyprland.Folder());
    ASSERT_EQ(program.Support(), ForegroundSupport::Available);
    ASSERT_TRUE(hyprland.AcceptWatcher());
    EXPECT_EQ(program.Path(), own) << "the window in front when watching starts";

    // A window that names no process, then one whose process cannot be
    // read (which keeps the last program), then ours again; a line cut in two.
    hyprland.Send("activewindow>>x,y\nactivewindowv2>>30\nworkspace>>3\n");
    EXPECT_TRUE(WaitForPath(program, ""));
    hyprland.Send("activewindowv2>>10\n");
    EXPECT_TRUE(WaitForPath(program, own));
    hyprland.Send("activewindowv2>>20\nactivewindowv2>>");
    hyprland.Send(",\n");
    EXPECT_TRUE(WaitForPath(program, ""));
    hyprland.Send("activewindowv2>>20\n");
    EXPECT_FALSE(program.Changed().Wait(300ms));
    EXPECT_EQ(program.Path(), "");
    // Hyprland goes away: the watch ends, the last program stays.
    hyprland.Hangs();
}

TEST(HyprlandForegroundProgram, WithoutHyprlandSaysWhy) {
    TempFolder empty;
    HyprlandForegroundProgram program(empty.Path().string() + "/");
    EXPECT_EQ(program.Support(), ForegroundSupport::CompositorUnreachable);
    EXPECT_EQ(program.Path(), "");
}

// KWin's scripting interface as the backend sees it: every call recorded,
// answered from a table of the answers KWin gives.
struct FakeKwin {
    BusCaller Caller() {
        return [this](const BusObjectAddress& target, const std::string& method,
                      std::vector<BusValue> arguments) {
            std::string line = target.busName + " " + target.objectPath + " " +
                               target.interfaceName + "." + method;
            for (const BusValue& argument : arguments) {
                line += " " + argument.AsString().value_or("?");
            }
            calls.push_back(line);
            const auto answer = answers.find(method);
            return answer != answers.end() ? answer->second : BusReply{};
        };
    }
    std::vector<std::string> calls;
    std::map<std::string, BusReply> answers;
};

TEST(KwinForegroundScript, LoadsStartsAndUnloadsTheScript) {
    TempFolder folder;
    const std::filesystem::path script = folder / "varlok-foreground.js";
    std::ofstream(script) << "// script\n";
    const std::string scripting = "org.kde.KWin /Scripting org.kde.kwin.Scripting.";
    FakeKwin kwin;
    kwin.answers["isScriptLoaded"] = {{BusValue::Boolean(true)}, {}, {}};
    kwin.answers["loadScript"] = {{BusValue::Int32(3)}, {}, {}};
    {
        KwinForegroundScript program(script, kwin.Caller());
        EXPECT_EQ(program.Support(), ForegroundSupport::ThroughHelper);
        EXPECT_EQ(program.Path(), "");
        EXPECT_FALSE(program.Changed().Wait(0ms));
        // A script of ours left loaded by a run that crashed goes first.
        EXPECT_THAT(kwin.calls,
                    ElementsAre(scripting + "isScriptLoaded varlok-foreground",
                                scripting + "unloadScript varlok-foreground",
                                scripting + "loadScript " + script.string() + " varlok-foreground",
                                scripting + "start"));
        kwin.calls.clear();
    }
    EXPECT_THAT(kwin.calls, ElementsAre(scripting + "unloadScript varlok-foreground"));

    // KWin refuses (-1: a script of that name is loaded), or is not there.
    for (const BusReply& refusal :
         {BusReply{{BusValue::Int32(-1)}, {}, {}},
          BusReply{{}, "org.freedesktop.DBus.Error.ServiceUnknown", "no KWin"}}) {
        kwin.calls.clear();
        kwin.answers["isScriptLoaded"] = {{BusValue::Boolean(false)}, {}, {}};
        kwin.answers["loadScript"] = refusal;
        {
            KwinForegroundScript program(script, kwin.Caller());
            EXPECT_EQ(program.Support(), ForegroundSupport::KwinScriptNotLoaded);
        }
        EXPECT_EQ(kwin.calls.size(), 2u) << "nothing to start or unload";
    }
    kwin.calls.clear();
    const KwinForegroundScript missing(folder / "gone.js", kwin.Caller());
    EXPECT_EQ(missing.Support(), ForegroundSupport::KwinScriptNotLoaded);
    EXPECT_TRUE(kwin.calls.empty());
}

TEST(GnomeShellForegroundExtension, AsksWhetherTheExtensionRuns) {
    const auto state = [](std::optional<double> value) {
        std::vector<BusValue> entries;
        if (value) {
            entries.push_back(BusValue::DictEntry(BusValue::String("state"),
                                                  BusValue::Variant(BusValue::Double(*value))));
        }
        entries.push_back(BusValue::DictEntry(BusValue::String("uuid"),
                                              BusValue::Variant(BusValue::String("x"))));
        return BusReply{{BusValue::Array("{sv}", std::move(entries))}, {}, {}};
    };
    struct Case {
        BusReply answer;
        ForegroundSupport support;
    };
    const std::vector<Case> cases{
        {state(1), ForegroundSupport::ThroughHelper},
        {state(2), ForegroundSupport::GnomeExtensionMissing},  // disabled
        {state(3), ForegroundSupport::GnomeExtensionMissing},  // failed
        {BusReply{{BusValue::Array("{sv}", {})}, {}, {}}, ForegroundSupport::GnomeExtensionMissing},
        {BusReply{{}, "org.freedesktop.DBus.Error.ServiceUnknown", "no shell"},
         ForegroundSupport::GnomeExtensionMissing},
    };
    for (const Case& c : cases) {
        std::vector<std::string> asked;
        const GnomeShellForegroundExtension program([&](const BusObjectAddress& target,
                                                        const std::string& method,
                                                        std::vector<BusValue> arguments) {
            asked.push_back(target.objectPath + " " + target.interfaceName + "." + method + " " +
                            arguments.at(0).AsString().value_or(""));
            return c.answer;
        });
        EXPECT_EQ(program.Support(), c.support);
        EXPECT_THAT(asked, ElementsAre("/org/gnome/Shell org.gnome.Shell.Extensions."
                                       "GetExtensionInfo varlok-foreground@varlok.github.io"));
    }
}

}  // namespace
}  // namespace varlok::platform
