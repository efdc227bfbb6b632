#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/gdbusclient.h"
#include "varlokctl/mouseaccess.h"
#include "varlokctl/toolenvironment.h"

namespace varlok::tools {

// How long a question about the window (who owns the name, which kind of
// window it is) may take, and how long a call it carries out on its UI
// thread (a dump reads the whole mouse) may.
inline constexpr std::chrono::milliseconds kLookupTimeout{5000};
inline constexpr std::chrono::milliseconds kCallTimeout{30000};
// The window sends a change of the settings with its flush, at most 100 ms
// later; how long a set waits to see it in the mouse, and how often it looks.
inline constexpr std::chrono::milliseconds kFlushWait{2000};
inline constexpr std::chrono::milliseconds kFlushPoll{20};

// The window's service object.
[[nodiscard]] platform::BusObjectAddress ServiceAddress();
// The process id of the varlok window on client's bus when it is of the kind
// asked for (with the virtual mouse, or with real devices), else nothing:
// varlokctl without --simulate never talks to a simulated window, and with it
// never to a real one.
[[nodiscard]] std::optional<std::uint32_t> WindowOfKind(platform::GdbusClient& client,
                                                        bool simulated);
// "the varlok window (pid 42)".
[[nodiscard]] std::string DescribeWindow(std::uint32_t pid);

// The mouse reached through the running varlok window's service: each
// operation is a call that the window carries out as its own controls would
// (it shows the change, saves its selected profiles and sends the change with
// its next flush, which a change of the settings waits for); reads are the
// window's reads of the mouse. What only a
// program that has the mouse to itself can do is refused with InUse.
class WindowAccess final : public MouseAccess {
public:
    // trace: said to show nothing this way.
    WindowAccess(ToolEnvironment& environment, std::unique_ptr<platform::GdbusClient> client,
                 std::uint32_t pid, bool trace);

    [[nodiscard]] std::string Where() const override { return DescribeWindow(m_pid); }
    [[nodiscard]] bool ThroughWindow() const override { return true; }

    [[nodiscard]] ExitCode ReadInfo(device::DeviceInfo& info) override;
    [[nodiscard]] ExitCode ReadRecord(std::optional<unsigned> profile,
                                      RecordBytes& record) override;
    [[nodiscard]] ExitCode ChangeRecord(std::optional<unsigned> profile,
                                        const SettingsChange& change,
                                        std::optional<RecordBytes>& written) override;
    [[nodiscard]] ExitCode ApplyProfile(const ProfileToApply& profile,
                                        ApplyOutcome& outcome) override;
    [[nodiscard]] ExitCode ReadEverything(const DumpSink& sink) override;
    [[nodiscard]] ExitCode ShowEffect(const EffectRequest& request,
                                      EffectOutcome& outcome) override;
    [[nodiscard]] ExitCode Upload(UploadOutcome& outcome) override;
    [[nodiscard]] ExitCode SwitchOnboardProfile(unsigned index) override;
    [[nodiscard]] ExitCode SelectProfile(profiles::ProfileCategory category,
                                         const std::string& name) override;

private:
    // Calls method; on an error says why and puts the exit code in failed.
    [[nodiscard]] std::optional<std::vector<platform::BusValue>> Call(
        const std::string& method, std::vector<platform::BusValue> arguments, ExitCode& failed);
    // A refusal of what needs the mouse to itself.
    [[nodiscard]] ExitCode NeedsTheMouse(std::string_view what);

    ToolEnvironment& m_env;
    std::unique_ptr<platform::GdbusClient> m_client;
    std::uint32_t m_pid = 0;
};

// The way this run reaches the mouse: through the running varlok window of
// the run's kind when it is on the environment's bus, unless the run asks for
// --direct or --simulate=fresh (a fresh virtual mouse is the tool's own);
// else directly.
[[nodiscard]] std::unique_ptr<MouseAccess> ChooseMouseAccess(ToolEnvironment& environment,
                                                             bool simulate, bool fresh, bool direct,
                                                             bool trace);

}  // namespace varlok::tools
