#include "varlokctl/windowaccess.h"

#include <algorithm>
#include <thread>
#include <utility>

#include "lighting/lightingsettings.h"
#include "lighting/rgbtext.h"
#include "service/busnames.h"
#include "varlokctl/directaccess.h"
#include "varlokctl/effectrequest.h"
#include "varlokctl/hexformat.h"
#include "varlokctl/serviceerror.h"
#include "varlokctl/settingschange.h"

namespace varlok::tools {

using platform::BusValue;

namespace {

// The bytes of a reply value, when it holds exactly size of them (any size
// when size is 0).
std::optional<std::vector<std::uint8_t>> BytesOf(const BusValue& value, std::size_t size = 0) {
    std::optional<std::vector<std::uint8_t>> bytes = value.AsBytes();
    if (bytes && size != 0 && bytes->size() != size) {
        return std::nullopt;
    }
    return bytes;
}

BusValue Option(std::string name, BusValue value) {
    return BusValue::DictEntry(BusValue::String(std::move(name)),
                               BusValue::Variant(std::move(value)));
}

// The options of SetLightingEffect for what the command line named.
BusValue EffectOptions(const lighting::EffectChange& given) {
    std::vector<BusValue> options;
    if (given.speed) {
        options.push_back(Option("speed", BusValue::Byte(*given.speed)));
    }
    if (given.brightness) {
        options.push_back(Option("brightness", BusValue::Byte(*given.brightness)));
    }
    if (given.left) {
        options.push_back(Option("direction", BusValue::String(*given.left ? "left" : "right")));
    }
    const std::pair<const char*, const std::optional<lighting::Rgb>*> colours[] = {
        {"colour", &given.colour}, {"wheel", &given.wheel}, {"logo", &given.logo}};
    for (const auto& [name, colour] : colours) {
        if (*colour) {
            options.push_back(Option(name, BusValue::String(lighting::RgbText(**colour))));
        }
    }
    if (given.sevenColour) {
        options.push_back(Option("seven", BusValue::Boolean(*given.sevenColour)));
    }
    return BusValue::Array("{sv}", std::move(options));
}

}  // namespace

platform::BusObjectAddress ServiceAddress() {
    return {std::string(service::kBusName), std::string(service::kObjectPath),
            std::string(service::kInterfaceName)};
}

std::optional<std::uint32_t> WindowOfKind(platform::GdbusClient& client, bool simulated) {
    const std::optional<std::uint32_t> pid =
        client.OwnerProcess(std::string(service::kBusName), kLookupTimeout);
    if (!pid) {
        return std::nullopt;
    }
    const platform::BusReply kind =
        client.ReadProperty(ServiceAddress(), "Simulated", kLookupTimeout);
    if (kind.IsError() || kind.values.size() != 1 ||
        kind.values[0].AsBoolean() != std::optional<bool>(simulated)) {
        return std::nullopt;
    }
    return pid;
}

std::string DescribeWindow(std::uint32_t pid) {
    return "the varlok window (pid " + std::to_string(pid) + ")";
}

std::unique_ptr<MouseAccess> ChooseMouseAccess(ToolEnvironment& environment, bool simulate,
                                               bool fresh, bool direct, bool trace) {
    std::optional<std::uint32_t> simulatedWindow;
    if (!direct && !fresh && environment.busAddress) {
        auto client = std::make_unique<platform::GdbusClient>(*environment.busAddress);
        if (client->IsConnected()) {
            if (const std::optional<std::uint32_t> pid = WindowOfKind(*client, simulate)) {
                return std::make_unique<WindowAccess>(environment, std::move(client), *pid, trace);
            }
            // Someone who started varlok --simulate and forgot --simulate
            // here is told where the mouse they see is.
            if (!simulate) {
                simulatedWindow = WindowOfKind(*client, true);
            }
        }
    }
    return std::make_unique<DirectAccess>(environment, simulate, fresh, trace, simulatedWindow);
}

WindowAccess::WindowAccess(ToolEnvironment& environment,
                           std::unique_ptr<platform::GdbusClient> client, std::uint32_t pid,
                           bool trace)
    : m_env(environment), m_client(std::move(client)), m_pid(pid) {
    if (trace) {
        m_env.err << "varlokctl: the mouse is reached through " << Where()
                  << ", so this run sends no reports to trace; VARLOK_TRACE=1 traces the "
                     "window's\n";
    }
}

std::optional<std::vector<BusValue>> WindowAccess::Call(const std::string& method,
                                                        std::vector<BusValue> arguments,
                                                        ExitCode& failed) {
    platform::BusReply reply =
        m_client->Call(ServiceAddress(), method, std::move(arguments), kCallTimeout);
    if (reply.IsError()) {
        const CallFailure failure = DescribeCallFailure(reply, method, Where());
        m_env.err << "varlokctl: " << failure.message << '\n';
        failed = failure.code;
        return std::nullopt;
    }
    return std::move(reply.values);
}

ExitCode WindowAccess::NeedsTheMouse(std::string_view what) {
    m_env.err << "varlokctl: " << Where() << " has the mouse; " << what << '\n';
    return ExitCode::InUse;
}

namespace {

ExitCode Unexpected(std::ostream& err, const std::string& where, std::string_view method) {
    err << "varlokctl: " << where << " answered " << method << " with something unexpected\n";
    return ExitCode::Failure;
}

}  // namespace

ExitCode WindowAccess::ReadInfo(device::DeviceInfo& info) {
    ExitCode failed = ExitCode::Ok;
    const auto values = Call("ReadDeviceInfo", {}, failed);
    if (!values) {
        return failed;
    }
    const auto bytes =
        values->size() == 1 ? BytesOf(values->front(), device::DeviceInfo::kSize) : std::nullopt;
    if (!bytes) {
        return Unexpected(m_env.err, Where(), "ReadDeviceInfo");
    }
    std::ranges::copy(*bytes, info.Raw().begin());
    return ExitCode::Ok;
}

ExitCode WindowAccess::ReadRecord(std::optional<unsigned> profile, RecordBytes& record) {
    ExitCode failed = ExitCode::Ok;
    const auto values = Call(
        "ReadSettings", {BusValue::Byte(static_cast<std::uint8_t>(profile.value_or(0)))}, failed);
    if (!values) {
        return failed;
    }
    const auto bytes = values->size() == 1 ? BytesOf(values->front(), record.size()) : std::nullopt;
    if (!bytes) {
        return Unexpected(m_env.err, Where(), "ReadSettings");
    }
    std::ranges::copy(*bytes, record.begin());
    return ExitCode::Ok;
}

ExitCode WindowAccess::ChangeRecord(std::optional<unsigned> profile, const SettingsChange& change,
                                    std::optional<RecordBytes>& written) {
    if (profile) {
        // The window edits the record in force; which profile that is, the
        // mouse says.
        RecordBytes inForce{};
        if (const ExitCode read = ReadRecord(std::nullopt, inForce); read != ExitCode::Ok) {
            return read;
        }
        const unsigned active = inForce[settings::SettingsRecord::kActiveProfile];
        if (*profile != active) {
            return NeedsTheMouse(
                "it changes the settings of the onboard profile in force (profile " +
                std::to_string(active) + ") only, not those of profile " +
                std::to_string(*profile) + "; switch to it first (varlokctl switch-profile " +
                std::to_string(*profile) + ") or quit the window");
        }
    }
    std::vector<std::pair<std::string, std::vector<BusValue>>> calls;
    for (unsigned stage = 1; stage <= SettingsChange::kStageCount; ++stage) {
        const BusValue stageValue = BusValue::Byte(static_cast<std::uint8_t>(stage));
        if (const std::optional<int> dpi = change.Dpi(stage)) {
            calls.push_back(
                {"SetDpi", {stageValue, BusValue::UInt16(static_cast<std::uint16_t>(*dpi))}});
        }
        if (const auto colour = change.StageColour(stage)) {
            calls.push_back({"SetStageColour", {stageValue, BusValue::String(HexColour(*colour))}});
        }
    }
    if (const std::optional<int> rate = change.ReportRate()) {
        calls.push_back({"SetReportRate", {BusValue::UInt16(static_cast<std::uint16_t>(*rate))}});
    }
    if (const std::optional<unsigned> stage = change.CurrentStage()) {
        calls.push_back({"SetDpiStage", {BusValue::Byte(static_cast<std::uint8_t>(*stage))}});
    }
    for (std::size_t made = 0; made < calls.size(); ++made) {
        ExitCode failed = ExitCode::Ok;
        if (!Call(calls[made].first, calls[made].second, failed)) {
            if (made > 0) {
                m_env.err << "varlokctl: the changes named before it were made\n";
            }
            return failed;
        }
    }
    // The window sends the change with its next flush. The record is read
    // back until it carries the change, so that what a script reads next
    // is what it set.
    const auto deadline = std::chrono::steady_clock::now() + kFlushWait;
    while (true) {
        RecordBytes record{};
        if (const ExitCode read = ReadRecord(profile, record); read != ExitCode::Ok) {
            return read;
        }
        RecordBytes changed = record;
        change.ApplyTo(changed);
        if (changed == record) {
            written = record;
            return ExitCode::Ok;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            break;
        }
        std::this_thread::sleep_for(kFlushPoll);
    }
    m_env.err << "varlokctl: " << Where()
              << " took the change but has not sent it to the mouse within " << kFlushWait.count()
              << " ms\n";
    return ExitCode::Ok;
}

ExitCode WindowAccess::ApplyProfile(const ProfileToApply& profile, ApplyOutcome& /*outcome*/) {
    // The window runs elsewhere: it gets the file's absolute path.
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(profile.path, error);
    ExitCode failed = ExitCode::Ok;
    if (!Call("ApplyProfileFile", {BusValue::String(error ? profile.path : absolute.string())},
              failed)) {
        return failed;
    }
    return ExitCode::Ok;
}

ExitCode WindowAccess::ReadEverything(const DumpSink& sink) {
    ExitCode failed = ExitCode::Ok;
    const auto values = Call("Dump", {}, failed);
    if (!values) {
        return failed;
    }
    if (values->size() != 4) {
        return Unexpected(m_env.err, Where(), "Dump");
    }
    const auto info = BytesOf((*values)[0], device::DeviceInfo::kSize);
    const auto map = BytesOf((*values)[1]);
    const std::vector<BusValue>& blocks = (*values)[2].Items();
    const std::vector<BusValue>& records = (*values)[3].Items();
    if (!info || !map || blocks.size() != device::kOnboardProfileCount ||
        records.size() != device::kOnboardProfileCount) {
        return Unexpected(m_env.err, Where(), "Dump");
    }
    sink(DumpPart::Info, 0, *info);
    sink(DumpPart::FactoryKeyMap, 0, *map);
    for (const auto& [part, items] :
         {std::pair{DumpPart::KeyBlock, &blocks}, std::pair{DumpPart::SettingsRecord, &records}}) {
        for (unsigned index = 0; index < items->size(); ++index) {
            const auto bytes = BytesOf((*items)[index]);
            if (!bytes) {
                return Unexpected(m_env.err, Where(), "Dump");
            }
            sink(part, index, *bytes);
        }
    }
    return ExitCode::Ok;
}

ExitCode WindowAccess::ShowEffect(const EffectRequest& request, EffectOutcome& /*outcome*/) {
    if (request.Frames() || request.Fast()) {
        return NeedsTheMouse(
            "it streams the lighting itself. --frames and --fast stream frames from here, which "
            "needs the mouse to varlokctl alone (quit the window); without them the effect is "
            "set in the window");
    }
    ExitCode failed = ExitCode::Ok;
    if (!Call("SetLightingEffect",
              {BusValue::String(std::string(request.ModeName())), EffectOptions(request.Given())},
              failed)) {
        return failed;
    }
    return ExitCode::Ok;
}

ExitCode WindowAccess::Upload(UploadOutcome& /*outcome*/) {
    ExitCode failed = ExitCode::Ok;
    return Call("Upload", {}, failed) ? ExitCode::Ok : failed;
}

ExitCode WindowAccess::SwitchOnboardProfile(unsigned index) {
    ExitCode failed = ExitCode::Ok;
    return Call("SelectOnboardProfile", {BusValue::Byte(static_cast<std::uint8_t>(index))}, failed)
               ? ExitCode::Ok
               : failed;
}

ExitCode WindowAccess::SelectProfile(profiles::ProfileCategory category, const std::string& name) {
    ExitCode failed = ExitCode::Ok;
    return Call("SelectProfile",
                {BusValue::String(std::string(profiles::CategoryInfo(category).name)),
                 BusValue::String(name)},
                failed)
               ? ExitCode::Ok
               : failed;
}

}  // namespace varlok::tools
