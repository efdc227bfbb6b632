#include "platform/autostartentry.h"

#include <string_view>
#include <system_error>

#include "platform/atomicfile.h"
#include "platform/folders.h"

namespace varlok::platform {

namespace {

constexpr std::string_view kEntryGroup = "[Desktop Entry]";

// A value of type string: backslash, newline, tab and carriage return are
// written as escapes.
std::string StringValue(std::string_view text) {
    std::string value;
    for (const char c : text) {
        switch (c) {
            case '\\':
                value += "\\\\";
                break;
            case '\n':
                value += "\\n";
                break;
            case '\t':
                value += "\\t";
                break;
            case '\r':
                value += "\\r";
                break;
            default:
                value += c;
        }
    }
    return value;
}

// One argument of an Exec line, before the string escapes: quoted when it
// holds a reserved character, "%" doubled (a field code otherwise).
std::string ExecArgument(std::string_view argument) {
    constexpr std::string_view kReserved = " \t\n\"'\\><~|&;$*?#()`";
    constexpr std::string_view kEscapedInQuotes = "\"`$\\";
    std::string quoted;
    for (const char c : argument) {
        if (kEscapedInQuotes.find(c) != std::string_view::npos) {
            quoted += '\\';
        }
        quoted += c == '%' ? std::string("%%") : std::string(1, c);
    }
    if (argument.find_first_of(kReserved) == std::string_view::npos) {
        return quoted;
    }
    return '"' + quoted + '"';
}

std::string_view Trimmed(std::string_view text) {
    const std::size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

}  // namespace

std::filesystem::path AutostartEntry::DefaultFile() {
    return ConfigFolder() / "autostart" / kFileName;
}

std::string AutostartEntry::EntryText(const std::filesystem::path& program) {
    const std::string path = program.string();
    return std::string(kEntryGroup) +
           "\n"
           "Type=Application\n"
           "Name=VARLOK\n"
           "Comment=Mouse settings, waiting in the tray\n"
           "Exec=" +
           StringValue(ExecArgument(path) + " " + kStartOption) +
           "\n"
           "TryExec=" +
           StringValue(path) +
           "\n"
           "Icon=varlok\n"
           "Terminal=false\n"
           "X-GNOME-Autostart-enabled=true\n";
}

bool AutostartEntry::IsEnabled() const {
    const FileContents contents = ReadWholeFile(m_file);
    if (contents.status != FileReadStatus::Ok) {
        return false;
    }
    bool inEntry = false;
    bool sawEntry = false;
    std::string_view text = contents.bytes;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        const std::string_view line = Trimmed(text.substr(0, end));
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (line.starts_with('[')) {
            inEntry = line == kEntryGroup;
            sawEntry = sawEntry || inEntry;
            continue;
        }
        const std::size_t equals = line.find('=');
        if (!inEntry || equals == std::string_view::npos) {
            continue;
        }
        const std::string_view key = Trimmed(line.substr(0, equals));
        const std::string_view value = Trimmed(line.substr(equals + 1));
        if ((key == "Hidden" && value == "true") ||
            (key == "X-GNOME-Autostart-enabled" && value == "false")) {
            return false;
        }
    }
    return sawEntry;
}

bool AutostartEntry::Enable(const std::filesystem::path& program) const {
    std::error_code error;
    std::filesystem::create_directories(m_file.parent_path(), error);
    return !error && ReplaceFileAtomically(m_file, EntryText(program));
}

bool AutostartEntry::Disable() const {
    std::error_code error;
    std::filesystem::remove(m_file, error);
    return !error;
}

}  // namespace varlok::platform
