// read-settings [--profile N]: the record in force, or onboard profile N's.

#include "varlokctl/commandrun.h"
#include "varlokctl/commands.h"
#include "varlokctl/hexformat.h"
#include "varlokctl/recordtext.h"
#include "varlokctl/settingsrecordview.h"

namespace varlok::tools {

namespace {

constexpr std::array kOptions{
    OptionEntry{"--profile",
                "N",
                "a number from 0 to 4",
                "",
                {CompletionKind::Numbers, {}, kOnboardProfiles}},
};

ExitCode RunReadSettings(CommandRun& run) {
    std::optional<unsigned> profile;
    if (const auto text = run.Arguments().Last("--profile")) {
        profile = ParseOnboardProfile(*text);
        if (!profile) {
            return run.BadValue("--profile", *text);
        }
    }
    MouseAccess& mouse = run.Mouse();
    RecordBytes record{};
    if (const ExitCode read = mouse.ReadRecord(profile, record); read != ExitCode::Ok) {
        return read;
    }
    if (!ReachedProfile(run.Err(), profile, record)) {
        return ExitCode::Failure;
    }
    run.Out() << RecordTitle(profile, record) << '\n'
              << SettingsRecordView(record).Describe() << LabelledLine("raw", HexBytes(record));
    return ExitCode::Ok;
}

}  // namespace

const CommandEntry kReadSettingsCommand{
    "read-settings",
    "the settings record in force, or onboard profile N's",
    "[--profile N]",
    "the settings record in force (the active\n"
    "onboard profile's, at offset 0), or that of\n"
    "onboard profile N (0-4), decoded and raw;\n"
    "profile 0's record is at offset 0, so it can\n"
    "be read only while profile 0 is active",
    {},
    kOptions,
    &RunReadSettings,
};

}  // namespace varlok::tools
