#include "varlokctl/directaccess.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <utility>
#include <vector>

#include "device/collectionsearch.h"
#include "device/reporttrace.h"
#include "keys/cursorscripts.h"
#include "keys/macrostore.h"
#include "keys/storeupload.h"
#include "platform/entrynames.h"
#include "platform/folders.h"
#include "platform/ownerlockwatch.h"
#include "platform/udevrulefile.h"
#include "profiles/profilebody.h"
#include "profiles/profilefile.h"
#include "profiles/profilestore.h"
#include "settings/keyblockwriter.h"
#include "settings/mousemirror.h"
#include "settings/settingsrecord.h"
#include "sim/virtualhidbackend.h"
#include "varlokctl/effectstream.h"
#include "varlokctl/recordtext.h"
#include "varlokctl/settingschange.h"
#include "varlokctl/storetext.h"

namespace varlok::tools {

using device::LinkResult;

namespace {

constexpr unsigned kProfileCount = device::kOnboardProfileCount;

// "varlok (pid 4242)", or "another program" when the lock names nobody.
std::string DescribeHolder(const platform::LockHolder& holder) {
    if (holder.pid == 0) {
        return "another program";
    }
    return (holder.program.empty() ? std::string("a program") : holder.program) + " (pid " +
           std::to_string(holder.pid) + ")";
}

}  // namespace

std::unique_ptr<sim::VirtualMouseStateFile> PlugVirtualMouse(const ToolEnvironment& environment,
                                                             bool fresh) {
    return std::make_unique<sim::VirtualMouseStateFile>(
        sim::AttachVirtualMouse(*environment.bus),
        environment.virtualMouseState.empty() ? sim::VirtualMouseStateFile::DefaultPath()
                                              : environment.virtualMouseState,
        fresh ? sim::VirtualMouseStateFile::Start::Fresh
              : sim::VirtualMouseStateFile::Start::Stored);
}

DirectAccess::DirectAccess(ToolEnvironment& environment, bool simulate, bool fresh, bool trace,
                           std::optional<std::uint32_t> simulatedWindow)
    : m_env(environment),
      m_memory(simulate ? PlugVirtualMouse(environment, fresh) : nullptr),
      m_tracing(trace && environment.trace != nullptr),
      m_link(environment.bus),
      m_simulatedWindow(simulatedWindow) {
    if (m_tracing) {
        device::ReportTrace::Enable(m_env.trace);
    }
}

DirectAccess::~DirectAccess() {
    if (m_tracing) {
        device::ReportTrace::Disable();
    }
}

std::string DirectAccess::Where() const {
    return m_link.Device().IsOpen() ? m_link.Device().Path() : std::string();
}

ExitCode DirectAccess::Connect() {
    if (m_connected) {
        return *m_connected;
    }
    m_link.Init(device::DeviceType::Mouse);
    device::SearchResult found = device::SearchConfigurationCollection(m_link);
    // The window keeps the mouse while it runs; anyone else is done soon,
    // as another command of the same script is.
    std::optional<platform::OwnerLockWatch> watch;
    const auto deadline = std::chrono::steady_clock::now() + m_env.ownerWait;
    while (found.outcome == device::SearchOutcome::InUse &&
           found.owner.holder.program != device::kWindowProgram) {
        if (!watch) {
            m_env.err << "varlokctl: the mouse is in use by " << DescribeHolder(found.owner.holder)
                      << "; waiting for it\n";
            watch.emplace(found.owner.lockFile);
        }
        if (!watch->WaitUntilFree(deadline)) {
            break;
        }
        found = device::SearchConfigurationCollection(m_link);
    }
    ExitCode code = ExitCode::Failure;
    switch (found.outcome) {
        case device::SearchOutcome::Found:
            code = ExitCode::Ok;
            break;
        case device::SearchOutcome::NotFound:
            m_env.err << "varlokctl: no mouse found (looked for 0c45:7643 with a configuration "
                         "collection, usage page ff1c, usage 0092)\n";
            if (m_simulatedWindow) {
                m_env.err << "varlokctl: varlok --simulate (pid " << *m_simulatedWindow
                          << ") runs with its virtual mouse; varlokctl --simulate reaches it\n";
            }
            code = ExitCode::NoMouse;
            break;
        case device::SearchOutcome::PermissionDenied: {
            const platform::UdevRuleFile rule =
                m_env.udevRule.value_or(platform::InstalledUdevRuleFile());
            m_env.err << "varlokctl: permission denied opening " << found.path << '\n'
                      << (rule.readByUdev ? "The udev rule " + rule.path.string() +
                                                " that lets the user at the seat open the mouse is "
                                                "installed; have udev apply it "
                                          : "Install the udev rule " + rule.path.string() +
                                                ", which lets the user at the seat open the mouse ")
                      << "('sudo varlokctl udev-rule --install' does that):\n";
            for (const std::string& command : platform::UdevRuleCommands(rule)) {
                m_env.err << "  " << command << '\n';
            }
            code = ExitCode::PermissionDenied;
            break;
        }
        case device::SearchOutcome::OpenFailed:
            m_env.err << "varlokctl: cannot open " << found.path << ": "
                      << device::DescribeOpenError(found.openError) << '\n';
            break;
        case device::SearchOutcome::InUse:
            m_env.err << "varlokctl: the mouse is in use by " << DescribeHolder(found.owner.holder)
                      << (found.owner.holder.program == device::kWindowProgram
                              ? "; quit the varlok window to use the mouse from here\n"
                              : "; it did not let the mouse go in time\n");
            code = ExitCode::InUse;
            break;
        case device::SearchOutcome::EnumerationFailed:
            m_env.err << "varlokctl: listing the HID collections failed\n";
            break;
    }
    m_connected = code;
    return code;
}

ExitCode DirectAccess::CommandFailed(LinkResult result, std::string_view command) {
    switch (result) {
        case LinkResult::Success:
            return ExitCode::Ok;
        case LinkResult::NoAnswer:
        case LinkResult::WriteFailed:
            m_env.err << "varlokctl: the mouse is not answering (" << command << ": "
                      << device::Describe(result) << ")\n";
            return ExitCode::NotAnswering;
        case LinkResult::DeviceFailed:
        case LinkResult::DeviceRefused:
            m_env.err << "varlokctl: the mouse refused " << command << " ("
                      << device::Describe(result) << ")\n";
            return ExitCode::DeviceError;
        case LinkResult::BadBlockIndex:
        case LinkResult::BadLength:
            break;
    }
    m_env.err << "varlokctl: " << command << " failed (" << device::Describe(result) << ")\n";
    return ExitCode::Failure;
}

ExitCode DirectAccess::ReadInfo(device::DeviceInfo& info) {
    if (const ExitCode connected = Connect(); connected != ExitCode::Ok) {
        return connected;
    }
    // In a transfer bracket of its own, as the window reads it.
    const auto lock = m_link.LockIo();
    if (const LinkResult begun = m_link.BeginTransfer(); begun != LinkResult::Success) {
        return CommandFailed(begun, "BeginTransfer");
    }
    const LinkResult read = m_link.ReadDeviceInfo(info);
    // Closed even after a failed read, so that the mouse leaves transfer mode.
    const LinkResult ended = m_link.EndTransfer();
    if (read != LinkResult::Success) {
        return CommandFailed(read, "ReadDeviceInfo");
    }
    return CommandFailed(ended, "EndTransfer");
}

ExitCode DirectAccess::ReadRecord(std::optional<unsigned> profile, RecordBytes& record) {
    if (const ExitCode connected = Connect(); connected != ExitCode::Ok) {
        return connected;
    }
    return CommandFailed(m_link.ReadSettings(record, RecordOffset(profile)), "ReadSettings");
}

ExitCode DirectAccess::ChangeRecord(std::optional<unsigned> profile, const SettingsChange& change,
                                    std::optional<RecordBytes>& written) {
    if (const ExitCode connected = Connect(); connected != ExitCode::Ok) {
        return connected;
    }
    // Read, change and write back with no other command in between. Every
    // byte not named goes back as the mouse returned it; the mouse leaves
    // byte 0 (its active profile) alone in a write of the whole record.
    const auto lock = m_link.LockIo();
    RecordBytes record{};
    const std::uint16_t offset = RecordOffset(profile);
    if (const LinkResult read = m_link.ReadSettings(record, offset); read != LinkResult::Success) {
        return CommandFailed(read, "ReadSettings");
    }
    if (!ReachedProfile(m_env.err, profile, record)) {
        return ExitCode::Failure;
    }
    change.ApplyTo(record);
    if (const LinkResult result = m_link.WriteSettings(record, offset);
        result != LinkResult::Success) {
        return CommandFailed(result, "WriteSettings");
    }
    written = record;
    return ExitCode::Ok;
}

ExitCode DirectAccess::ApplyProfile(const ProfileToApply& profile, ApplyOutcome& outcome) {
    if (const ExitCode connected = Connect(); connected != ExitCode::Ok) {
        return connected;
    }
    // Selecting a profile in the program sends these without a transfer
    // bracket, back to back. The first failure stops the sequence: a device
    // profile's key block is not sent after its record was refused.
    const profiles::BodySend sent =
        profiles::SendProfileBody(m_link, profile.category, profile.body);
    if (sent.record) {
        if (*sent.record != LinkResult::Success) {
            return CommandFailed(*sent.record, "WriteSettings");
        }
        outcome.record = sent.recordBytes;
    }
    if (sent.keyBlock) {
        if (*sent.keyBlock != LinkResult::Success) {
            return CommandFailed(*sent.keyBlock, "key block 0");
        }
        outcome.keyBlock = true;
    }
    return ExitCode::Ok;
}

ExitCode DirectAccess::ReadEverything(const DumpSink& sink) {
    if (const ExitCode connected = Connect(); connected != ExitCode::Ok) {
        return connected;
    }
    const auto lock = m_link.LockIo();
    if (const LinkResult begun = m_link.BeginTransfer(); begun != LinkResult::Success) {
        return CommandFailed(begun, "BeginTransfer");
    }
    LinkResult result = LinkResult::Success;
    std::string_view failed;
    const auto step = [&](LinkResult read, std::string_view command, DumpPart part, unsigned index,
                          std::span<const std::uint8_t> bytes) {
        if (read != LinkResult::Success) {
            result = read;
            failed = command;
            return false;
        }
        sink(part, index, bytes);
        return true;
    };
    device::DeviceInfo info;
    std::vector<std::uint8_t> block(m_link.BlockSize());
    bool ok =
        step(m_link.ReadDeviceInfo(info), "ReadDeviceInfo", DumpPart::Info, 0, info.Raw()) &&
        step(m_link.ReadActiveBlock(block), "ReadActiveBlock", DumpPart::FactoryKeyMap, 0, block);
    for (unsigned index = 0; ok && index < kProfileCount; ++index) {
        ok = step(m_link.ReadStoredBlock(block, index), "ReadStoredBlock", DumpPart::KeyBlock,
                  index, block);
    }
    RecordBytes record{};
    for (unsigned index = 0; ok && index < kProfileCount; ++index) {
        ok = step(m_link.ReadSettings(record, RecordOffset(index)), "ReadSettings",
                  DumpPart::SettingsRecord, index, record);
    }
    // Closed even after a failed read, so that the mouse leaves transfer mode.
    const LinkResult ended = m_link.EndTransfer();
    if (result != LinkResult::Success) {
        return CommandFailed(result, failed);
    }
    return CommandFailed(ended, "EndTransfer");
}

ExitCode DirectAccess::ShowEffect(const EffectRequest& request, EffectOutcome& outcome) {
    if (const ExitCode connected = Connect(); connected != ExitCode::Ok) {
        return connected;
    }
    EffectStream stream(m_link, request);
    const LinkResult result = stream.Run(m_env.interrupted);
    outcome.framesSent = stream.FramesSent();
    return CommandFailed(result, "SendLightingFrame");
}

ExitCode DirectAccess::Upload(UploadOutcome& outcome) {
    const std::filesystem::path dataFolder = platform::DocumentsFolder() / "VARLOK" / "ms";
    const keys::MacroStore macros(dataFolder);
    keys::CursorScripts scripts(dataFolder, platform::InstallFolder());
    // As varlok's first start would: the folder, and the default scripts.
    std::error_code ignored;
    std::filesystem::create_directories(dataFolder, ignored);
    if (!scripts.PrepareCursorScripts()) {
        m_env.err << "varlokctl: the cursor scripts of " << dataFolder.string()
                  << " could not be prepared; their table is sent as it is\n";
    }
    device::DeviceInfo info;
    if (const ExitCode read = ReadInfo(info); read != ExitCode::Ok) {
        return read;
    }
    const keys::StoreUpload stores =
        keys::UploadStores(m_link, scripts, macros, info.MacroCapacityBytes());
    outcome.cursorScripts = stores.cursorScripts;
    if (stores.cursorScripts.link != LinkResult::Success) {
        return CommandFailed(stores.cursorScripts.link, "WriteCursorData");
    }
    const keys::TableUpload* refusal = stores.Refusal();
    if (refusal != &stores.cursorScripts) {
        outcome.macros = stores.macros;
    }
    if (refusal != nullptr) {
        m_env.err << "varlokctl: "
                  << (refusal->message ? DescribeStoreMessage(*refusal->message)
                                       : std::string("the upload was refused"))
                  << "; nothing more was sent\n";
        return ExitCode::Failure;
    }
    if (stores.macros.link != LinkResult::Success) {
        return CommandFailed(stores.macros.link, "WriteMacroData");
    }

    // The key block of the active profile, in a transfer of its own.
    RecordBytes record{};
    const auto lock = m_link.LockIo();
    if (const LinkResult result = m_link.ReadSettings(record, 0); result != LinkResult::Success) {
        return CommandFailed(result, "ReadSettings");
    }
    const unsigned active = record[settings::SettingsRecord::kActiveProfile];
    if (active >= kProfileCount) {
        m_env.err << "varlokctl: the mouse names onboard profile " << active
                  << ", which does not exist; the key block is not sent\n";
        return ExitCode::Failure;
    }
    // Inside the transfer, as the window's save: the block's window is read
    // and sent back, so the mouse gets its own bytes and no other profile's
    // keys change.
    settings::KeySlot slot{};
    LinkResult written = m_link.BeginTransfer();
    if (written == LinkResult::Success) {
        written = m_link.ReadStoredBlock(slot, active);
    }
    if (written == LinkResult::Success) {
        written = m_link.WriteStoredBlock(slot, active);
    }
    if (const LinkResult ended = m_link.EndTransfer(); written == LinkResult::Success) {
        written = ended;
    }
    if (written != LinkResult::Success) {
        return CommandFailed(written, "key block " + std::to_string(active));
    }
    outcome.keyBlock = active;
    return ExitCode::Ok;
}

ExitCode DirectAccess::SwitchOnboardProfile(unsigned index) {
    if (const ExitCode connected = Connect(); connected != ExitCode::Ok) {
        return connected;
    }
    // A one-byte write at offset 0 switches, as the mouse's button does;
    // the read back says whether the mouse took it.
    const auto lock = m_link.LockIo();
    const std::array<std::uint8_t, 1> switchTo{static_cast<std::uint8_t>(index)};
    if (const LinkResult written = m_link.WriteSettings(switchTo, 0);
        written != LinkResult::Success) {
        return CommandFailed(written, "WriteSettings");
    }
    std::array<std::uint8_t, 1> active{};
    if (const LinkResult read = m_link.ReadSettings(active, 0); read != LinkResult::Success) {
        return CommandFailed(read, "ReadSettings");
    }
    if (active[0] != index) {
        m_env.err << "varlokctl: the mouse stayed on onboard profile " << unsigned{active[0]}
                  << '\n';
        return ExitCode::DeviceError;
    }
    return ExitCode::Ok;
}

ExitCode DirectAccess::SelectProfile(profiles::ProfileCategory category, const std::string& name) {
    const profiles::ProfileCategoryInfo& info = profiles::CategoryInfo(category);
    settings::MouseMirror mirror;
    profiles::ProfileStore store(
        {platform::DocumentsFolder() / "VARLOK" / "ms", platform::InstallFolder()}, mirror);
    const std::vector<std::string> names = store.Names(category);
    auto found = std::ranges::find(names, name);
    if (found == names.end()) {
        found = std::ranges::find_if(names, [&name](const std::string& entry) {
            return platform::SameNameIgnoringCase(entry, name);
        });
    }
    const std::optional<std::filesystem::path> file =
        found == names.end() ? std::nullopt : store.FileOf(category, *found);
    if (!file) {
        std::string listed;
        for (const std::string& entry : names) {
            listed += (listed.empty() ? "" : ", ") + entry;
        }
        m_env.err << "varlokctl: there is no " << info.name << " profile named '" << name << "' in "
                  << (store.GetFolders().data / profiles::ProfileStore::kIniFileName).string()
                  << (listed.empty() ? std::string("; the list is empty")
                                     : "; the list holds " + listed)
                  << '\n';
        return ExitCode::Failure;
    }
    ProfileToApply profile{file->string(), category, std::vector<std::uint8_t>(info.bodyLength, 0)};
    if (profiles::ReadProfileFile(*file, profile.body) != profiles::ProfileReadResult::Loaded) {
        m_env.err << "varlokctl: the file of the " << info.name << " profile '" << *found << "', "
                  << file->string() << ", cannot be read or is no profile file\n";
        return ExitCode::Failure;
    }
    ApplyOutcome outcome;
    if (const ExitCode applied = ApplyProfile(profile, outcome); applied != ExitCode::Ok) {
        return applied;
    }
    // The window starts with the list's selection, and sends it.
    const auto index = static_cast<int>(found - names.begin());
    if (store.Ini().Write(info.selectSection, profiles::kSelectKey, std::to_string(index)) !=
        platform::IniWriteResult::Ok) {
        m_env.err << "varlokctl: the profile was sent, but it could not be made the selection in "
                  << store.Ini().Path().string() << '\n';
        return ExitCode::Failure;
    }
    return ExitCode::Ok;
}

}  // namespace varlok::tools
