#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <set>
#include <string>

#include "app/startoptiontable.h"
#include "makedocs/environmenttable.h"
#include "makedocs/manualpage.h"
#include "makedocs/manuals.h"
#include "varlokctl/commandtable.h"
#include "varlokctl/exitcode.h"

namespace varlok::tools::docs {
namespace {

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

TEST(ManualPageTest, TextIsEscapedForRoff) {
    EXPECT_EQ(RoffEscaped("--simulate=fresh"), "\\-\\-simulate=fresh");
    EXPECT_EQ(RoffEscaped("a\\b"), "a\\eb");
    // Lines that would be taken for requests.
    EXPECT_EQ(RoffEscaped(".led  lighting"), "\\&.led  lighting");
    EXPECT_EQ(RoffEscaped("'quoted'"), "\\&'quoted'");
    EXPECT_EQ(RoffEscaped("it's"), "it's");
}

TEST(ManualPageTest, APageIsWrittenInTheManMacros) {
    ManualPage page;
    page.name = "demo";
    page.version = "1.2.3";
    page.date = "2026-01-02";
    page.summary = "shows a page";
    page.synopsis = {"[--all] FILE", "--help"};
    page.sections.push_back(
        {"Description",
         {Paragraph("wrapped\nhelp text"),
          Item("run", "[--fast]",
               "runs it by kind:\n.a   the first\n.b   the second,\n     long\nand so on",
               {Item("--fast", "", "no pauses")}),
          Preformatted("demo --all x\n  .indented")}});
    EXPECT_EQ(RenderManualPage(page),
              ".\\\" Made by the build (tools/makedocs) from the program's own tables.\n"
              ".TH DEMO 1 \"2026-01-02\" \"varlok 1.2.3\" \"User Commands\"\n"
              ".nh\n"
              ".ad l\n"
              ".SH NAME\n"
              "demo \\- shows a page\n"
              ".SH SYNOPSIS\n"
              "\\fBdemo\\fR [\\-\\-all] FILE\n"
              ".br\n"
              "\\fBdemo\\fR \\-\\-help\n"
              ".SH DESCRIPTION\n"
              "wrapped help text\n"
              ".TP\n"
              "\\fBrun\\fR [\\-\\-fast]\n"
              "runs it by kind:\n"
              ".nf\n"
              "\\&.a   the first\n"
              "\\&.b   the second,\n"
              "     long\n"
              ".fi\n"
              "and so on\n"
              ".RS\n"
              ".TP\n"
              "\\fB\\-\\-fast\\fR\n"
              "no pauses\n"
              ".RE\n"
              ".PP\n"
              ".nf\n"
              ".RS 4\n"
              "demo \\-\\-all x\n"
              "  .indented\n"
              ".RE\n"
              ".fi\n");
}

TEST(ManualsTest, TheManualPagesDescribeEveryEntryOfTheTables) {
    const InstalledPaths paths{"/usr/share/varlok", "/lib/udev/rules.d/70-varlok.rules",
                               "/usr/share/dbus-1/interfaces/io.github.varlok.Varlok1.xml"};
    const std::string varlokctl = RenderManualPage(VarlokctlManual(paths));
    const auto bold = [](std::string_view name) {
        return "\\fB" + RoffEscaped(std::string(name)) + "\\fR";
    };
    for (const CommandEntry* command : Commands()) {
        EXPECT_TRUE(Contains(varlokctl, ".TP\n" + bold(command->name))) << command->name;
        for (const OptionEntry& option : command->options) {
            EXPECT_TRUE(Contains(varlokctl, bold(option.name))) << option.name;
        }
    }
    for (const OptionEntry& option : GlobalOptions()) {
        EXPECT_TRUE(Contains(varlokctl, ".TP\n" + bold(option.name))) << option.name;
    }
    for (const ExitCodeText& code : kExitCodeTexts) {
        EXPECT_TRUE(
            Contains(varlokctl, ".TP\n" + bold(std::to_string(static_cast<int>(code.code)))));
    }
    EXPECT_TRUE(Contains(varlokctl, ".SH ENVIRONMENT\n"));
    EXPECT_TRUE(Contains(varlokctl, bold("VARLOK_UDEV_RULES_DIR")));
    EXPECT_TRUE(Contains(varlokctl, bold("/lib/udev/rules.d/70-varlok.rules")));

    const std::string varlok = RenderManualPage(VarlokManual(paths));
    for (const app::StartOptionEntry& option : app::kStartOptionTable) {
        EXPECT_TRUE(Contains(varlok, ".TP\n" + bold(option.name))) << option.name;
    }
    // What only the window reads is not in varlokctl's page, and the other way.
    EXPECT_TRUE(Contains(varlok, bold("VARLOK_DESKTOP")));
    EXPECT_FALSE(Contains(varlokctl, bold("VARLOK_DESKTOP")));
    EXPECT_FALSE(Contains(varlok, bold("VARLOK_UDEV_RULES_DIR")));
    EXPECT_TRUE(Contains(varlok, bold("/usr/share/varlok/")));
}

// Every VARLOK_ variable a program reads is in the table the manual pages
// are made from.
TEST(ManualsTest, EveryVariableTheProgramsReadIsDescribed) {
    std::set<std::string> described;
    for (const EnvironmentEntry& entry : kEnvironmentTable) {
        described.emplace(entry.name);
    }
    const std::regex variable("\"(VARLOK_[A-Z_]+)\"");
    std::set<std::string> read;
    for (const char* folder : {"src", "tools", "sim"}) {
        for (const auto& file : std::filesystem::recursive_directory_iterator(
                 std::filesystem::path(VARLOK_SOURCE_DIR) / folder)) {
            if (file.path().extension() != ".cpp" && file.path().extension() != ".h") {
                continue;
            }
            std::ifstream stream(file.path());
            const std::string text{std::istreambuf_iterator<char>(stream), {}};
            for (std::sregex_iterator match(text.begin(), text.end(), variable), end; match != end;
                 ++match) {
                read.insert((*match)[1].str());
            }
        }
    }
    EXPECT_FALSE(read.empty());
    for (const std::string& name : read) {
        EXPECT_TRUE(described.contains(name)) << name << " is read but not described";
    }
}

}  // namespace
}  // namespace varlok::tools::docs
