#include "varlokctl/commandline.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "device/collectionsearch.h"
#include "device/deviceidentity.h"
#include "device/deviceinfo.h"
#include "device/hiddevice.h"
#include "device/reporttrace.h"
#include "device/sensortable.h"
#include "keys/cursorscripts.h"
#include "keys/macrostore.h"
#include "keys/macrotable.h"
#include "keys/storemessage.h"
#include "keys/storeupload.h"
#include "platform/atomicfile.h"
#include "platform/folders.h"
#include "platform/ownerlock.h"
#include "platform/ownerlockwatch.h"
#include "profiles/profilefile.h"
#include "profiles/profilestore.h"
#include "settings/keyblockwriter.h"
#include "settings/settingsrecord.h"
#include "sim/virtualhidbackend.h"
#include "sim/virtualmousestatefile.h"
#include "varlokctl/effectstream.h"
#include "varlokctl/hexformat.h"
#include "varlokctl/settingsrecordview.h"
#include "varlokctl/udevrule.h"

namespace varlok::tools {

using device::DeviceInfo;
using device::DeviceLink;
using device::LinkResult;
using profiles::ProfileCategory;
using profiles::ProfileCategoryInfo;

namespace {

constexpr unsigned kProfileCount = device::kOnboardProfileCount;
constexpr std::size_t kSettingsRecordStride = device::kRecordStride;

constexpr std::string_view kHelp =
    R"(usage: varlokctl [--simulate] [--trace] [--direct] COMMAND [OPTIONS]

Reads and changes the configuration of the 0C45:7643 gaming mouse through its
configuration collection (usage page 0xFF1C, usage 0x92).

commands:
  list                          every HID collection present: path, vendor id,
                                product id, usage page, usage
  info                          the mouse's information block, decoded and raw
  read-settings [--profile N]   the settings record in force (the active
                                onboard profile's, at offset 0), or that of
                                onboard profile N (0-4), decoded and raw;
                                profile 0's record is at offset 0, so it can
                                be read only while profile 0 is active
  dump                          information block, factory key map, key blocks
                                0-4, the settings record in force and the
                                records of profiles 1-4, as hex
  set [--profile N] [--dpi STAGE=DPI]... [--stage-colour STAGE=RRGGBB]...
      [--report-rate HZ]        reads the settings record in force (or that
                                of onboard profile N, as read-settings does),
                                changes what is named and writes the whole
                                record back in one write; prints the record
                                written
      --dpi STAGE=DPI           DPI of stage 1-7: 250 to 4000 in steps of 250
      --stage-colour STAGE=RRGGBB
                                colour of stage 1-7 as six hex digits (a
                                leading '#' is fine)
      --report-rate HZ          125, 250, 500 or 1000
                                --dpi and --stage-colour may repeat; for a
                                stage named twice the last value wins
  apply FILE                    sends a profile file the way selecting it in
                                varlok does, by its extension (any case):
                                .led     lighting: its settings record
                                .pro     keys: key block 0
                                .config  device: settings record, then key
                                         block 0
                                a file that is not a profile file is refused
                                before the mouse is opened
  effect MODE [--speed S] [--brightness L] [--direction left|right] [--seven]
      [--colour RRGGBB] [--wheel RRGGBB] [--logo RRGGBB] [--frames N] [--fast]
                                streams lighting effect MODE to the mouse frame
                                by frame as varlok does, from the effect's
                                starting state; each frame is one effect step
                                and two lighting-frame reports
      MODE                      0-6 or wave, trail, spectrum, gradient,
                                breathing, static, reactive
      --speed S                 speed level 0 (fastest) to 4, default 2
      --brightness L            brightness level 0-4, default 4
      --direction left|right    default right
      --seven                   seven colours instead of the single colour
      --colour RRGGBB           the single colour (also the bottom zone),
                                default ff0000
      --wheel RRGGBB, --logo RRGGBB
                                the zone colours of static, default 000000
      --frames N                stop after N frames (default: run until
                                interrupted with Ctrl-C)
      --fast                    no pauses between frames
  macros                        the macros of the data folder (VARLOK/ms in the
                                Documents folder; VARLOK_DOCUMENTS_DIR names
                                another Documents folder) with their action
                                counts, and the size of their table against
                                the mouse's macro memory
  upload                        does what the send button of varlok's key page
                                does: the cursor-script table, then the macro
                                table, each from the data folder, then the
                                key block of the active onboard profile as the
                                mouse holds it; macros too large for the mouse
                                are refused before anything of them is sent
  udev-rule [--install]         the udev rule that lets the user at the seat
                                open the mouse (data/udev/70-varlok.rules)
      --install                 writes it into /etc/udev/rules.d (or
                                $VARLOK_UDEV_RULES_DIR) and has udev reload
                                its rules and apply them to the devices
                                present; needs root (sudo)
  help, --help                  this text

options:
  --simulate   plug in the virtual mouse and talk to it; it keeps its memory
               between runs in $XDG_RUNTIME_DIR/varlok/virtual-mouse.state
               (without XDG_RUNTIME_DIR: $XDG_STATE_HOME/varlok or
               ~/.local/state/varlok)
  --simulate=fresh
               the same, starting from the factory state
  --trace      print every report sent ("> ") and received ("< ") on standard
               output; VARLOK_TRACE=1 prints them on standard error instead
  --direct     talk to the mouse itself, never through a running varlok
               window; refused (exit code 7) while varlok has the mouse

One program at a time has the mouse. A command that finds another program
using it (another varlokctl, say) waits up to 5 seconds for it to let go; one
that finds the varlok window using it stops at once with exit code 7.

exit codes:
  0  success
  1  other failure (HID enumeration failed, the mouse could not be opened,
     the profile file cannot be read or is not a profile file)
  2  bad usage
  3  no mouse found
  4  permission denied on the mouse's HID node, or udev-rule --install
     run without root
  5  the mouse is not answering
  6  the mouse answered with a failure status
  7  the mouse is in use by another program (named with its process id)
)";

static_assert(kOwnerWait == std::chrono::seconds(5), "the help names the wait");

// Where "udev-rule --install" puts the rule, the variable that overrides the
// folder (tests), and what then has udev apply it to the devices present.
constexpr const char* kUdevRulesFolder = "/etc/udev/rules.d";
constexpr const char* kUdevRulesFolderVariable = "VARLOK_UDEV_RULES_DIR";
constexpr std::string_view kUdevRuleFile = "70-varlok.rules";
constexpr auto kUdevRulePermissions =
    std::filesystem::perms::owner_read | std::filesystem::perms::owner_write |
    std::filesystem::perms::group_read | std::filesystem::perms::others_read;
const std::array<std::vector<std::string>, 2> kUdevCommands{
    std::vector<std::string>{"udevadm", "control", "--reload"},
    std::vector<std::string>{"udevadm", "trigger"},
};

// Turns the report trace on for one run and off again afterwards.
class TraceScope {
public:
    explicit TraceScope(std::FILE* sink) : m_enabled(sink != nullptr) {
        if (m_enabled) {
            device::ReportTrace::Enable(sink);
        }
    }
    ~TraceScope() {
        if (m_enabled) {
            device::ReportTrace::Disable();
        }
    }
    TraceScope(const TraceScope&) = delete;
    TraceScope& operator=(const TraceScope&) = delete;

private:
    bool m_enabled;
};

constexpr auto kCommands =
    std::to_array<std::string_view>({"list", "info", "read-settings", "set", "apply", "dump",
                                     "effect", "macros", "upload", "udev-rule"});

struct Arguments {
    bool simulate = false;
    bool fresh = false;
    bool trace = false;
    bool help = false;
    bool seven = false;
    bool fast = false;
    bool install = false;
    std::string_view command;
    // Arguments after the command that are no options.
    std::vector<std::string_view> operands;
    // The values of each option that takes one, in the order given.
    std::vector<std::string_view> profile;
    std::vector<std::string_view> dpi;
    std::vector<std::string_view> stageColours;
    std::vector<std::string_view> reportRate;
    std::vector<std::string_view> speed;
    std::vector<std::string_view> brightness;
    std::vector<std::string_view> direction;
    std::vector<std::string_view> colour;
    std::vector<std::string_view> wheel;
    std::vector<std::string_view> logo;
    std::vector<std::string_view> frames;
};

// An option followed by a value ("--dpi 2=800" or "--dpi=2=800").
struct ValueOption {
    std::string_view name;
    std::vector<std::string_view> Arguments::*values;
    // What the value must be, for "NAME needs ...".
    std::string_view wants;
    // The commands that take the option; the second may be empty.
    std::array<std::string_view, 2> commands;
};

constexpr std::array kValueOptions{
    ValueOption{"--profile", &Arguments::profile, "a number from 0 to 4", {"read-settings", "set"}},
    ValueOption{"--dpi", &Arguments::dpi, "STAGE=DPI", {"set"}},
    ValueOption{"--stage-colour", &Arguments::stageColours, "STAGE=RRGGBB", {"set"}},
    ValueOption{"--report-rate", &Arguments::reportRate, "HZ", {"set"}},
    ValueOption{"--speed", &Arguments::speed, "a number from 0 to 4", {"effect"}},
    ValueOption{"--brightness", &Arguments::brightness, "a number from 0 to 4", {"effect"}},
    ValueOption{"--direction", &Arguments::direction, "left or right", {"effect"}},
    ValueOption{"--colour", &Arguments::colour, "RRGGBB", {"effect"}},
    ValueOption{"--wheel", &Arguments::wheel, "RRGGBB", {"effect"}},
    ValueOption{"--logo", &Arguments::logo, "RRGGBB", {"effect"}},
    ValueOption{"--frames", &Arguments::frames, "a count", {"effect"}},
};

// The options of "effect" by the request's setter that takes them; each
// value in turn, so that the last one given wins.
struct EffectOption {
    std::vector<std::string_view> Arguments::*values;
    std::optional<std::string> (EffectRequest::*set)(std::string_view);
};

constexpr std::array kEffectOptions{
    EffectOption{&Arguments::speed, &EffectRequest::SetSpeed},
    EffectOption{&Arguments::brightness, &EffectRequest::SetBrightness},
    EffectOption{&Arguments::direction, &EffectRequest::SetDirection},
    EffectOption{&Arguments::colour, &EffectRequest::SetColour},
    EffectOption{&Arguments::wheel, &EffectRequest::SetWheelColour},
    EffectOption{&Arguments::logo, &EffectRequest::SetLogoColour},
    EffectOption{&Arguments::frames, &EffectRequest::SetFrames},
};

bool TakesOption(const ValueOption& option, std::string_view command) {
    return std::ranges::find(option.commands, command) != option.commands.end();
}

std::string OptionCommands(const ValueOption& option) {
    std::string text(option.commands[0]);
    if (!option.commands[1].empty()) {
        text += " and " + std::string(option.commands[1]);
    }
    return text;
}

// The category whose extension the file has, compared without regard to case.
std::optional<ProfileCategory> CategoryOfFile(const std::filesystem::path& file) {
    std::string extension = file.extension().string();
    std::ranges::transform(extension, extension.begin(), [](char c) {
        return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    });
    for (const ProfileCategoryInfo& info : profiles::kProfileCategories) {
        if (extension == info.extension) {
            return info.category;
        }
    }
    return std::nullopt;
}

// Where apply finds what it sends in each kind of body.
static_assert(profiles::CategoryInfo(ProfileCategory::Key).bodyLength == device::kKeyTableSize);
static_assert(profiles::kDeviceRecordOffset + device::kSettingsRecordSize <=
              profiles::CategoryInfo(ProfileCategory::Device).bodyLength);
static_assert(device::kSettingsRecordSize <=
              profiles::CategoryInfo(ProfileCategory::Lighting).bodyLength);

std::string ProfileExtensions() {
    std::string text;
    for (std::size_t i = 0; i < profiles::kProfileCategories.size(); ++i) {
        if (i > 0) {
            text += i + 1 == profiles::kProfileCategories.size() ? " or " : ", ";
        }
        text += profiles::kProfileCategories[i].extension;
    }
    return text;
}

std::optional<unsigned> ParseProfile(std::string_view text) {
    unsigned value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value >= kProfileCount) {
        return std::nullopt;
    }
    return value;
}

std::string Decimal(unsigned value) {
    return std::to_string(value);
}

// "varlok (pid 4242)", or "another program" when the lock names nobody.
std::string DescribeHolder(const platform::LockHolder& holder) {
    if (holder.pid == 0) {
        return "another program";
    }
    return (holder.program.empty() ? std::string("a program") : holder.program) + " (pid " +
           std::to_string(holder.pid) + ")";
}

std::string DescribeSensor(std::uint16_t code) {
    char hex[8];
    std::snprintf(hex, sizeof hex, "0x%04x", code);
    const std::optional<device::SensorInfo> sensor = device::FindSensor(code);
    if (!sensor) {
        return std::string(hex) + " (not in the sensor table)";
    }
    return std::string(hex) + ", base DPI " + Decimal(sensor->baseDpi) + ", stage labels " +
           std::string(sensor->minLabel) + " to " + std::string(sensor->maxLabel) + " (stages 1-" +
           Decimal(static_cast<unsigned>(sensor->stagesLabelled)) + ")";
}

}  // namespace

