#pragma once

// What the commands ask of the mouse, whichever way this run reaches it:
// directly over its HID node (DirectAccess) or through the running varlok
// window on the session bus (WindowAccess). The way is chosen once per run
// (ChooseMouseAccess); each command is written once against this.

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "device/deviceidentity.h"
#include "device/deviceinfo.h"
#include "keys/tableupload.h"
#include "profiles/profilecategory.h"
#include "varlokctl/exitcode.h"

namespace varlok::tools {

class EffectRequest;
class SettingsChange;

// A settings record as a read returns it.
using RecordBytes = std::array<std::uint8_t, device::kExchangedRecordSize>;

// The parts of a dump in the order they are read: the information block,
// the factory key map, key blocks 0-4, then the records at the offsets of
// profiles 0-4 (the first is the record in force).
enum class DumpPart { Info, FactoryKeyMap, KeyBlock, SettingsRecord };
using DumpSink =
    std::function<void(DumpPart part, unsigned index, std::span<const std::uint8_t> bytes)>;

// A profile file read and checked, to be sent.
struct ProfileToApply {
    std::string path;
    profiles::ProfileCategory category = profiles::ProfileCategory::Device;
    // The file's body, as long as the category's.
    std::vector<std::uint8_t> body;
};

// What a command's writes did, as far as this way to the mouse shows it;
// through the window nothing of it is known (the window sends it).
struct ApplyOutcome {
    std::optional<RecordBytes> record;
    bool keyBlock = false;
};
struct UploadOutcome {
    std::optional<keys::TableUpload> cursorScripts;
    std::optional<keys::TableUpload> macros;
    // The onboard profile whose key block was sent.
    std::optional<unsigned> keyBlock;
};
struct EffectOutcome {
    // Frames this run streamed itself; none when the window streams them.
    std::optional<std::uint64_t> framesSent;
};

// Every operation returns Ok, or says why not on the error stream and
// returns the exit code. Used from one thread.
class MouseAccess {
public:
    virtual ~MouseAccess() = default;

    // Where the commands reach the mouse, for the output: its HID path once
    // an operation opened it, or "the varlok window (pid N)".
    [[nodiscard]] virtual std::string Where() const = 0;
    [[nodiscard]] virtual bool ThroughWindow() const = 0;

    // The information block.
    [[nodiscard]] virtual ExitCode ReadInfo(device::DeviceInfo& info) = 0;
    // The record at the offset of onboard profile N (0-4), or the record in
    // force (offset 0) when none is named. Profile 0's record is the one at
    // offset 0 only while profile 0 is active; the caller checks byte 0.
    [[nodiscard]] virtual ExitCode ReadRecord(std::optional<unsigned> profile,
                                              RecordBytes& record) = 0;
    // Changes the named fields of the record in force or of profile N's and
    // nothing else. written: the whole record as the mouse then holds it,
    // unless the window took the change and has not sent it yet.
    [[nodiscard]] virtual ExitCode ChangeRecord(std::optional<unsigned> profile,
                                                const SettingsChange& change,
                                                std::optional<RecordBytes>& written) = 0;
    // Sends a profile file the way selecting it in the window does.
    [[nodiscard]] virtual ExitCode ApplyProfile(const ProfileToApply& profile,
                                                ApplyOutcome& outcome) = 0;
    // Reads everything a dump shows, handing each part to sink as it comes,
    // so that a failure still shows what came before it.
    [[nodiscard]] virtual ExitCode ReadEverything(const DumpSink& sink) = 0;
    // Shows a lighting effect: streamed frame by frame, or set in the window,
    // which streams it.
    [[nodiscard]] virtual ExitCode ShowEffect(const EffectRequest& request,
                                              EffectOutcome& outcome) = 0;
    // The cursor scripts, the macros and the active onboard profile's key
    // block, as the key page's send button sends them.
    [[nodiscard]] virtual ExitCode Upload(UploadOutcome& outcome) = 0;
    // Makes onboard profile index (0-4) the active one.
    [[nodiscard]] virtual ExitCode SwitchOnboardProfile(unsigned index) = 0;
    // Chooses the named entry of a profile list and sends it.
    [[nodiscard]] virtual ExitCode SelectProfile(profiles::ProfileCategory category,
                                                 const std::string& name) = 0;
};

}  // namespace varlok::tools
