#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "device/devicelink.h"
#include "sim/virtualmousestatefile.h"
#include "varlokctl/mouseaccess.h"
#include "varlokctl/toolenvironment.h"

namespace varlok::tools {

// Plugs the virtual mouse into the environment's bus with its memory from
// the state file (or the factory's, fresh); the memory is saved again when
// the result goes.
[[nodiscard]] std::unique_ptr<sim::VirtualMouseStateFile> PlugVirtualMouse(
    const ToolEnvironment& environment, bool fresh);

// The mouse reached over its HID node by this process: opened on the first
// operation under the mouse's owner lock, which it then holds for the rest
// of the run. Another varlokctl holding it is waited for (the environment's
// ownerWait); the window holding it is not.
class DirectAccess final : public MouseAccess {
public:
    // simulate: PlugVirtualMouse first. trace: the report trace goes to the
    // environment's trace file while this lives. simulatedWindow: the
    // process id of a varlok --simulate window on the bus, named when no
    // real mouse is found (its virtual mouse is reached with --simulate).
    DirectAccess(ToolEnvironment& environment, bool simulate, bool fresh, bool trace,
                 std::optional<std::uint32_t> simulatedWindow = std::nullopt);
    ~DirectAccess() override;
    DirectAccess(const DirectAccess&) = delete;
    DirectAccess& operator=(const DirectAccess&) = delete;

    [[nodiscard]] std::string Where() const override;
    [[nodiscard]] bool ThroughWindow() const override { return false; }

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
    // Opens the mouse the first time; Ok when the link is connected,
    // otherwise what the failure means (said on the error stream once).
    [[nodiscard]] ExitCode Connect();
    // Prints what a failed command means and returns its exit code.
    [[nodiscard]] ExitCode CommandFailed(device::LinkResult result, std::string_view command);

    ToolEnvironment& m_env;
    // Declared before the link: the memory is saved after the link let the
    // mouse go.
    std::unique_ptr<sim::VirtualMouseStateFile> m_memory;
    bool m_tracing = false;
    device::DeviceLink m_link;
    std::optional<ExitCode> m_connected;
    std::optional<std::uint32_t> m_simulatedWindow;
};

}  // namespace varlok::tools
