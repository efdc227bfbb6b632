#include "keys/macrofile.h"

#include <algorithm>

#include "platform/debugoutput.h"
#include "platform/decimal.h"
#include "platform/inidocument.h"
#include "platform/pathmutex.h"
#include "platform/unreadablefiles.h"
#include "platform/utf16limit.h"

namespace varlok::keys {

std::optional<platform::IniDocument> LoadStoreDocument(const std::filesystem::path& path) {
    platform::FileContents contents = platform::ReadWholeFile(path);
    if (contents.status != platform::FileReadStatus::Ok) {
        return std::nullopt;
    }
    return platform::IniDocument(contents.bytes);
}

std::optional<std::string> FindStoreValue(const platform::IniDocument& document,
                                          std::string_view section, std::string_view key) {
    std::optional<std::string> value = document.Find(section, key);
    if (!value) {
        return std::nullopt;
    }
    return platform::TruncateToUtf16Units(*value, platform::IniFile::kMaxValueLength);
}

namespace {

// A stored number as ParseDecimal reads it, with at least one digit: text
// without one reads as 0 but states no number.
bool StatesNumber(std::string_view text) {
    std::size_t at = text.find_first_not_of(" \t");
    if (at != std::string_view::npos && (text[at] == '+' || text[at] == '-')) {
        ++at;
    }
    return at < text.size() && text[at] >= '0' && text[at] <= '9';
}

MacroFileContents ParseMacroFile(const platform::IniDocument& document,
                                 const std::filesystem::path& path) {
    MacroFileContents contents;
    contents.exists = true;
    const std::optional<std::string> count =
        FindStoreValue(document, kActionCountSection, kCountKey);
    contents.count = std::clamp(count ? platform::ParseDecimal(*count) : 0, 0, kMaxActionsPerFile);
    contents.actions.reserve(static_cast<std::size_t>(contents.count));
    for (int position = 0; position < contents.count; ++position) {
        const std::optional<std::string> text =
            FindStoreValue(document, kActionSection, std::to_string(position));
        std::optional<MacroAction> action = text ? ParseMacroAction(*text) : std::nullopt;
        if (action) {
            contents.actions.push_back(std::move(*action));
        } else {
            contents.unreadable.push_back(position);
        }
    }
    if (!contents.unreadable.empty()) {
        platform::DebugOutput::Write(path.filename().string() + ": " +
                                     std::to_string(contents.unreadable.size()) +
                                     " action(s) unreadable and left out, first at position " +
                                     std::to_string(contents.unreadable.front()));
    }
    return contents;
}

// Whether the document states its action count.
bool StatesCount(const platform::IniDocument& document) {
    const std::optional<std::string> count =
        FindStoreValue(document, kActionCountSection, kCountKey);
    return count && StatesNumber(*count);
}

}  // namespace

std::optional<std::string> MacroFileFault(std::string_view bytes,
                                          const std::filesystem::path& name) {
    if (!platform::IsIniText(bytes)) {
        return "not text";
    }
    const platform::IniDocument document(bytes);
    if (!StatesCount(document)) {
        return "no action count";
    }
    const MacroFileContents contents = ParseMacroFile(document, name);
    if (!contents.unreadable.empty()) {
        return std::to_string(contents.unreadable.size()) + " action(s) unreadable";
    }
    return std::nullopt;
}

MacroFileContents ReadMacroFile(const std::filesystem::path& path) {
    const std::optional<platform::IniDocument> document = LoadStoreDocument(path);
    return document ? ParseMacroFile(*document, path) : MacroFileContents{};
}

std::optional<ImportFile> ReadImportFile(const std::filesystem::path& path) {
    platform::FileContents file = platform::ReadRegularFile(path, kMaxImportFileBytes);
    if (file.status != platform::FileReadStatus::Ok) {
        return std::nullopt;
    }
    // Not text: the start-up recovery would set the copy aside.
    if (!platform::IsIniText(file.bytes)) {
        return std::nullopt;
    }
    const platform::IniDocument document(file.bytes);
    if (!StatesCount(document)) {
        return std::nullopt;
    }
    return ImportFile{std::move(file.bytes), ParseMacroFile(document, path)};
}

std::optional<std::string> ReadMacroActionText(const std::filesystem::path& path, int position) {
    const std::optional<platform::IniDocument> document = LoadStoreDocument(path);
    if (!document) {
        return std::nullopt;
    }
    return FindStoreValue(*document, kActionSection, std::to_string(position));
}

platform::IniWriteResult WriteMacroFile(const std::filesystem::path& path,
                                        std::span<const MacroAction> actions,
                                        std::optional<std::string_view> name,
                                        const platform::AtomicWriteFaultHook& faultHook) {
    std::vector<platform::IniValue> values;
    values.reserve(actions.size() + 2);
    values.push_back(
        {std::string(kActionCountSection), std::string(kCountKey), std::to_string(actions.size())});
    if (name) {
        values.push_back(
            {std::string(kSelectNameSection), std::string(kNameKey), std::string(*name)});
    }
    for (std::size_t position = 0; position < actions.size(); ++position) {
        values.push_back({std::string(kActionSection), std::to_string(position),
                          FormatMacroAction(actions[position])});
    }
    return platform::IniFile(path, faultHook).WriteValues(values);
}

bool CopyStoreFile(const std::filesystem::path& source, const std::filesystem::path& target,
                   const platform::AtomicWriteFaultHook& faultHook) {
    const platform::FileContents contents = platform::ReadWholeFile(source);
    return contents.status == platform::FileReadStatus::Ok &&
           WriteStoreFile(target, contents.bytes, faultHook);
}

bool WriteStoreFile(const std::filesystem::path& target, std::string_view bytes,
                    const platform::AtomicWriteFaultHook& faultHook) {
    const std::filesystem::path canonical = platform::CanonicalFilePath(target);
    const std::shared_ptr<std::mutex> mutex = platform::MutexForPath(canonical);
    std::lock_guard lock(*mutex);
    return platform::ReplaceFileAtomically(canonical, bytes, faultHook);
}

}  // namespace varlok::keys
