// watch [--json]: one line per change of the mouse until interrupted.
//
// While a varlok window of the run's kind is on the bus, watch follows its
// service (PropertiesChanged); otherwise it watches the mouse itself (see
// DirectWatch). Unlike the other commands it changes its way when the window
// comes or goes, so that a status bar's module keeps going.

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <utility>

#include "device/deviceevents.h"
#include "device/deviceidentity.h"
#include "platform/filedescriptor.h"
#include "platform/gdbusclient.h"
#include "varlokctl/commandrun.h"
#include "varlokctl/commands.h"
#include "varlokctl/directaccess.h"
#include "varlokctl/directwatch.h"
#include "varlokctl/watchline.h"
#include "varlokctl/windowaccess.h"

namespace varlok::tools {

namespace {

using platform::BusProperties;

// How often the mouse's presence is looked at without a window; the
// window's presence monitor looks as often.
constexpr std::chrono::milliseconds kPresencePeriod{1000};

// What the watched sources report, handed from their threads to the
// command's.
class WatchQueue {
public:
    enum class Kind { DeviceEvent, PropertiesChanged, OwnerChanged, OutputClosed };
    struct Item {
        Kind kind = Kind::DeviceEvent;
        std::uint16_t code = 0;
    };

    void Push(Item item) {
        {
            const std::lock_guard lock(m_mutex);
            m_items.push_back(item);
        }
        m_ready.Set();
    }
    [[nodiscard]] std::deque<Item> Take() {
        const std::lock_guard lock(m_mutex);
        return std::exchange(m_items, {});
    }
    [[nodiscard]] platform::Event& Ready() { return m_ready; }

private:
    std::mutex m_mutex;
    std::deque<Item> m_items;
    platform::Event m_ready{false, false};
};

// Notices, without writing to it, that nobody reads a descriptor any more:
// the read end of its pipe or the peer of its socket has gone. A descriptor
// that never goes away (a file, /dev/null) is never reported. Without this an
// idle watch would outlive the status bar that started it until its next
// line. gone is called once, on the watch's own thread; the destructor stops
// and joins that thread.
class ReaderGoneWatch {
public:
    ReaderGoneWatch(int descriptor, std::function<void()> gone) {
        int ends[2] = {-1, -1};
        if (descriptor < 0 || ::pipe2(ends, O_CLOEXEC) != 0) {
            return;
        }
        m_wakeRead.Reset(ends[0]);
        m_wakeWrite.Reset(ends[1]);
        m_thread = std::thread([this, descriptor, gone = std::move(gone)] {
            // No events asked for: poll still reports POLLERR and POLLHUP.
            pollfd watched[] = {{descriptor, 0, 0}, {m_wakeRead.Get(), POLLIN, 0}};
            while (::poll(watched, 2, -1) < 0 && errno == EINTR) {
            }
            if (watched[1].revents == 0 && (watched[0].revents & (POLLERR | POLLHUP)) != 0) {
                m_gone.store(true);
                gone();
            }
        });
    }
    ~ReaderGoneWatch() {
        if (m_thread.joinable()) {
            // The pipe is empty and ours alone: only a signal can keep the
            // byte from it, and the thread waits for that byte.
            const char wake = 0;
            while (::write(m_wakeWrite.Get(), &wake, 1) < 0 && errno == EINTR) {
            }
            m_thread.join();
        }
    }
    ReaderGoneWatch(const ReaderGoneWatch&) = delete;
    ReaderGoneWatch& operator=(const ReaderGoneWatch&) = delete;