std::string_view CommandLine::HelpText() {
    return kHelp;
}

ExitCode CommandLine::UsageError(std::string_view message) {
    m_env.err << "varlokctl: " << message << "\nTry 'varlokctl --help'.\n";
    return ExitCode::Usage;
}

ExitCode CommandLine::Run(std::span<const std::string_view> arguments) {
    Arguments parsed;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string_view argument = arguments[i];
        const auto option = std::ranges::find_if(kValueOptions, [argument](const ValueOption& o) {
            return argument == o.name ||
                   (argument.starts_with(o.name) && argument[o.name.size()] == '=');
        });
        if (argument == "--simulate" || argument == "--simulate=fresh") {
            parsed.simulate = true;
            parsed.fresh = argument.ends_with("=fresh");
        } else if (argument.starts_with("--simulate=")) {
            return UsageError("--simulate takes no value but 'fresh'");
        } else if (argument == "--trace") {
            parsed.trace = true;
        } else if (argument == "--direct") {
            // Every command talks to the mouse itself so far; the option
            // keeps it so once a running window can be asked instead.
        } else if (argument == "--seven") {
            parsed.seven = true;
        } else if (argument == "--fast") {
            parsed.fast = true;
        } else if (argument == "--install") {
            parsed.install = true;
        } else if (argument == "--help" || argument == "-h") {
            parsed.help = true;
        } else if (option != kValueOptions.end()) {
            if (argument != option->name) {
                (parsed.*option->values).push_back(argument.substr(option->name.size() + 1));
            } else if (i + 1 == arguments.size()) {
                return UsageError(std::string(option->name) + " needs " +
                                  std::string(option->wants));
            } else {
                (parsed.*option->values).push_back(arguments[++i]);
            }
        } else if (argument.starts_with("-")) {
            return UsageError("unknown option '" + std::string(argument) + "'");
        } else if (parsed.command.empty()) {
            parsed.command = argument;
        } else {
            parsed.operands.push_back(argument);
        }
    }
    if (parsed.help || parsed.command == "help") {
        m_env.out << kHelp;
        return ExitCode::Ok;
    }
    if (parsed.command.empty()) {
        return UsageError("no command given");
    }
    if (std::ranges::find(kCommands, parsed.command) == kCommands.end()) {
        return UsageError("unknown command '" + std::string(parsed.command) + "'");
    }
    for (const ValueOption& option : kValueOptions) {
        if (!(parsed.*option.values).empty() && !TakesOption(option, parsed.command)) {
            return UsageError(std::string(option.name) + " belongs to " + OptionCommands(option));
        }
    }
    if ((parsed.seven || parsed.fast) && parsed.command != "effect") {
        return UsageError(std::string(parsed.seven ? "--seven" : "--fast") + " belongs to effect");
    }
    if (parsed.install && parsed.command != "udev-rule") {
        return UsageError("--install belongs to udev-rule");
    }
    const std::size_t operandCount =
        parsed.command == "apply" || parsed.command == "effect" ? 1 : 0;
    if (parsed.operands.size() > operandCount) {
        return UsageError("unexpected argument '" + std::string(parsed.operands[operandCount]) +
                          "'");
    }
    if (parsed.operands.size() < operandCount) {
        return UsageError(parsed.command == "effect"
                              ? "effect needs a mode (0-6 or wave, trail, spectrum, gradient, "
                                "breathing, static, reactive)"
                              : "apply needs a profile file (" + ProfileExtensions() + ")");
    }

    // Everything is checked here, before any device is touched.
    std::optional<unsigned> profile;
    if (!parsed.profile.empty()) {
        const std::optional<unsigned> value = ParseProfile(parsed.profile.back());
        if (!value) {
            return UsageError("--profile needs a number from 0 to 4, not '" +
                              std::string(parsed.profile.back()) + "'");
        }
        profile = *value;
    }
    SettingsChange change;
    for (const std::string_view value : parsed.dpi) {
        if (const std::optional<std::string> refusal = change.AddDpi(value)) {
            return UsageError(*refusal);
        }
    }
    for (const std::string_view value : parsed.stageColours) {
        if (const std::optional<std::string> refusal = change.AddStageColour(value)) {
            return UsageError(*refusal);
        }
    }
    for (const std::string_view value : parsed.reportRate) {
        if (const std::optional<std::string> refusal = change.SetReportRate(value)) {
            return UsageError(*refusal);
        }
    }
    if (parsed.command == "set" && change.Empty()) {
        return UsageError("set needs something to change: --dpi, --stage-colour or --report-rate");
    }
    EffectRequest effect;
    if (parsed.command == "effect") {
        if (const std::optional<std::string> refusal = effect.SetMode(parsed.operands.front())) {
            return UsageError(*refusal);
        }
        for (const EffectOption& option : kEffectOptions) {
            for (const std::string_view value : parsed.*option.values) {
                if (const std::optional<std::string> refusal = (effect.*option.set)(value)) {
                    return UsageError(*refusal);
                }
            }
        }
        effect.SetSevenColour(parsed.seven);
        effect.SetFast(parsed.fast);
    }
    std::optional<ProfileCategory> category;
    if (parsed.command == "apply") {
        category = CategoryOfFile(parsed.operands.front());
        if (!category) {
            return UsageError("apply takes a " + ProfileExtensions() + " file, not '" +
                              std::string(parsed.operands.front()) + "'");
        }
    }

    if (parsed.command == "udev-rule") {
        return UdevRule(parsed.install);
    }
    // Lives as long as the command, and saves the mouse's memory at its end.
    std::optional<sim::VirtualMouseStateFile> memory;
    if (parsed.simulate) {
        memory.emplace(sim::AttachVirtualMouse(*m_env.bus),
                       m_env.virtualMouseState.empty() ? sim::VirtualMouseStateFile::DefaultPath()
                                                       : m_env.virtualMouseState,
                       parsed.fresh ? sim::VirtualMouseStateFile::Start::Fresh
                                    : sim::VirtualMouseStateFile::Start::Stored);
    }
    const TraceScope trace(parsed.trace ? m_env.trace : nullptr);
    if (parsed.command == "list") {
        return List();
    }
    if (parsed.command == "info") {
        return Info();
    }
    if (parsed.command == "read-settings") {
        return ReadSettings(profile);
    }
    if (parsed.command == "set") {
        return Set(profile, change);
    }
    if (parsed.command == "effect") {
        return Effect(effect);
    }
    if (parsed.command == "apply" && category) {
        return Apply(parsed.operands.front(), *category);
    }
    if (parsed.command == "macros") {
        return Macros();
    }
    if (parsed.command == "upload") {
        return Upload();
    }
    return Dump();
}

