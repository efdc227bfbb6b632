#include "makedocs/manuals.h"

#include <string_view>

#include "app/startoptiontable.h"
#include "makedocs/environmenttable.h"
#include "varlok/version.h"
#include "varlokctl/commandtable.h"
#include "varlokctl/exitcode.h"

namespace varlok::tools::docs {

namespace {

// The build system passes where the install puts things and the release's
// date.
constexpr std::string_view kReleaseDate = VARLOK_RELEASE_DATE;

std::string Replaced(std::string text, std::string_view placeholder, const std::string& value) {
    for (std::size_t at = text.find(placeholder); at != std::string::npos;
         at = text.find(placeholder, at + value.size())) {
        text.replace(at, placeholder.size(), value);
    }
    return text;
}

std::string WithPaths(std::string_view text, const InstalledPaths& paths) {
    std::string filled(text);
    filled = Replaced(std::move(filled), "{data}", paths.dataFolder);
    filled = Replaced(std::move(filled), "{udev}", paths.udevRule);
    return Replaced(std::move(filled), "{interface}", paths.busInterface);
}

bool ReadBy(Readers readers, Readers program) {
    return readers == Readers::Both || readers == program;
}

ManualSection Environment(Readers program) {
    ManualSection section{"Environment", {}};
    for (const EnvironmentEntry& entry : kEnvironmentTable) {
        if (ReadBy(entry.readers, program)) {
            section.blocks.push_back(Item(std::string(entry.name), {}, std::string(entry.text)));
        }
    }
    return section;
}

ManualSection Files(Readers program, const InstalledPaths& paths) {
    ManualSection section{"Files", {}};
    for (const FileEntry& entry : kFileTable) {
        if (ReadBy(entry.readers, program)) {
            section.blocks.push_back(
                Item(WithPaths(entry.path, paths), {}, WithPaths(entry.text, paths)));
        }
    }
    return section;
}

// The help's synopsis lines as one.
std::string OneLine(std::string_view text) {
    std::string line(text);
    for (char& c : line) {
        if (c == '\n') {
            c = ' ';
        }
    }
    return line;
}

ManualBlock OptionItem(const OptionEntry& option) {
    std::string text(option.help);
    if (text.empty()) {
        text = std::string(option.value) + ": " + std::string(option.wants) + ".";
    }
    return Item(std::string(option.name), std::string(option.value), std::move(text));
}

ManualPage Page(std::string name, std::string summary) {
    ManualPage page;
    page.name = std::move(name);
    page.version = std::string(kVersion);
    page.date = std::string(kReleaseDate);
    page.summary = std::move(summary);
    return page;
}

}  // namespace

InstalledPaths BuildInstalledPaths() {
    return {VARLOK_DOC_DATA_DIR, VARLOK_DOC_UDEV_RULE, VARLOK_DOC_BUS_INTERFACE};
}

ManualPage VarlokManual(const InstalledPaths& paths) {
    ManualPage page = Page("varlok", "configuration program for the 0C45:7643 gaming mouse");
    page.synopsis = {OneLine(app::kStartSynopsis)};
    page.sections.push_back(
        {"Description",
         {Paragraph(std::string(app::kStartIntroduction) +
                    " varlok finds the mouse, reads its whole configuration and keeps it in "
                    "step: DPI stages and their colours, the report rate, the pointer speed "
                    "and wheel lines, seven lighting effects rendered on the host and streamed "
                    "to the mouse, a function for every button, macros and cursor scripts, and "
                    "named device, lighting and key profiles, which can follow the program in "
                    "front."),
          Paragraph("It runs once a session: a second start brings the first window forward. "
                    "It waits in the system tray where the desktop has one, and serves the "
                    "mouse on the session bus as io.github.varlok.Varlok1, through which "
                    "varlokctl(1), status bars and scripts read and change it as the window's "
                    "own controls do. The main menu's \"Start with the desktop\" has the "
                    "desktop session start it in the tray."),
          Paragraph("When the mouse is there but may not be opened, the window names the udev "
                    "rule " +
                    paths.udevRule + " and the commands that put it in force."),
          Paragraph(std::string(app::kStartNote))}});
    ManualSection options{"Options", {}};
    for (const app::StartOptionEntry& option : app::kStartOptionTable) {
        options.blocks.push_back(
            Item(std::string(option.name), std::string(option.value), std::string(option.help)));
    }
    page.sections.push_back(std::move(options));
    page.sections.push_back(
        {"Exit status",
         {Item("0", {}, "It ran, or it woke the window that was running already."),
          Item("1", {},
               "The skin could not be read, or the picture asked for with --screenshot was "
               "not written (also when another varlok runs)."),
          Item("2", {}, "Bad usage.")}});
    page.sections.push_back(Environment(Readers::Window));
    page.sections.push_back(Files(Readers::Window, paths));
    page.sections.push_back({"See also", {Paragraph("varlokctl(1), udev(7)")}});
    return page;
}

ManualPage VarlokctlManual(const InstalledPaths& paths) {
    ManualPage page =
        Page("varlokctl", "read and change the configuration of the 0C45:7643 gaming mouse");
    page.synopsis = {std::string(kGlobalSynopsis) + " COMMAND [OPTIONS]", "--help | --version"};
    page.sections.push_back(
        {"Description",
         {Paragraph(std::string(Introduction())), Paragraph(std::string(OwnerNote()))}});
    ManualSection commands{"Commands", {}};
    for (const CommandEntry* command : Commands()) {
        std::vector<ManualBlock> options;
        for (const OptionEntry& option : command->options) {
            options.push_back(OptionItem(option));
        }
        commands.blocks.push_back(Item(std::string(command->name), OneLine(command->synopsis),
                                       std::string(command->help), std::move(options)));
    }
    page.sections.push_back(std::move(commands));
    ManualSection options{"Options", {Paragraph("Every command takes these.")}};
    for (const OptionEntry& option : GlobalOptions()) {
        options.blocks.push_back(OptionItem(option));
    }
    page.sections.push_back(std::move(options));
    ManualSection exitStatus{"Exit status", {}};
    for (const ExitCodeText& entry : kExitCodeTexts) {
        exitStatus.blocks.push_back(
            Item(std::to_string(static_cast<int>(entry.code)), {}, std::string(entry.text)));
    }
    page.sections.push_back(std::move(exitStatus));
    page.sections.push_back(Environment(Readers::Tool));
    page.sections.push_back(Files(Readers::Tool, paths));
    page.sections.push_back({"Examples",
                             {Paragraph("The virtual mouse's information block, with every "
                                        "report on the wire:"),
                              Preformatted("varlokctl --simulate --trace info"),
                              Paragraph("DPI stage 2 at 1600 DPI and in force:"),
                              Preformatted("varlokctl set --dpi 2=1600 --stage 2"),
                              Paragraph("A slow orange breathing effect:"),
                              Preformatted("varlokctl effect breathing --colour ff8000 --speed 3"),
                              Paragraph("A waybar module:"),
                              Preformatted("\"custom/varlok\": {\n"
                                           "    \"exec\": \"varlokctl watch --json\",\n"
                                           "    \"return-type\": \"json\",\n"
                                           "    \"restart-interval\": 5\n"
                                           "}")}});
    page.sections.push_back({"See also", {Paragraph("varlok(1), udev(7)")}});
    return page;
}

}  // namespace varlok::tools::docs
