#include "service/varlokservice.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <utility>

#include "lighting/rgbtext.h"
#include "platform/entrynames.h"
#include "platform/processexecutable.h"
#include "profiles/profilefile.h"
#include "service/devicereads.h"
#include "service/effectoptions.h"
#include "service/messagetext.h"
#include "service/propertysnapshot.h"
#include "settings/dpitable.h"

namespace varlok::service {

namespace {

using platform::BusCall;
using platform::BusValue;
using profiles::ProfileCategory;

constexpr int kStageCount = settings::SettingsRecord::kDpiStageCount;
constexpr int kOnboardProfiles = static_cast<int>(settings::kOnboardProfileCount);

std::optional<std::int64_t> Integer(const BusCall& call, std::size_t index) {
    return call.Arguments().at(index).AsInteger();
}

std::string Text(const BusCall& call, std::size_t index) {
    return call.Arguments().at(index).AsString().value_or(std::string());
}

// Stage n (1-7) of argument index, or nothing (the call answered).
std::optional<int> Stage(BusCall& call, std::size_t index) {
    const std::int64_t stage = Integer(call, index).value_or(0);
    if (stage < 1 || stage > kStageCount) {
        Fail(call, ServiceError::InvalidArgument,
             "stage " + std::to_string(stage) + " does not exist; the stages are 1 to " +
                 std::to_string(kStageCount));
        return std::nullopt;
    }
    return static_cast<int>(stage);
}

// Onboard profile 0-4 of argument index, or nothing (the call answered).
std::optional<int> OnboardProfile(BusCall& call, std::size_t index) {
    const std::int64_t profile = Integer(call, index).value_or(0);
    if (profile < 0 || profile >= kOnboardProfiles) {
        Fail(call, ServiceError::InvalidArgument,
             "onboard profile " + std::to_string(profile) + " does not exist; they are 0 to " +
                 std::to_string(kOnboardProfiles - 1));
        return std::nullopt;
    }
    return static_cast<int>(profile);
}

std::optional<lighting::Rgb> Colour(BusCall& call, const std::string& text, std::string_view what) {
    const std::optional<lighting::Rgb> colour = lighting::ParseRgbText(text);
    if (!colour) {
        Fail(call, ServiceError::InvalidArgument,
             std::string(what) + " " + Quoted(text) +
                 " is not a colour; give six hex digits rrggbb");
    }
    return colour;
}

std::optional<ProfileCategory> CategoryNamed(std::string_view name) {
    for (const profiles::ProfileCategoryInfo& info : profiles::kProfileCategories) {
        if (info.name == name) {
            return info.category;
        }
    }
    return std::nullopt;
}

// The category of a profile file by its extension, in any case.
std::optional<ProfileCategory> CategoryOfFile(const std::filesystem::path& path) {
    std::string extension = path.extension().string();
    std::ranges::transform(extension, extension.begin(),
                           [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    for (const profiles::ProfileCategoryInfo& info : profiles::kProfileCategories) {
        if (info.extension == extension) {
            return info.category;
        }
    }
    return std::nullopt;
}

// The device type code of a profile file's header, or nothing when the file
// is shorter than that.
std::optional<std::uint16_t> TypeCodeOf(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    std::array<char, profiles::kTypeCodeOffset + 2> header{};
    if (!file.read(header.data(), header.size())) {
        return std::nullopt;
    }
    const auto byte = [&header](std::size_t at) { return static_cast<std::uint8_t>(header[at]); };
    return static_cast<std::uint16_t>(byte(profiles::kTypeCodeOffset) |
                                      byte(profiles::kTypeCodeOffset + 1) << 8);
}

// Why an entry name cannot be used, for the caller.
std::string NameProblem(platform::EntryNameProblem problem) {
    switch (problem) {
        case platform::EntryNameProblem::LeavesFolder:
            return "would leave the profile folder";
        case platform::EntryNameProblem::ControlCharacter:
            return "holds a control character";
        case platform::EntryNameProblem::SurroundingBlanks:
            return "begins or ends with a blank";
        case platform::EntryNameProblem::TooLong:
            return "is too long for a file name";
        case platform::EntryNameProblem::Empty:
        case platform::EntryNameProblem::Ok:
            break;
    }
    return "cannot name a profile";
}

}  // namespace

void Fail(BusCall& call, ServiceError error, std::string message) {
    call.Fail(ErrorName(error), std::move(message));
}

struct VarlokService::Method {
    std::string_view name;
    // The signature of the arguments.
    std::string_view in;
    void (VarlokService::*run)(BusCall& call);
};

const VarlokService::Method VarlokService::kMethods[] = {
    {"SetDpi", "yq", &VarlokService::SetDpi},
    {"SetStageColour", "ys", &VarlokService::SetStageColour},
    {"SetDpiStage", "y", &VarlokService::SetDpiStage},
    {"SetReportRate", "q", &VarlokService::SetReportRate},
    {"SelectOnboardProfile", "y", &VarlokService::SelectOnboardProfile},
    {"ApplyProfileFile", "s", &VarlokService::ApplyProfileFile},
    {"SelectProfile", "ss", &VarlokService::SelectProfile},
    {"SetLightingEffect", "sa{sv}", &VarlokService::SetLightingEffect},
    {"Upload", "", &VarlokService::Upload},
    {"ReadDeviceInfo", "", &VarlokService::ReadDeviceInfo},
    {"ReadSettings", "y", &VarlokService::ReadSettings},
    {"Dump", "", &VarlokService::Dump},
    {"SetForegroundProgram", "s", &VarlokService::SetForegroundProgram},
    {"SetForegroundProcess", "i", &VarlokService::SetForegroundProcess},
};

VarlokService::VarlokService(WindowActions& window, settings::MouseMirror& mirror,
                             profiles::ProfileStore& store, device::DeviceLink& mouseLink)
    : m_window(window), m_mirror(mirror), m_store(store), m_link(mouseLink) {}

std::vector<std::string_view> VarlokService::MethodNames() {
    std::vector<std::string_view> names;
    for (const Method& method : kMethods) {
        names.push_back(method.name);
    }
    return names;
}

platform::BusProperties VarlokService::TakeSnapshot() {
    m_snapshot = service::TakeSnapshot(SnapshotSources{m_mirror, m_store, m_link, m_window});
    return m_snapshot;
}

void VarlokService::Attach(platform::BusObject* object) {
    m_object = object;
}

void VarlokService::Refresh() {
    const platform::BusProperties before = m_snapshot;
    const platform::BusProperties changed = ChangedProperties(before, TakeSnapshot());
    if (m_object != nullptr && !changed.empty()) {
        m_object->PublishProperties(changed);
    }
}

void VarlokService::Handle(BusCall call) {
    const auto method = std::ranges::find(kMethods, call.Method(), &Method::name);
    std::string signature;
    for (const BusValue& argument : call.Arguments()) {
        signature += argument.Signature();
    }
    if (method == std::end(kMethods)) {
        Fail(call, ServiceError::InvalidArgument, "there is no method " + Quoted(call.Method()));
    } else if (signature != method->in) {
        Fail(call, ServiceError::InvalidArgument,
             call.Method() + " takes (" + std::string(method->in) + "), not (" + signature + ")");
    } else {
        (this->*method->run)(call);
    }
    Refresh();
}

bool VarlokService::RequireMouse(BusCall& call) const {
    if (m_link.IsConnected()) {
        return true;
    }
    Fail(call, ServiceError::NotConnected, "the mouse is not connected");
    return false;
}

int VarlokService::HighestDpiPosition() const {
    // Until the mouse has been read its information block is all zero; the
    // table's positions then stand.
    const int highest = m_mirror.deviceInfo.HighestDpiPosition();
    return highest == 0 ? settings::kHighestDpiPosition
                        : std::min(highest, settings::kHighestDpiPosition);
}

void VarlokService::SetDpi(BusCall& call) {
    const std::optional<int> stage = Stage(call, 0);
    if (!stage || !RequireMouse(call)) {
        return;
    }
    const std::int64_t dpi = Integer(call, 1).value_or(0);
    const std::optional<int> position = settings::DpiPositionOfValue(static_cast<int>(dpi));
    const int highest = HighestDpiPosition();
    if (!position || *position > highest) {
        Fail(call, ServiceError::InvalidArgument,
             std::to_string(dpi) + " DPI is not a setting of this mouse; it takes " +
                 std::to_string(settings::DpiOfPosition(0)) + " to " +
                 std::to_string(settings::DpiOfPosition(highest)) + " in steps of " +
                 std::to_string(settings::kDpiPerPosition));
        return;
    }
    m_window.SetStageDpi(*stage, *position);
    call.Return();
}

void VarlokService::SetStageColour(BusCall& call) {
    const std::optional<int> stage = Stage(call, 0);
    if (!stage) {
        return;
    }
    const std::optional<lighting::Rgb> colour = Colour(call, Text(call, 1), "the colour");
    if (!colour || !RequireMouse(call)) {
        return;
    }
    m_window.SetStageColour(*stage, *colour);
    call.Return();
}

void VarlokService::SetDpiStage(BusCall& call) {
    const std::optional<int> stage = Stage(call, 0);
    if (!stage || !RequireMouse(call)) {
        return;
    }
    m_window.SetCurrentDpiStage(*stage);
    call.Return();
}

void VarlokService::SetReportRate(BusCall& call) {
    const std::int64_t hertz = Integer(call, 0).value_or(0);
    const std::optional<std::uint8_t> index = settings::ReportRateIndex(static_cast<int>(hertz));
    if (!index) {
        std::string text;
        for (const int rate : settings::kReportRates) {
            text += (text.empty() ? "" : ", ") + std::to_string(rate);
        }
        Fail(call, ServiceError::InvalidArgument,
             std::to_string(hertz) + " Hz is not a report rate of the mouse; it takes " + text);
        return;
    }
    if (!RequireMouse(call)) {
        return;
    }
    m_window.SetReportRate(*index);
    call.Return();
}

void VarlokService::SelectOnboardProfile(BusCall& call) {
    const std::optional<int> index = OnboardProfile(call, 0);
    if (!index || !RequireMouse(call)) {
        return;
    }
    m_window.SelectOnboardProfile(*index);
    call.Return();
}

void VarlokService::ApplyProfileFile(BusCall& call) {
    const std::string text = Text(call, 0);
    if (text.empty()) {
        Fail(call, ServiceError::InvalidArgument, "no profile file given");
        return;
    }
    std::filesystem::path path(text);
    if (path.is_relative()) {
        // Relative to the data folder, and within it.
        const std::filesystem::path normal = path.lexically_normal();
        if (normal.empty() || *normal.begin() == "..") {
            Fail(call, ServiceError::UnsafeName,
                 Quoted(text) + " would leave the profile folder " +
                     m_store.GetFolders().data.string());
            return;
        }
        path = m_store.GetFolders().data / normal;
    }
    const std::optional<ProfileCategory> category = CategoryOfFile(path);
    if (!category) {
        Fail(call, ServiceError::BadFile,
             path.string() + " is not a profile file: its name must end in .config, .led or .pro");
        return;
    }
    if (!RequireMouse(call)) {
        return;
    }
    // Zeroed first: a file shorter than its body leaves the rest as it was.
    std::vector<std::uint8_t> body(profiles::CategoryInfo(*category).bodyLength, 0);
    const profiles::ProfileReadResult read = profiles::ReadProfileFile(path, body);
    if (read == profiles::ProfileReadResult::Missing) {
        Fail(call, ServiceError::BadFile, "cannot read " + path.string());
        return;
    }
    if (read == profiles::ProfileReadResult::BadMagic) {
        Fail(call, ServiceError::BadFile,
             path.string() + " is not a profile file (it does not start with aa 55)");
        return;
    }
    const std::optional<std::uint16_t> typeCode = TypeCodeOf(path);
    if (typeCode != profiles::ProfileStore::kTypeCode) {
        Fail(call, ServiceError::BadFile,
             path.string() + " is a profile of another device (type code " +
                 std::to_string(typeCode.value_or(0)) + "), not of this mouse");
        return;
    }
    m_window.ApplyProfile(*category, body);
    call.Return();
}

void VarlokService::SelectProfile(BusCall& call) {
    const std::string categoryName = Text(call, 0);
    const std::string name = Text(call, 1);
    const std::optional<ProfileCategory> category = CategoryNamed(categoryName);
    if (!category) {
        Fail(call, ServiceError::InvalidArgument,
             "unknown profile category " + Quoted(categoryName) +
                 "; the categories are device, lighting and key");
        return;
    }
    const platform::EntryNameProblem problem = platform::CheckEntryName(name);
    if (problem == platform::EntryNameProblem::Empty) {
        Fail(call, ServiceError::InvalidArgument, "no profile name given");
        return;
    }
    if (problem != platform::EntryNameProblem::Ok) {
        Fail(call, ServiceError::UnsafeName,
             "the profile name " + Quoted(name) + " " + NameProblem(problem));
        return;
    }
    const std::vector<std::string> names = m_store.Names(*category);
    auto found = std::ranges::find(names, name);
    if (found == names.end()) {
        found = std::ranges::find_if(names, [&name](const std::string& entry) {
            return platform::SameNameIgnoringCase(entry, name);
        });
    }
    if (found == names.end()) {
        const std::vector<std::string_view> listed(names.begin(), names.end());
        Fail(call, ServiceError::NotFound,
             "there is no " + categoryName + " profile named " + Quoted(name) +
                 "; the list holds " + JoinNames(listed));
        return;
    }
    m_window.ChooseProfile(*category, static_cast<int>(found - names.begin()));
    call.Return();
}

void VarlokService::SetLightingEffect(BusCall& call) {
    const std::string mode = Text(call, 0);
    const auto named = std::ranges::find(lighting::kModeNames, mode);
    if (named == lighting::kModeNames.end()) {
        Fail(call, ServiceError::InvalidArgument,
             "unknown effect " + Quoted(mode) + "; the effects are " +
                 JoinNames(lighting::kModeNames));
        return;
    }
    lighting::EffectChange change;
    change.mode = static_cast<std::uint8_t>(named - lighting::kModeNames.begin());
    if (const std::optional<std::string> refusal =
            TakeEffectOptions(call.Arguments().at(1), change)) {
        Fail(call, ServiceError::InvalidArgument, *refusal);
        return;
    }
    if (!RequireMouse(call)) {
        return;
    }
    m_window.ChangeLighting(change);
    call.Return();
}

void VarlokService::Upload(BusCall& call) {
    if (!RequireMouse(call)) {
        return;
    }
    if (const std::optional<std::string> refusal = m_window.Upload()) {
        Fail(call, ServiceError::Refused, "the upload was refused: " + *refusal);
        return;
    }
    call.Return();
}

void VarlokService::ReadDeviceInfo(BusCall& call) {
    if (!RequireMouse(call)) {
        return;
    }
    std::vector<std::uint8_t> info;
    if (const std::optional<ReadFailure> failure = ReadInfoBlock(m_link, info)) {
        Fail(call, ServiceError::DeviceFailed, DescribeFailure(*failure));
        return;
    }
    call.Return({BusValue::Bytes(info)});
}

void VarlokService::ReadSettings(BusCall& call) {
    const std::optional<int> profile = OnboardProfile(call, 0);
    if (!profile || !RequireMouse(call)) {
        return;
    }
    std::vector<std::uint8_t> record;
    if (const std::optional<ReadFailure> failure =
            ReadProfileRecord(m_link, static_cast<unsigned>(*profile), record)) {
        Fail(call, ServiceError::DeviceFailed, DescribeFailure(*failure));
        return;
    }
    call.Return({BusValue::Bytes(record)});
}

void VarlokService::Dump(BusCall& call) {
    if (!RequireMouse(call)) {
        return;
    }
    DeviceDump dump;
    if (const std::optional<ReadFailure> failure = ReadDump(m_link, dump)) {
        Fail(call, ServiceError::DeviceFailed, DescribeFailure(*failure));
        return;
    }
    call.Return({BusValue::Bytes(dump.info), BusValue::Bytes(dump.factoryKeyMap),
                 BusValue::ByteArrays(dump.keyBlocks), BusValue::ByteArrays(dump.settingsRecords)});
}

void VarlokService::SetForegroundProgram(BusCall& call) {
    std::string path = Text(call, 0);
    if (!path.empty() && !std::filesystem::path(path).is_absolute()) {
        Fail(call, ServiceError::InvalidArgument,
             "the program " + Quoted(path) + " must be given by its absolute path");
        return;
    }
    m_window.SetForegroundProgram(std::move(path));
    call.Return();
}

void VarlokService::SetForegroundProcess(BusCall& call) {
    const std::int64_t pid = Integer(call, 0).value_or(0);
    if (pid <= 0) {
        Fail(call, ServiceError::InvalidArgument,
             "a process id is 1 or more, not " + std::to_string(pid));
        return;
    }
    std::optional<std::string> path = platform::ProcessExecutable(static_cast<std::uint32_t>(pid));
    if (!path) {
        Fail(call, ServiceError::NotFound,
             "there is no process " + std::to_string(pid) + ", or its program cannot be read");
        return;
    }
    m_window.SetForegroundProgram(std::move(*path));
    call.Return();
}

}  // namespace varlok::service