ExitCode CommandLine::List() {
    device::HidDevice device(m_env.bus);
    if (!device.FindPaths()) {
        m_env.err << "varlokctl: listing the HID collections failed\n";
        return ExitCode::Failure;
    }
    std::size_t count = 0;
    while (const auto path = device.NextPath()) {
        ++count;
        char line[160];
        // No access rights are needed to learn ids and usages.
        if (device.Open(*path, false, false, true, false)) {
            const device::HidAttributes& attributes = device.Attributes();
            const device::HidCaps& caps = device.Caps();
            std::snprintf(line, sizeof line,
                          "  vendor %04x  product %04x  usage page %04x  usage %04x\n",
                          attributes.vendorId, attributes.productId, caps.usagePage, caps.usage);
            device.Close();
        } else {
            std::snprintf(line, sizeof line, "  vendor %04x  product %04x  (cannot open: %s)\n",
                          device::HidDevice::ParseVendorId(*path),
                          device::HidDevice::ParseProductId(*path),
                          device::DescribeOpenError(device.LastOpenError()));
        }
        m_env.out << *path << '\n' << line;
    }
    device.FreePaths();
    if (count == 0) {
        m_env.out << "no HID collections found\n";
    }
    return ExitCode::Ok;
}

ExitCode CommandLine::Connect(DeviceLink& link) {
    link.Init(device::DeviceType::Mouse);
    device::SearchResult found = device::SearchConfigurationCollection(link);
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
        found = device::SearchConfigurationCollection(link);
    }
    switch (found.outcome) {
        case device::SearchOutcome::Found:
            return ExitCode::Ok;
        case device::SearchOutcome::NotFound:
            m_env.err << "varlokctl: no mouse found (looked for 0c45:7643 with a configuration "
                         "collection, usage page ff1c, usage 0092)\n";
            return ExitCode::NoMouse;
        case device::SearchOutcome::PermissionDenied:
            m_env.err << "varlokctl: permission denied opening " << found.path
                      << "\nInstall the udev rule data/udev/70-varlok.rules (printed by "
                         "'varlokctl udev-rule') into /etc/udev/rules.d/, reload udev and "
                         "plug the mouse in again.\n";
            return ExitCode::PermissionDenied;
        case device::SearchOutcome::OpenFailed:
            m_env.err << "varlokctl: cannot open " << found.path << ": "
                      << device::DescribeOpenError(found.openError) << '\n';
            return ExitCode::Failure;
        case device::SearchOutcome::InUse:
            m_env.err << "varlokctl: the mouse is in use by " << DescribeHolder(found.owner.holder)
                      << (found.owner.holder.program == device::kWindowProgram
                              ? "; quit the varlok window to use the mouse from here\n"
                              : "; it did not let the mouse go in time\n");
            return ExitCode::InUse;
        case device::SearchOutcome::EnumerationFailed:
            break;
    }
    m_env.err << "varlokctl: listing the HID collections failed\n";
    return ExitCode::Failure;
}

