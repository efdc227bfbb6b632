// set [--profile N] [--dpi STAGE=DPI]... [--stage-colour STAGE=RRGGBB]...
// [--stage STAGE] [--report-rate HZ]: changes named fields of a settings
// record.

#include "settings/dpitable.h"
#include "varlokctl/commandrun.h"
#include "varlokctl/commands.h"
#include "varlokctl/hexformat.h"
#include "varlokctl/recordtext.h"
#include "varlokctl/settingschange.h"
#include "varlokctl/settingsrecordview.h"

namespace varlok::tools {

namespace {

constexpr std::array kOptions{
    OptionEntry{"--profile",
                "N",
                "a number from 0 to 4",
                "",
                {CompletionKind::Numbers, {}, kOnboardProfiles}},
    OptionEntry{"--dpi", "STAGE=DPI", "STAGE=DPI", "DPI of stage 1-7: 250 to 4000 in steps of 250"},
    OptionEntry{"--stage-colour", "STAGE=RRGGBB", "STAGE=RRGGBB",
                "colour of stage 1-7 as six hex digits (a\nleading '#' is fine)"},
    OptionEntry{"--stage",
                "STAGE",
                "a stage from 1 to 7",
                "the current DPI stage, 1-7",
                {CompletionKind::Numbers, {}, kNumberRange<1, SettingsChange::kStageCount>}},
    OptionEntry{"--report-rate",
                "HZ",
                "HZ",
                "125, 250, 500 or 1000",
                {CompletionKind::Numbers, {}, settings::kReportRates}},
};

// The fields named, one line each, for a change the window makes.
std::string NamedFields(const SettingsChange& change) {
    std::string text;
    for (unsigned stage = 1; stage <= SettingsChange::kStageCount; ++stage) {
        if (const std::optional<int> dpi = change.Dpi(stage)) {
            text +=
                LabelledLine("DPI stage " + std::to_string(stage), std::to_string(*dpi) + " DPI");
        }
        if (const auto colour = change.StageColour(stage)) {
            text += LabelledLine("colour of stage " + std::to_string(stage), HexColour(*colour));
        }
    }
    if (const std::optional<int> rate = change.ReportRate()) {
        text += LabelledLine("report rate", std::to_string(*rate) + " Hz");
    }
    if (const std::optional<unsigned> stage = change.CurrentStage()) {
        text += LabelledLine("current stage", std::to_string(*stage));
    }
    return text;
}

ExitCode RunSet(CommandRun& run) {
    const ParsedArguments& arguments = run.Arguments();
    std::optional<unsigned> profile;
    if (const auto text = arguments.Last("--profile")) {
        profile = ParseOnboardProfile(*text);
        if (!profile) {
            return run.BadValue("--profile", *text);
        }
    }
    SettingsChange change;
    using Take = std::optional<std::string> (SettingsChange::*)(std::string_view);
    for (const auto& [option, take] :
         {std::pair<std::string_view, Take>{"--dpi", &SettingsChange::AddDpi},
          {"--stage-colour", &SettingsChange::AddStageColour},
          {"--report-rate", &SettingsChange::SetReportRate},
          {"--stage", &SettingsChange::SetCurrentStage}}) {
        for (const std::string_view value : arguments.Values(option)) {
            if (const std::optional<std::string> refusal = (change.*take)(value)) {
                return run.UsageError(*refusal);
            }
        }
    }
    if (change.Empty()) {
        return run.UsageError(
            "set needs something to change: --dpi, --stage-colour, --report-rate or --stage");
    }
    MouseAccess& mouse = run.Mouse();
    std::optional<RecordBytes> written;
    if (const ExitCode changed = mouse.ChangeRecord(profile, change, written);
        changed != ExitCode::Ok) {
        return changed;
    }
    if (written) {
        run.Out() << (mouse.ThroughWindow() ? mouse.Where() + " wrote the " : "wrote the ")
                  << RecordTitle(profile, *written) << '\n'
                  << SettingsRecordView(*written).Describe()
                  << LabelledLine("raw", HexBytes(*written));
    } else {
        run.Out() << "set in " << mouse.Where()
                  << ", which sends it to the mouse with its next settings flush\n"
                  << NamedFields(change);
    }
    return ExitCode::Ok;
}

}  // namespace

const CommandEntry kSetCommand{
    "set",
    "change DPI stages, their colours, the stage or the report rate",
    "[--profile N] [--dpi STAGE=DPI]... [--stage-colour STAGE=RRGGBB]...\n"
    "[--stage STAGE] [--report-rate HZ]",
    "reads the settings record in force (or that\n"
    "of onboard profile N, as read-settings does),\n"
    "changes what is named and writes the whole\n"
    "record back in one write; prints the record\n"
    "written. Through the window it changes the\n"
    "record in force as its controls do (--profile\n"
    "must name the active profile) and prints the\n"
    "record once the window has sent it. --dpi and\n"
    "--stage-colour may repeat; for a stage named\n"
    "twice the last value wins",
    {},
    kOptions,
    &RunSet,
};

}  // namespace varlok::tools
