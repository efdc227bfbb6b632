// effect MODE [...]: a lighting effect, streamed from here frame by frame or
// set in the window, which streams it.

#include "lighting/lightingsettings.h"
#include "varlokctl/commandrun.h"
#include "varlokctl/commands.h"
#include "varlokctl/effectrequest.h"

namespace varlok::tools {

namespace {

constexpr std::array kOperands{
    OperandEntry{"MODE",
                 "a mode (0-6 or wave, trail, spectrum, gradient, breathing, static, "
                 "reactive)",
                 {CompletionKind::Words, lighting::kModeNames}},
};

constexpr std::array kOptions{
    OptionEntry{"--speed",
                "S",
                "a number from 0 to 4",
                "speed level 0 (fastest) to 4, default 2",
                {CompletionKind::Numbers, {}, kNumberRange<0, lighting::kSpeedLevels - 1>}},
    OptionEntry{"--brightness",
                "L",
                "a number from 0 to 4",
                "brightness level 0-4, default 4",
                {CompletionKind::Numbers, {}, kNumberRange<0, lighting::kBrightnessLevels - 1>}},
    OptionEntry{"--direction",
                "left|right",
                "left or right",
                "default right",
                {CompletionKind::Words, EffectRequest::kDirectionNames}},
    OptionEntry{"--seven", "", "", "seven colours instead of the single colour"},
    OptionEntry{"--colour", "RRGGBB", "RRGGBB",
                "the single colour (also the bottom zone),\ndefault ff0000"},
    OptionEntry{"--wheel", "RRGGBB", "RRGGBB",
                "the wheel zone's colour in static, default\n000000"},
    OptionEntry{"--logo", "RRGGBB", "RRGGBB", "the logo zone's colour in static, default\n000000"},
    OptionEntry{"--frames", "N", "a count",
                "stop after N frames (default: run until\ninterrupted with Ctrl-C)"},
    OptionEntry{"--fast", "", "", "no pauses between frames"},
};

// The options of "effect" by the request's setter that takes them; each
// value in turn, so that the last one given wins.
struct EffectOption {
    std::string_view name;
    std::optional<std::string> (EffectRequest::*set)(std::string_view);
};

constexpr std::array kSetters{
    EffectOption{"--speed", &EffectRequest::SetSpeed},
    EffectOption{"--brightness", &EffectRequest::SetBrightness},
    EffectOption{"--direction", &EffectRequest::SetDirection},
    EffectOption{"--colour", &EffectRequest::SetColour},
    EffectOption{"--wheel", &EffectRequest::SetWheelColour},
    EffectOption{"--logo", &EffectRequest::SetLogoColour},
    EffectOption{"--frames", &EffectRequest::SetFrames},
};

ExitCode RunEffect(CommandRun& run) {
    const ParsedArguments& arguments = run.Arguments();
    EffectRequest request;
    if (const std::optional<std::string> refusal = request.SetMode(arguments.operands.front())) {
        return run.UsageError(*refusal);
    }
    for (const EffectOption& option : kSetters) {
        for (const std::string_view value : arguments.Values(option.name)) {
            if (const std::optional<std::string> refusal = (request.*option.set)(value)) {
                return run.UsageError(*refusal);
            }
        }
    }
    request.SetSevenColour(arguments.Has("--seven"));
    request.SetFast(arguments.Has("--fast"));

    MouseAccess& mouse = run.Mouse();
    EffectOutcome outcome;
    const ExitCode shown = mouse.ShowEffect(request, outcome);
    const std::string name = "effect " + std::string(request.ModeName()) + " (mode " +
                             std::to_string(request.Mode()) + ")";
    if (outcome.framesSent) {
        const bool interrupted = shown == ExitCode::Ok &&
                                 run.Environment().interrupted != nullptr &&
                                 run.Environment().interrupted->load();
        run.Out() << name << ": " << *outcome.framesSent << " frames sent"
                  << (interrupted ? ", then interrupted" : "") << '\n';
    } else if (shown == ExitCode::Ok) {
        run.Out() << name << " set in " << mouse.Where() << ", which streams it\n";
    }
    return shown;
}

}  // namespace

const CommandEntry kEffectCommand{
    "effect",
    "stream or set a lighting effect",
    "MODE [--speed S] [--brightness L] [--direction left|right] [--seven]\n"
    "[--colour RRGGBB] [--wheel RRGGBB] [--logo RRGGBB] [--frames N] [--fast]",
    "streams lighting effect MODE to the mouse frame\n"
    "by frame as varlok does, from the effect's\n"
    "starting state; each frame is one effect step\n"
    "and two lighting-frame reports. Through the\n"
    "window it sets the effect there (the options\n"
    "left out keep the window's values), and the\n"
    "window streams it; --frames and --fast are\n"
    "then refused\n"
    "MODE: 0-6 or wave, trail, spectrum, gradient,\n"
    "breathing, static, reactive",
    kOperands,
    kOptions,
    &RunEffect,
};

}  // namespace varlok::tools