    [[nodiscard]] bool Gone() const { return m_gone.load(); }

private:
    platform::FileDescriptor m_wakeRead;
    platform::FileDescriptor m_wakeWrite;
    std::atomic<bool> m_gone{false};
    std::thread m_thread;
};

template <typename Number>
std::optional<unsigned> Unsigned(const BusProperties& properties, std::string_view name) {
    const auto found = properties.find(name);
    if (found == properties.end() || !found->second.AsInteger()) {
        return std::nullopt;
    }
    return static_cast<unsigned>(static_cast<Number>(*found->second.AsInteger()));
}

MouseStatus StatusOfProperties(const BusProperties& properties) {
    MouseStatus status;
    status.via = "window";
    const auto connected = properties.find("Connected");
    status.connected = connected != properties.end() && connected->second.AsBoolean() == true;
    if (!status.connected) {
        return status;
    }
    status.profile = Unsigned<std::uint8_t>(properties, "OnboardProfile");
    status.stage = Unsigned<std::uint8_t>(properties, "DpiStage");
    if (status.stage == 0U) {
        status.stage.reset();
    }
    const auto dpis = properties.find("Dpi");
    if (status.stage && dpis != properties.end() && *status.stage <= dpis->second.Items().size()) {
        if (const auto dpi = dpis->second.Items()[*status.stage - 1].AsInteger()) {
            status.dpi = static_cast<unsigned>(*dpi);
        }
    }
    if (const auto effect = properties.find("LightingEffect"); effect != properties.end()) {
        if (const auto name = effect->second.AsString(); name && !name->empty()) {
            status.effect = *name;
        }
    }
    return status;
}

class Watch {
public:
    Watch(CommandRun& run, bool json)
        : m_run(run),
          m_printer(run.Out(), json),
          m_readerGone(run.Environment().outDescriptor,
                       [this] { m_queue.Push({WatchQueue::Kind::OutputClosed}); }) {}

    ExitCode Run() {
        const ParsedArguments& arguments = m_run.Arguments();
        const ToolEnvironment& env = m_run.Environment();
        if (!arguments.direct && !arguments.fresh && env.busAddress) {
            m_client = std::make_unique<platform::GdbusClient>(*env.busAddress);
            const bool following =
                m_client->IsConnected() &&
                m_client->Follow(
                    ServiceAddress(),
                    {[this](const BusProperties&) {
                         m_queue.Push({WatchQueue::Kind::PropertiesChanged});
                     },
                     [this](bool) { m_queue.Push({WatchQueue::Kind::OwnerChanged}); }});
            if (!following) {
                m_client.reset();
            }
        }
        while (!Stopped()) {
            const std::optional<std::uint32_t> window =
                m_client ? WindowOfKind(*m_client, arguments.simulate) : std::nullopt;
            // A window whose state cannot be read is watched past.
            if (!window || !FollowWindow()) {
                WatchDirectly();
            }
        }
        return m_run.Out().fail() || m_readerGone.Gone() ? ExitCode::Failure : ExitCode::Ok;
    }

private:
    // Interrupted, or nobody reads the lines any more (a status bar that
    // went away).
    [[nodiscard]] bool Stopped() const {
        const ToolEnvironment& env = m_run.Environment();
        return (env.interrupted != nullptr && env.interrupted->load()) ||
               (env.interruption != nullptr && env.interruption->IsSet()) || env.out.fail() ||
               m_readerGone.Gone();
    }

    // Waits for something to report, an interruption or the timeout.
    void Wait(std::chrono::milliseconds timeout) {
        platform::Event* events[] = {&m_queue.Ready(), m_run.Environment().interruption};
        const std::size_t count = events[1] != nullptr ? 2 : 1;
        // Without an event to wake it, an interruption is seen within a second.
        static_cast<void>(platform::WaitAny(
            std::span(events, count), count == 2 ? timeout : std::min(timeout, kPresencePeriod)));
    }

    // Until the window leaves the bus (or another takes its name) or an
    // interruption. False when the window's state could not be read at all.
    bool FollowWindow() {
        bool reread = true;
        bool followed = false;
        while (!Stopped()) {
            if (reread) {
                BusProperties properties;
                if (m_client->ReadProperties(ServiceAddress(), properties, kLookupTimeout)
                        .IsError()) {
                    return followed;
                }
                followed = true;
                reread = false;
                MouseStatus status = StatusOfProperties(properties);
                // Connected comes before the window has read the mouse; its
                // settings are shown once it has (the sensor is known then).
                const bool read = Unsigned<std::uint16_t>(properties, "Sensor").value_or(0) != 0;
                if (status.connected && read) {
                    status.profile = ActiveProfile().value_or(status.profile.value_or(0));
                }
                if (!status.connected || read) {
                    m_printer.Show(status);
                }
                if (Stopped()) {
                    break;
                }
            }
            Wait(platform::Event::kInfinite);
            for (const WatchQueue::Item& item : m_queue.Take()) {
                if (item.kind == WatchQueue::Kind::OwnerChanged) {
                    return true;
                }
                // The properties are read whole again: a change announced
                // before the last read can never undo a later one.
                reread = reread || item.kind == WatchQueue::Kind::PropertiesChanged;
            }
        }
        return true;
    }

