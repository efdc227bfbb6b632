// apply FILE: sends a .led, .pro or .config profile file the way selecting it
// in the window does.

#include <algorithm>

#include "device/deviceidentity.h"
#include "profiles/profilefile.h"
#include "profiles/profilestore.h"
#include "settings/keyblockwriter.h"
#include "varlokctl/commandrun.h"
#include "varlokctl/commands.h"
#include "varlokctl/hexformat.h"

namespace varlok::tools {

namespace {

using profiles::ProfileCategory;
using profiles::ProfileCategoryInfo;

// Where apply finds what it sends in each kind of body.
static_assert(profiles::CategoryInfo(ProfileCategory::Key).bodyLength == device::kKeyTableSize);
static_assert(profiles::kDeviceRecordOffset + device::kSettingsRecordSize <=
              profiles::CategoryInfo(ProfileCategory::Device).bodyLength);
static_assert(device::kSettingsRecordSize <=
              profiles::CategoryInfo(ProfileCategory::Lighting).bodyLength);

constexpr std::array kOperands{
    OperandEntry{"FILE",
                 "a profile file (.config, .led or .pro)",
                 {CompletionKind::Files, profiles::kProfileExtensions}},
};

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

ExitCode RunApply(CommandRun& run) {
    const std::string_view file = run.Arguments().operands.front();
    const std::optional<ProfileCategory> category = CategoryOfFile(file);
    if (!category) {
        return run.UsageError("apply takes a .config, .led or .pro file, not '" +
                              std::string(file) + "'");
    }
    // The file is read before the mouse is reached, which only a profile
    // file does.
    const ProfileCategoryInfo& info = profiles::CategoryInfo(*category);
    // Zeroed first: a file shorter than its body leaves the rest of the
    // buffer as it was.
    ProfileToApply profile{std::string(file), *category,
                           std::vector<std::uint8_t>(info.bodyLength, 0)};
    switch (profiles::ReadProfileFile(profile.path, profile.body)) {
        case profiles::ProfileReadResult::Loaded:
            break;
        case profiles::ProfileReadResult::Missing:
            run.Err() << "varlokctl: cannot read " << profile.path << '\n';
            return ExitCode::Failure;
        case profiles::ProfileReadResult::BadMagic:
            run.Err() << "varlokctl: " << profile.path
                      << " is not a profile file (it does not start with the profile magic aa "
                         "55)\n";
            return ExitCode::Failure;
    }
    MouseAccess& mouse = run.Mouse();
    ApplyOutcome outcome;
    const ExitCode applied = mouse.ApplyProfile(profile, outcome);
    if (outcome.record) {
        run.Out() << "wrote the settings record (" << outcome.record->size()
                  << " bytes at offset 0)\n"
                  << LabelledLine("raw", HexBytes(*outcome.record));
    }
    if (outcome.keyBlock) {
        run.Out() << "wrote key block 0 (" << settings::KeyBlockWriter::kKeyBlockSize
                  << " bytes of the file; " << device::kKeyTableSize << " bytes sent)\n";
    }
    if (applied != ExitCode::Ok) {
        return applied;
    }
    run.Out() << "applied the " << info.name << " profile " << profile.path;
    if (mouse.ThroughWindow()) {
        run.Out() << " through " << mouse.Where() << ", which keeps it in its selected "
                  << info.name << " profile";
    }
    run.Out() << '\n';
    return ExitCode::Ok;
}

}  // namespace

const CommandEntry kApplyCommand{
    "apply",
    "send a .config, .led or .pro profile file",
    "FILE",
    "sends a profile file the way selecting it in\n"
    "varlok does, by its extension (any case):\n"
    ".led     lighting: its settings record\n"
    ".pro     keys: key block 0\n"
    ".config  device: settings record, then key\n"
    "         block 0\n"
    "a file that is not a profile file is refused\n"
    "before the mouse is opened; through the window\n"
    "it also becomes the window's selected profile\n"
    "of its kind",
    kOperands,
    {},
    &RunApply,
};

}  // namespace varlok::tools