ExitCode CommandLine::ConnectAndReadInfo(DeviceLink& link, DeviceInfo& info) {
    if (const ExitCode connected = Connect(link); connected != ExitCode::Ok) {
        return connected;
    }
    if (const LinkResult result = link.ReadDeviceInfo(info); result != LinkResult::Success) {
        return CommandFailed(result, "ReadDeviceInfo");
    }
    return ExitCode::Ok;
}

ExitCode CommandLine::CommandFailed(LinkResult result, std::string_view command) {
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

ExitCode CommandLine::InTransfer(const std::function<StepFailure(DeviceLink&)>& reads) {
    DeviceLink link(m_env.bus);
    if (const ExitCode connected = Connect(link); connected != ExitCode::Ok) {
        return connected;
    }
    const LinkResult begun = link.BeginTransfer();
    if (begun != LinkResult::Success) {
        return CommandFailed(begun, "BeginTransfer");
    }
    const StepFailure failure = reads(link);
    // Close the bracket even after a failed read so that the mouse leaves transfer mode.
    const LinkResult ended = link.EndTransfer();
    if (failure.result != LinkResult::Success) {
        return CommandFailed(failure.result, failure.command);
    }
    return ended == LinkResult::Success ? ExitCode::Ok : CommandFailed(ended, "EndTransfer");
}

ExitCode CommandLine::Info() {
    return InTransfer([this](DeviceLink& link) -> StepFailure {
        DeviceInfo info;
        if (const LinkResult result = link.ReadDeviceInfo(info); result != LinkResult::Success) {
            return {result, "ReadDeviceInfo"};
        }
        m_env.out << LabelledLine("mouse", link.Device().Path())
                  << LabelledLine("sensor", DescribeSensor(info.SensorCode()))
                  << LabelledLine("DPI step", Decimal(info.DpiStep()))
                  << LabelledLine("highest DPI position", Decimal(info.HighestDpiPosition()))
                  << LabelledLine("base DPI", Decimal(info.BaseDpi()))
                  << LabelledLine("macro memory",
                                  Decimal(static_cast<unsigned>(info.MacroCapacityBytes())) +
                                      " bytes (" + Decimal(info.MacroUnits()) + " x " +
                                      Decimal(DeviceInfo::kMacroUnitBytes) + ")")
                  << LabelledLine("device info", HexBytes(info.Raw()));
        return {};
    });
}

namespace {

// The record a settings command addresses: the record in force at offset 0
// unless a profile is named; profile 0's record lies there too.
std::uint16_t RecordOffset(std::optional<unsigned> profile) {
    return static_cast<std::uint16_t>(kSettingsRecordStride * profile.value_or(0));
}

// How the output names the record read at RecordOffset(profile).
std::string RecordTitle(std::optional<unsigned> profile, std::span<const std::uint8_t> record) {
    const std::string offset = " (offset " + Decimal(RecordOffset(profile)) + ")";
    if (!profile) {
        return "settings record in force: onboard profile " +
               Decimal(record[settings::SettingsRecord::kActiveProfile]) + offset;
    }
    return "settings record of profile " + Decimal(*profile) + offset;
}

}  // namespace

bool CommandLine::ReachedProfile(std::optional<unsigned> profile,
                                 std::span<const std::uint8_t> record) {
    const unsigned active = record[settings::SettingsRecord::kActiveProfile];
    if (profile != 0U || active == 0) {
        return true;
    }
    m_env.err << "varlokctl: onboard profile 0's record is the one at offset 0 only while "
                 "profile 0 is active, and the mouse is on profile "
              << active << "; without --profile the record in force is used\n";
    return false;
}

ExitCode CommandLine::ReadSettings(std::optional<unsigned> profile) {
    DeviceLink link(m_env.bus);
    if (const ExitCode connected = Connect(link); connected != ExitCode::Ok) {
        return connected;
    }
    std::array<std::uint8_t, SettingsRecordView::kExchangedSize> record{};
    const LinkResult result = link.ReadSettings(record, RecordOffset(profile));
    if (result != LinkResult::Success) {
        return CommandFailed(result, "ReadSettings");
    }
    if (!ReachedProfile(profile, record)) {
        return ExitCode::Failure;
    }
    m_env.out << RecordTitle(profile, record) << '\n'
              << SettingsRecordView(record).Describe() << LabelledLine("raw", HexBytes(record));
    return ExitCode::Ok;
}

ExitCode CommandLine::Set(std::optional<unsigned> profile, const SettingsChange& change) {
    DeviceLink link(m_env.bus);
    if (const ExitCode connected = Connect(link); connected != ExitCode::Ok) {
        return connected;
    }
    // Read, change and write back with no other command in between. Every
    // byte not named goes back as the mouse returned it; the mouse leaves
    // byte 0 (its active profile) alone in a write of the whole record.
    const auto lock = link.LockIo();
    std::array<std::uint8_t, SettingsRecordView::kExchangedSize> record{};
    const std::uint16_t offset = RecordOffset(profile);
    if (const LinkResult read = link.ReadSettings(record, offset); read != LinkResult::Success) {
        return CommandFailed(read, "ReadSettings");
    }
    if (!ReachedProfile(profile, record)) {
        return ExitCode::Failure;
    }
    change.ApplyTo(record);
    if (const LinkResult written = link.WriteSettings(record, offset);
        written != LinkResult::Success) {
        return CommandFailed(written, "WriteSettings");
    }
    m_env.out << "wrote the " << RecordTitle(profile, record) << '\n'
              << SettingsRecordView(record).Describe() << LabelledLine("raw", HexBytes(record));
    return ExitCode::Ok;
}

ExitCode CommandLine::Apply(const std::filesystem::path& file, ProfileCategory category) {
    const ProfileCategoryInfo& info = profiles::CategoryInfo(category);
    // Zeroed first: a file shorter than its body leaves the rest of the
    // buffer as it was.
    std::vector<std::uint8_t> body(info.bodyLength, 0);
    switch (profiles::ReadProfileFile(file, body)) {
        case profiles::ProfileReadResult::Loaded:
            break;
        case profiles::ProfileReadResult::Missing:
            m_env.err << "varlokctl: cannot read " << file.string() << '\n';
            return ExitCode::Failure;
        case profiles::ProfileReadResult::BadMagic:
            m_env.err << "varlokctl: " << file.string()
                      << " is not a profile file (it does not start with the profile magic aa "
                         "55)\n";
            return ExitCode::Failure;
    }

    DeviceLink link(m_env.bus);
    if (const ExitCode connected = Connect(link); connected != ExitCode::Ok) {
        return connected;
    }
    // Selecting a profile in the program sends these without a transfer
    // bracket; the lock keeps them back to back. The first failure stops
    // the sequence: a device profile's key block is not sent after its
    // record was refused.
    const auto lock = link.LockIo();
    const std::span<const std::uint8_t> bytes(body);
    if (category != ProfileCategory::Key) {
        // The record proper followed by zeros, as a flush sends it.
        const std::size_t recordAt =
            category == ProfileCategory::Device ? profiles::kDeviceRecordOffset : 0;
        std::array<std::uint8_t, device::kExchangedRecordSize> record{};
        std::ranges::copy(bytes.subspan(recordAt, device::kSettingsRecordSize), record.begin());
        if (const LinkResult written = link.WriteSettings(record, 0);
            written != LinkResult::Success) {
            return CommandFailed(written, "WriteSettings");
        }
        m_env.out << "wrote the settings record (" << record.size() << " bytes at offset 0)\n"
                  << LabelledLine("raw", HexBytes(record));
    }
    if (category != ProfileCategory::Lighting) {
        // Both a key profile and a device profile start with the key table.
        // Only profile 0's own block is taken from it: the rest of the
        // window goes back as the mouse holds it.
        settings::KeySlot keys{};
        std::ranges::copy(bytes.first(device::kKeyTableSize), keys.begin());
        if (const LinkResult written = settings::KeyBlockWriter::Write(link, 0, keys);
            written != LinkResult::Success) {
            return CommandFailed(written, "key block 0");
        }
        m_env.out << "wrote key block 0 (" << settings::KeyBlockWriter::kKeyBlockSize
                  << " bytes of the file; " << keys.size() << " bytes sent)\n";
    }
    m_env.out << "applied the " << info.name << " profile " << file.string() << '\n';
    return ExitCode::Ok;
}

ExitCode CommandLine::Dump() {
    // Everything read is printed as it arrives, so a failure still shows
    // what came before it.
    return InTransfer([this](DeviceLink& link) -> StepFailure {
        StepFailure failure;
        const auto step = [&](LinkResult result, std::string_view command, const std::string& title,
                              std::span<const std::uint8_t> bytes) {
            if (result != LinkResult::Success) {
                failure = {result, std::string(command)};
                return false;
            }
            m_env.out << title << '\n' << HexDump(bytes);
            return true;
        };
        const std::string blockSize = Decimal(link.BlockSize());
        DeviceInfo info;
        std::vector<std::uint8_t> block(link.BlockSize());
        bool ok = step(link.ReadDeviceInfo(info), "ReadDeviceInfo", "device info (33 bytes)",
                       info.Raw()) &&
                  step(link.ReadActiveBlock(block), "ReadActiveBlock",
                       "factory key map (" + blockSize + " bytes)", block);
        for (unsigned index = 0; ok && index < kProfileCount; ++index) {
            ok = step(link.ReadStoredBlock(block, index), "ReadStoredBlock",
                      "key block " + Decimal(index) + " (" + blockSize + " bytes at offset " +
                          Decimal(index * DeviceLink::kStoredBlockStep) + ")",
                      block);
        }
        // Offset 0 is the record in force; the titles can name its profile
        // only once it is read, so each record is read before its title.
        std::array<std::uint8_t, SettingsRecordView::kExchangedSize> record{};
        for (unsigned index = 0; ok && index < kProfileCount; ++index) {
            const auto offset = static_cast<std::uint16_t>(kSettingsRecordStride * index);
            const LinkResult read = link.ReadSettings(record, offset);
            const std::string title =
                index == 0 ? "settings record in force: onboard profile " +
                                 Decimal(record[settings::SettingsRecord::kActiveProfile])
                           : "settings record " + Decimal(index);
            ok = step(read, "ReadSettings", title + " (56 bytes at offset " + Decimal(offset) + ")",
                      record);
        }
        return failure;
    });
}

ExitCode CommandLine::Effect(const EffectRequest& request) {
    DeviceLink link(m_env.bus);
    if (const ExitCode connected = Connect(link); connected != ExitCode::Ok) {
        return connected;
    }
    EffectStream stream(link, request);
    const LinkResult result = stream.Run(m_env.interrupted);
    const std::string summary = "effect " + std::string(request.ModeName()) + " (mode " +
                                Decimal(request.Mode()) +
                                "): " + std::to_string(stream.FramesSent()) + " frames sent";
    if (result != LinkResult::Success) {
        m_env.out << summary << '\n';
        return CommandFailed(result, "SendLightingFrame");
    }
    const bool interrupted = m_env.interrupted != nullptr && m_env.interrupted->load();
    m_env.out << summary << (interrupted ? ", then interrupted" : "") << '\n';
    return ExitCode::Ok;
}

ExitCode CommandLine::UdevRule(bool install) {
    if (!install) {
        m_env.out << kUdevRule;
        return ExitCode::Ok;
    }
    const char* override = std::getenv(kUdevRulesFolderVariable);
    const std::filesystem::path folder =
        override != nullptr && *override != '\0' ? override : kUdevRulesFolder;
    const std::filesystem::path target = folder / kUdevRuleFile;
    if (!m_env.privileged) {
        m_env.err << "varlokctl: installing the udev rule needs root. Run:\n"
                     "  sudo varlokctl udev-rule --install\n"
                     "or, from the varlok sources:\n"
                     "  sudo cp data/udev/"
                  << kUdevRuleFile << ' ' << folder.string()
                  << "/\n"
                     "  sudo udevadm control --reload && sudo udevadm trigger\n";
        return ExitCode::PermissionDenied;
    }
    // Written atomically with a private temporary file; udev reads it as any
    // other rule, so it ends up readable by all.
    bool written = platform::ReplaceFileAtomically(target, kUdevRule);
    if (written) {
        std::error_code error;
        std::filesystem::permissions(target, kUdevRulePermissions, error);
        written = !error;
    }
    if (!written) {
        m_env.err << "varlokctl: cannot write " << target.string() << '\n';
        return ExitCode::Failure;
    }
    m_env.out << "wrote " << target.string() << '\n';
    for (const std::vector<std::string>& command : kUdevCommands) {
        const int status = m_env.runProgram ? m_env.runProgram(command) : -1;
        std::string line;
        for (const std::string& argument : command) {
            line += (line.empty() ? "" : " ") + argument;
        }
        if (status != 0) {
            m_env.err << "varlokctl: '" << line << "' failed; run it yourself\n";
            return ExitCode::Failure;
        }
        m_env.out << "ran " << line << '\n';
    }
    return ExitCode::Ok;
}

ExitCode CommandLine::Macros() {
    const keys::MacroStore store(platform::DocumentsFolder() / "VARLOK" / "ms");
    const std::vector<std::string> names = store.LoadMacroList();
    const std::vector<std::vector<keys::MacroAction>> macros = store.LoadAllMacros();
    m_env.out << names.size() << " macro" << (names.size() == 1 ? "" : "s") << " in "
              << store.ListFilePath().string() << '\n';
    std::size_t actions = 0;
    for (std::size_t index = 0; index < names.size(); ++index) {
        char line[64];
        std::snprintf(line, sizeof line, "  %2zu  %5zu action%s  ", index, macros[index].size(),
                      macros[index].size() == 1 ? " " : "s");
        m_env.out << line << names[index] << '\n';
        actions += macros[index].size();
    }
    const std::size_t length = keys::MacroTableLength(macros);
    m_env.out << LabelledLine("table", Decimal(static_cast<unsigned>(length)) + " bytes (" +
                                           Decimal(static_cast<unsigned>(names.size())) +
                                           " macros, " + Decimal(static_cast<unsigned>(actions)) +
                                           " actions)");
    DeviceLink link(m_env.bus);
    DeviceInfo info;
    if (const ExitCode connected = ConnectAndReadInfo(link, info); connected != ExitCode::Ok) {
        return connected;
    }
    const std::size_t capacity = info.MacroCapacityBytes();
    m_env.out << LabelledLine("macro memory", Decimal(static_cast<unsigned>(capacity)) +
                                                  " bytes (" + Decimal(info.MacroUnits()) + " x " +
                                                  Decimal(DeviceInfo::kMacroUnitBytes) + ")");
    if (length > capacity) {
        m_env.out << LabelledLine("fits",
                                  "no: remove at least " +
                                      Decimal(static_cast<unsigned>(
                                          (length - capacity) / keys::MacroAction::kWireSize + 1)) +
                                      " actions before an upload");
    } else {
        m_env.out << LabelledLine(
            "fits",
            "yes, " + Decimal(static_cast<unsigned>(capacity - length)) + " bytes to spare");
    }
    return ExitCode::Ok;
}

namespace {

// The stores' refusals as varlok words them in English.
std::string DescribeStoreMessage(const keys::StoreMessage& message) {
    static constexpr std::array<std::pair<std::string_view, std::string_view>, 4> kTexts{{
        {keys::kNoMemoryMessage, "there is not enough memory to prepare the data for the mouse"},
        {keys::kScriptTableTooLongMessage,
         "the cursor scripts are too long for the mouse (at most 3072 bytes)"},
        {keys::kCapacityMessage,
         "the macros do not fit into the mouse's memory; number of actions to remove: at least "
         "%d"},
        {keys::kMacroLimitMessage, "you can keep at most %d macros"},
    }};
    for (const auto& [key, text] : kTexts) {
        if (key == message.key) {
            return keys::FormatStoreMessage(text, message.number);
        }
    }
    return message.key;
}

}  // namespace

ExitCode CommandLine::Upload() {
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
    DeviceLink link(m_env.bus);
    DeviceInfo info;
    if (const ExitCode connected = ConnectAndReadInfo(link, info); connected != ExitCode::Ok) {
        return connected;
    }
    const keys::StoreUpload stores =
        keys::UploadStores(link, scripts, macros, info.MacroCapacityBytes());
    const auto report = [this](std::string_view what, const keys::TableUpload& upload) {
        m_env.out << what << ": " << upload.length << " bytes, "
                  << (upload.status == keys::UploadStatus::Sent            ? "sent"
                      : upload.status == keys::UploadStatus::NothingToSend ? "nothing to send"
                                                                           : "refused")
                  << '\n';
    };
    report("cursor scripts", stores.cursorScripts);
    if (stores.cursorScripts.link != LinkResult::Success) {
        return CommandFailed(stores.cursorScripts.link, "WriteCursorData");
    }
    const keys::TableUpload* refusal = stores.Refusal();
    if (refusal != &stores.cursorScripts) {
        report("macros", stores.macros);
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
    std::array<std::uint8_t, SettingsRecordView::kExchangedSize> record{};
    const auto lock = link.LockIo();
    if (const LinkResult result = link.ReadSettings(record, 0); result != LinkResult::Success) {
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
    LinkResult written = link.BeginTransfer();
    if (written == LinkResult::Success) {
        written = link.ReadStoredBlock(slot, active);
    }
    if (written == LinkResult::Success) {
        written = link.WriteStoredBlock(slot, active);
    }
    if (const LinkResult ended = link.EndTransfer(); written == LinkResult::Success) {
        written = ended;
    }
    if (written != LinkResult::Success) {
        return CommandFailed(written, "key block " + Decimal(active));
    }
    m_env.out << "key block " << active << ": sent (the active onboard profile)\n";
    return ExitCode::Ok;
}

}  // namespace varlok::tools
