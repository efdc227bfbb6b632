#include "makedocs/manualpage.h"

#include <algorithm>
#include <cctype>
#include <string_view>

#include "platform/textlines.h"

namespace varlok::tools::docs {

namespace {

// A line that lines up with its neighbours in columns, as the rows of a
// small table in a help text do.
bool IsColumnLine(std::string_view line) {
    return line.starts_with(' ') || line.find("  ") != std::string_view::npos;
}

std::string Escaped(std::string_view text) {
    std::string escaped;
    for (const char c : text) {
        if (c == '\\') {
            escaped += "\\e";
        } else if (c == '-') {
            escaped += "\\-";
        } else {
            escaped += c;
        }
    }
    // A line starting with "." or "'" would be taken for a request.
    if (escaped.starts_with('.') || escaped.starts_with('\'')) {
        escaped.insert(0, "\\&");
    }
    return escaped;
}

// The wrapped help text as filled lines, with column lines kept in no-fill
// mode.
void AppendText(std::string& roff, std::string_view text) {
    std::string filled;
    bool inColumns = false;
    for (const std::string_view line : platform::SplitLines(text)) {
        const bool column = IsColumnLine(line);
        if (column && !inColumns) {
            if (!filled.empty()) {
                roff += Escaped(filled) + '\n';
                filled.clear();
            }
            roff += ".nf\n";
        } else if (!column && inColumns) {
            roff += ".fi\n";
        }
        inColumns = column;
        if (column) {
            roff += Escaped(line) + '\n';
        } else {
            filled += (filled.empty() ? "" : " ") + std::string(line);
        }
    }
    if (inColumns) {
        roff += ".fi\n";
    }
    if (!filled.empty()) {
        roff += Escaped(filled) + '\n';
    }
}

void AppendBlock(std::string& roff, const ManualBlock& block) {
    switch (block.kind) {
        case ManualBlock::Kind::Paragraph:
            roff += ".PP\n";
            AppendText(roff, block.text);
            break;
        case ManualBlock::Kind::Preformatted:
            roff += ".PP\n.nf\n.RS 4\n";
            for (const std::string_view line : platform::SplitLines(block.text)) {
                roff += Escaped(line) + '\n';
            }
            roff += ".RE\n.fi\n";
            break;
        case ManualBlock::Kind::Item:
            roff += ".TP\n\\fB" + Escaped(block.term) + "\\fR";
            if (!block.argument.empty()) {
                roff += " " + Escaped(block.argument);
            }
            roff += '\n';
            AppendText(roff, block.text);
            if (!block.items.empty()) {
                roff += ".RS\n";
                for (const ManualBlock& item : block.items) {
                    AppendBlock(roff, item);
                }
                roff += ".RE\n";
            }
            break;
    }
}

std::string Upper(std::string text) {
    std::ranges::transform(text, text.begin(),
                           [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return text;
}

}  // namespace

ManualBlock Paragraph(std::string text) {
    return {ManualBlock::Kind::Paragraph, {}, {}, std::move(text), {}};
}

ManualBlock Item(std::string term, std::string argument, std::string text,
                 std::vector<ManualBlock> items) {
    return {ManualBlock::Kind::Item, std::move(term), std::move(argument), std::move(text),
            std::move(items)};
}

ManualBlock Preformatted(std::string lines) {
    return {ManualBlock::Kind::Preformatted, {}, {}, std::move(lines), {}};
}

std::string RoffEscaped(const std::string& text) {
    return Escaped(text);
}

std::string RenderManualPage(const ManualPage& page) {
    std::string roff = ".\\\" Made by the build (tools/makedocs) from the program's own tables.\n";
    roff += ".TH " + Upper(page.name) + " " + std::to_string(page.section) + " \"" + page.date +
            "\" \"varlok " + page.version + "\" \"User Commands\"\n";
    // Paths and option names are neither hyphenated nor stretched.
    roff += ".nh\n.ad l\n";
    roff += ".SH NAME\n" + Escaped(page.name) + " \\- " + Escaped(page.summary) + '\n';
    roff += ".SH SYNOPSIS\n";
    for (std::size_t i = 0; i < page.synopsis.size(); ++i) {
        roff += (i == 0 ? "" : ".br\n") + std::string("\\fB") + Escaped(page.name) + "\\fR " +
                Escaped(page.synopsis[i]) + '\n';
    }
    for (const ManualSection& section : page.sections) {
        roff += ".SH " + Upper(section.title) + '\n';
        for (std::size_t i = 0; i < section.blocks.size(); ++i) {
            std::string block;
            AppendBlock(block, section.blocks[i]);
            // The heading starts a paragraph of its own.
            if (i == 0 && block.starts_with(".PP\n")) {
                block.erase(0, 4);
            }
            roff += block;
        }
    }
    return roff;
}

}  // namespace varlok::tools::docs