    // The onboard profile the mouse has in force, as the window reads it
    // from the mouse. The window's OnboardProfile property does not follow
    // the mouse's own profile button: its re-read of the record sets the
    // record's byte 0 to 0, as its flush needs it.
    [[nodiscard]] std::optional<unsigned> ActiveProfile() {
        const platform::BusReply reply = m_client->Call(
            ServiceAddress(), "ReadSettings", {platform::BusValue::Byte(0)}, kCallTimeout);
        const auto record = reply.values.size() == 1 ? reply.values[0].AsBytes() : std::nullopt;
        if (reply.IsError() || !record || record->empty() ||
            record->front() >= device::kOnboardProfileCount) {
            return std::nullopt;
        }
        return record->front();
    }

    // Until a window of the run's kind comes onto the bus or an
    // interruption.
    void WatchDirectly() {
        const ParsedArguments& arguments = m_run.Arguments();
        if (arguments.simulate && !m_virtualMouse) {
            m_virtualMouse = PlugVirtualMouse(m_run.Environment(), arguments.fresh);
        }
        DirectWatch mouse(m_run.Environment().bus, [this](std::uint16_t code) {
            m_queue.Push({WatchQueue::Kind::DeviceEvent, code});
        });
        bool read = false;
        MouseStatus status = mouse.Probe(read);
        m_printer.Show(status);
        while (!Stopped()) {
            Wait(kPresencePeriod);
            const std::deque<WatchQueue::Item> items = m_queue.Take();
            for (const WatchQueue::Item& item : items) {
                if (item.kind == WatchQueue::Kind::OwnerChanged && m_client &&
                    WindowOfKind(*m_client, arguments.simulate)) {
                    return;
                }
                using device::DeviceEventCode;
                const auto code = device::FindDeviceEventCode(item.code);
                if (item.kind != WatchQueue::Kind::DeviceEvent ||
                    code == DeviceEventCode::ReactiveKey) {
                    continue;
                }
                status = mouse.Probe(read);
                if (read) {
                    m_printer.Show(status);
                } else {
                    m_printer.Report(code == DeviceEventCode::ProfileSwitched ? "button"
                                                                              : "configuration");
                }
            }
            if (items.empty() && mouse.Present() != status.connected) {
                status = mouse.Probe(read);
                m_printer.Show(status);
            }
        }
    }

    CommandRun& m_run;
    WatchPrinter m_printer;
    WatchQueue m_queue;
    // After the queue, which it pushes to from its thread.
    ReaderGoneWatch m_readerGone;
    // Declared after the queue: the follower's thread ends before it goes.
    std::unique_ptr<platform::GdbusClient> m_client;
    std::unique_ptr<sim::VirtualMouseStateFile> m_virtualMouse;
};

constexpr std::array kOptions{
    OptionEntry{"--json", "", "", "one JSON object a line instead of text"},
};

ExitCode RunWatch(CommandRun& run) {
    Watch watch(run, run.Arguments().Has("--json"));
    return watch.Run();
}

}  // namespace

const CommandEntry kWatchCommand{
    "watch",
    "a line whenever the mouse changes",
    "[--json]",
    "prints a line whenever the mouse changes\n"
    "(connected, removed, profile, stage, effect)\n"
    "until Ctrl-C, for status bars and scripts.\n"
    "Through the window it follows the window's\n"
    "state; without one it watches the mouse's\n"
    "presence and its own reports, and reads the\n"
    "record in force after each while no other\n"
    "program has the mouse (else it says button\n"
    "or configuration). It follows the window\n"
    "when one starts and goes on alone when it\n"
    "quits",
    {},
    kOptions,
    &RunWatch,
};

}  // namespace varlok::tools
