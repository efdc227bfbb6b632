#pragma once

// A manual page as the programs' tables describe it, and its roff text for
// man(1). The texts are plain: the help's line breaks and roff's special
// characters are taken care of when the page is written.

#include <string>
#include <vector>

namespace varlok::tools::docs {

// One block of a section: a paragraph, an item (a term, what it means and
// the items under it, as an option of a command), or lines shown as they
// are (an example).
struct ManualBlock {
    enum class Kind { Paragraph, Item, Preformatted };
    Kind kind = Kind::Paragraph;
    // Item: the name, shown in bold, and what follows it ("FILE", "[--json]").
    std::string term;
    std::string argument;
    // The text. Its line breaks are the help's wrapping and become spaces,
    // except for lines that line up in columns (a run of two spaces, or a
    // leading one), which are kept as they are. Preformatted: every line is
    // kept.
    std::string text;
    std::vector<ManualBlock> items;
};

struct ManualSection {
    std::string title;
    std::vector<ManualBlock> blocks;
};

struct ManualPage {
    std::string name;
    int section = 1;
    std::string version;
    // The release's date, YYYY-MM-DD.
    std::string date;
    // The NAME line's text after "name - ".
    std::string summary;
    // The lines of the synopsis after the name.
    std::vector<std::string> synopsis;
    std::vector<ManualSection> sections;
};

[[nodiscard]] ManualBlock Paragraph(std::string text);
[[nodiscard]] ManualBlock Item(std::string term, std::string argument, std::string text,
                               std::vector<ManualBlock> items = {});
[[nodiscard]] ManualBlock Preformatted(std::string lines);

// Text for roff: backslashes and hyphens escaped, a line that would start
// with a control character made safe.
[[nodiscard]] std::string RoffEscaped(const std::string& text);

// The page in the man(7) macros.
[[nodiscard]] std::string RenderManualPage(const ManualPage& page);

}  // namespace varlok::tools::docs
