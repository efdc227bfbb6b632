// Arbitrary bytes as an INI store file, then one write and sometimes a key
// removal through IniFile, checked against what the store promises: a value
// written reads back as written, every other key keeps its value, the file
// stays parseable, and names or values the store refuses leave the file
// byte for byte as it was.
//
// Input: section, key and value as FuzzedDataProvider strings (each ends at
// a backslash followed by another character; "\\" is one backslash), then
// the file. The input's last three bytes are not part of the file: they
// choose whether to take the section and key from the file's own names and
// whether to remove the key afterwards.

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "fuzzsupport.h"
#include "platform/inidocument.h"
#include "platform/inifile.h"
#include "platform/utf16limit.h"

namespace {

using varlok::platform::IniFile;
using varlok::platform::IniWriteResult;

std::string_view TrimBlanks(std::string_view text) {
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

bool SameName(std::string_view a, std::string_view b) {
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (lower(a[i]) != lower(b[i])) {
            return false;
        }
    }
    return true;
}

// The answer IniFile documents for these names and value.
IniWriteResult Expected(std::string_view section, std::string_view key, std::string_view value) {
    constexpr std::string_view kLineBreakOrNul{"\r\n\0", 3};
    auto holds = [](std::string_view text, std::string_view characters) {
        return text.find_first_of(characters) != std::string_view::npos;
    };
    section = TrimBlanks(section);
    key = TrimBlanks(key);
    if (section.empty() || holds(section, kLineBreakOrNul) || holds(section, "]")) {
        return IniWriteResult::InvalidSection;
    }
    if (key.empty() || holds(key, kLineBreakOrNul) || holds(key, "=") || key.front() == '[' ||
        key.front() == ';') {
        return IniWriteResult::InvalidKey;
    }
    return holds(value, kLineBreakOrNul) ? IniWriteResult::InvalidValue : IniWriteResult::Ok;
}

bool Lists(const std::vector<std::string>& names, std::string_view name) {
    return std::any_of(names.begin(), names.end(),
                       [name](const std::string& listed) { return SameName(listed, name); });
}

// The file as IniFile reads it: its sections and every value by section and key.
struct Contents {
    std::vector<std::string> sections;
    std::map<std::pair<std::string, std::string>, std::string> values;
};

Contents ContentsOf(const IniFile& ini) {
    Contents contents{ini.Sections(), {}};
    for (const std::string& section : contents.sections) {
        for (const std::string& key : ini.Keys(section)) {
            contents.values[{section, key}] = ini.Read(section, key, "");
        }
    }
    return contents;
}

// No section is lost and every value but that of (section, key) is as before.
void CheckOthersKept(const IniFile& ini, const Contents& before, std::string_view section,
                     std::string_view key) {
    const std::vector<std::string> sections = ini.Sections();
    for (const std::string& name : before.sections) {
        VARLOK_FUZZ_CHECK(Lists(sections, name));
    }
    for (const auto& [name, value] : before.values) {
        if (SameName(name.first, TrimBlanks(section)) && SameName(name.second, TrimBlanks(key))) {
            continue;
        }
        VARLOK_FUZZ_CHECK(ini.Find(name.first, name.second) == value);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    std::string section = input.ConsumeRandomLengthString(64);
    std::string key = input.ConsumeRandomLengthString(64);
    const std::string value = input.ConsumeRandomLengthString(400);
    const auto sectionChoice = input.ConsumeIntegral<std::uint8_t>();
    const auto keyChoice = input.ConsumeIntegral<std::uint8_t>();
    const auto flags = input.ConsumeIntegral<std::uint8_t>();
    const std::string bytes = input.ConsumeRemainingBytesAsString();

    // The parser keeps every byte it does not change.
    VARLOK_FUZZ_CHECK(varlok::platform::IniDocument(bytes).Serialize() == bytes);

    const std::filesystem::path path = varlok::fuzz::ScratchFolder() / "store.ini";
    varlok::fuzz::WriteFile(path, bytes);
    IniFile ini(path);
    const std::vector<std::string> sections = ini.Sections();
    if ((flags & 1) != 0 && !sections.empty()) {
        section = sections[sectionChoice % sections.size()];
        const std::vector<std::string> keys = ini.Keys(section);
        if ((flags & 2) != 0 && !keys.empty()) {
            key = keys[keyChoice % keys.size()];
        }
    }
    const Contents before = ContentsOf(ini);

    const IniWriteResult written = ini.Write(section, key, value);
    VARLOK_FUZZ_CHECK(written == Expected(section, key, value));
    if (written != IniWriteResult::Ok) {
        VARLOK_FUZZ_CHECK(varlok::fuzz::ReadFile(path) == bytes);
        return 0;
    }
    const std::string readBack =
        varlok::platform::TruncateToUtf16Units(TrimBlanks(value), IniFile::kMaxValueLength);
    VARLOK_FUZZ_CHECK(ini.Find(section, key) == readBack);
    CheckOthersKept(ini, before, section, key);
    VARLOK_FUZZ_CHECK(Lists(ini.Keys(section), TrimBlanks(key)));

    if ((flags & 4) != 0) {
        const Contents afterWrite = ContentsOf(ini);
        VARLOK_FUZZ_CHECK(ini.DeleteKey(section, key) == IniWriteResult::Ok);
        VARLOK_FUZZ_CHECK(!ini.Find(section, key));
        CheckOthersKept(ini, afterWrite, section, key);
    }
    return 0;
}
