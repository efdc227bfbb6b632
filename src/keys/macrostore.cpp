#include "keys/macrostore.h"

#include <algorithm>
#include <system_error>

#include "keys/macrofile.h"
#include "keys/macrotable.h"
#include "platform/debugoutput.h"
#include "platform/decimal.h"
#include "platform/entrynames.h"
#include "platform/unreadablefiles.h"

namespace varlok::keys {

namespace {

constexpr int kCursorScriptCount = 4;

MacroStoreResult Refused(std::string_view key, std::optional<int> number = std::nullopt) {
    return {MacroStoreStatus::Refused, StoreMessage{std::string(key), number}};
}

MacroStoreResult WriteFailed() {
    return {MacroStoreStatus::Failed, StoreMessage{std::string(kWriteFailedMessage), {}}};
}

bool Exists(const std::filesystem::path& path) {
    std::error_code error;
    return std::filesystem::exists(std::filesystem::symlink_status(path, error));
}

}  // namespace

MacroStore::MacroStore(std::filesystem::path dataFolder, platform::AtomicWriteFaultHook faultHook)
    : m_folder(std::move(dataFolder)), m_faultHook(std::move(faultHook)) {}

std::filesystem::path MacroStore::ListFilePath() const {
    return m_folder / kMacroListFileName;
}

platform::IniFile MacroStore::ListFile() const {
    return platform::IniFile(ListFilePath(), m_faultHook);
}

bool MacroStore::IsUsableMacroName(std::string_view name) {
    return platform::IsSafeEntryName(name) && name.find_first_of("=[") == std::string_view::npos;
}

std::vector<std::string> MacroStore::LoadMacroList() const {
    // One read of the list file for all its values.
    const std::optional<platform::IniDocument> list = LoadStoreDocument(ListFilePath());
    if (!list) {
        return {};
    }
    const std::optional<std::string> count =
        FindStoreValue(*list, kMacroCountSection, kListCountKey);
    const int entries = std::clamp(count ? platform::ParseDecimal(*count) : 0, 0, kMaxMacros);
    std::vector<std::string> names;
    names.reserve(static_cast<std::size_t>(entries));
    for (int index = 0; index < entries; ++index) {
        names.push_back(
            FindStoreValue(*list, kMacroNameSection, std::to_string(index)).value_or("0"));
    }
    return names;
}

std::optional<std::filesystem::path> MacroStore::FileOfName(std::string_view name) const {
    if (!IsUsableMacroName(name)) {
        return std::nullopt;
    }
    return platform::EntryFilePath(m_folder, name, kExtension);
}

std::optional<std::filesystem::path> MacroStore::MacroFilePath(int index) const {
    const std::vector<std::string> names = LoadMacroList();
    if (index < 0 || index >= static_cast<int>(names.size())) {
        return std::nullopt;
    }
    return FileOfName(names[static_cast<std::size_t>(index)]);
}

std::vector<MacroAction> MacroStore::LoadMacroActions(int index) const {
    const std::optional<std::filesystem::path> file = MacroFilePath(index);
    return file ? ReadMacroFile(*file).actions : std::vector<MacroAction>{};
}

std::string MacroStore::GeneratedName(std::span<const std::string> names) const {
    for (std::size_t n = names.size() + 1;; ++n) {
        std::string name = std::string(kGeneratedNamePrefix) + std::to_string(n);
        // A stray file of that name would give the new macro actions.
        const std::optional<std::filesystem::path> file = FileOfName(name);
        if (std::ranges::none_of(names,
                                 [&name](const std::string& used) {
                                     return platform::SameNameIgnoringCase(used, name);
                                 }) &&
            !(file && Exists(*file))) {
            return name;
        }
    }
}

MacroStoreResult MacroStore::AddMacro() {
    const std::vector<std::string> names = LoadMacroList();
    if (static_cast<int>(names.size()) >= kMaxMacros) {
        return Refused(kMacroLimitMessage, kMaxMacros);
    }
    const int index = static_cast<int>(names.size());
    if (!AppendToList(index, GeneratedName(names))) {
        return WriteFailed();
    }
    return {MacroStoreStatus::Done, std::nullopt, index};
}

bool MacroStore::AppendToList(int index, const std::string& name) const {
    const std::vector<platform::IniValue> values{
        {std::string(kMacroCountSection), std::string(kListCountKey), std::to_string(index + 1)},
        {std::string(kMacroNameSection), std::to_string(index), name}};
    return ListFile().WriteValues(values) == platform::IniWriteResult::Ok;
}

MacroStoreResult MacroStore::SaveMacroActions(int index, std::span<const MacroAction> actions) {
    const std::vector<std::string> names = LoadMacroList();
    if (index < 0 || index >= static_cast<int>(names.size())) {
        return {MacroStoreStatus::Unchanged, std::nullopt, index};
    }
    const std::string& name = names[static_cast<std::size_t>(index)];
    const std::optional<std::filesystem::path> file = FileOfName(name);
    if (!file) {
        return Refused(kBadNameMessage);
    }
    if (WriteMacroFile(*file, actions, name, m_faultHook) != platform::IniWriteResult::Ok) {
        return WriteFailed();
    }
    return {MacroStoreStatus::Done, std::nullopt, index};
}

MacroStoreResult MacroStore::RenameMacro(
    int index, std::string_view newName,
    std::optional<std::span<const MacroAction>> editorActions) {
    const std::vector<std::string> names = LoadMacroList();
    if (index < 0 || index >= static_cast<int>(names.size())) {
        return {MacroStoreStatus::Unchanged, std::nullopt, index};
    }
    const std::string& oldName = names[static_cast<std::size_t>(index)];
    if (platform::SameNameIgnoringCase(oldName, newName)) {
        return {MacroStoreStatus::Unchanged, std::nullopt, index};
    }
    if (!IsUsableMacroName(newName)) {
        return Refused(kBadNameMessage);
    }
    if (std::ranges::any_of(names, [newName](const std::string& used) {
            return platform::SameNameIgnoringCase(used, newName);
        })) {
        return Refused(kDuplicateNameMessage);
    }
    // A stray file under the new name (in any letter case) would be
    // overwritten by the move, or become the macro's file: the macro keeps
    // its name instead.
    if (const std::optional<std::filesystem::path> found = FileOfName(newName);
        found && Exists(*found)) {
        platform::DebugOutput::Write("RenameMacro: " + found->filename().string() +
                                     " is in the way; the macro keeps its name");
        return Refused(kRenameBlockedMessage);
    }
    // A name from a damaged list has no file we may touch: only the list
    // entry changes.
    const std::optional<std::filesystem::path> oldFile = FileOfName(oldName);
    if (oldFile && editorActions &&
        WriteMacroFile(*oldFile, *editorActions, std::nullopt, m_faultHook) !=
            platform::IniWriteResult::Ok) {
        return WriteFailed();
    }
    const std::filesystem::path newFile =
        m_folder / (std::string(newName) + std::string(kExtension));
    // The file is copied to its new name, the list changes, and the old
    // file goes last: a program killed on the way leaves a stray file, never
    // a listed macro whose actions sit under another name.
    const bool moving = oldFile && Exists(*oldFile);
    if (moving && !CopyStoreFile(*oldFile, newFile, m_faultHook)) {
        return WriteFailed();
    }
    std::error_code error;
    if (ListFile().Write(kMacroNameSection, std::to_string(index), newName) !=
        platform::IniWriteResult::Ok) {
        if (moving) {
            std::filesystem::remove(newFile, error);
        }
        return WriteFailed();
    }
    if (moving && !std::filesystem::remove(*oldFile, error) && error) {
        platform::DebugOutput::Write("RenameMacro: cannot delete " + oldFile->filename().string() +
                                     ": " + error.message());
    }
    if (moving &&
        platform::IniFile(newFile, m_faultHook).Write(kSelectNameSection, kNameKey, newName) !=
            platform::IniWriteResult::Ok) {
        // Only a record of the name for other programs; the store is whole.
        platform::DebugOutput::Write("RenameMacro: the name could not be written into " +
                                     newFile.filename().string());
    }
    return {MacroStoreStatus::Done, std::nullopt, index};
}

bool MacroStore::RewriteList(std::span<const std::string> names) const {
    std::vector<platform::IniValue> values{
        {std::string(kMacroCountSection), std::string(kListCountKey), std::to_string(names.size())},
        {std::string(kCursorCountSection), std::string(kListCountKey),
         std::to_string(kCursorScriptCount)}};
    for (int script = 0; script < kCursorScriptCount; ++script) {
        values.push_back({std::string(kCursorNameSection), std::to_string(script),
                          std::string(kGeneratedNamePrefix) + std::to_string(script + 1)});
    }
    for (std::size_t index = 0; index < names.size(); ++index) {
        values.push_back({std::string(kMacroNameSection), std::to_string(index), names[index]});
    }
    return ListFile().WriteValues(values, platform::IniBase::Empty) == platform::IniWriteResult::Ok;
}

MacroStoreResult MacroStore::DeleteMacro(int index) {
    std::vector<std::string> names = LoadMacroList();
    if (index < 0 || index >= static_cast<int>(names.size())) {
        return {MacroStoreStatus::Unchanged, std::nullopt, index};
    }
    const std::optional<std::filesystem::path> file =
        FileOfName(names[static_cast<std::size_t>(index)]);
    names.erase(names.begin() + index);
    // The list first: should the file then stay behind, it is a stray file
    // no entry names, not an entry without its file.
    if (!RewriteList(names)) {
        return WriteFailed();
    }
    std::error_code error;
    if (file && !std::filesystem::remove(*file, error) && error) {
        platform::DebugOutput::Write("DeleteMacro: cannot delete " + file->filename().string() +
                                     ": " + error.message());
    }
    return {MacroStoreStatus::Done, std::nullopt, index};
}

MacroStoreResult MacroStore::ImportMacro(const std::filesystem::path& source) {
    // Read once: what is checked is what is copied.
    const std::optional<ImportFile> imported = ReadImportFile(source);
    if (!imported || !imported->contents.unreadable.empty()) {
        return Refused(kUnreadableFileMessage);
    }
    const std::vector<std::string> names = LoadMacroList();
    if (static_cast<int>(names.size()) >= kMaxMacros) {
        return Refused(kMacroLimitMessage, kMaxMacros);
    }
    const std::string name = GeneratedName(names);
    const std::optional<std::filesystem::path> file = FileOfName(name);
    // The file first, then the entry that names it: a program killed between
    // leaves a stray file, which the next generated name goes past, never a
    // listed macro without the actions it was imported with.
    if (!file || !WriteStoreFile(*file, imported->bytes, m_faultHook)) {
        return WriteFailed();
    }
    const int index = static_cast<int>(names.size());
    if (!AppendToList(index, name)) {
        std::error_code error;
        std::filesystem::remove(*file, error);
        return WriteFailed();
    }
    return {MacroStoreStatus::Done, std::nullopt, index};
}

MacroStoreResult MacroStore::ExportMacro(int index, const std::filesystem::path& target) {
    const std::vector<std::string> names = LoadMacroList();
    if (index < 0 || index >= static_cast<int>(names.size())) {
        return {MacroStoreStatus::Unchanged, std::nullopt, index};
    }
    const std::optional<std::filesystem::path> file = MacroFilePath(index);
    const bool copied = file && Exists(*file)
                            ? CopyStoreFile(*file, target, m_faultHook)
                            : WriteMacroFile(target, {}, names[static_cast<std::size_t>(index)],
                                             m_faultHook) == platform::IniWriteResult::Ok;
    return copied ? MacroStoreResult{MacroStoreStatus::Done, std::nullopt, index} : WriteFailed();
}

int MacroStore::SetAsideUnreadableFiles() const {
    int setAside = platform::SetAsideIniIfNotText(ListFilePath()) ? 1 : 0;
    for (const std::string& name : LoadMacroList()) {
        const std::optional<std::filesystem::path> file = FileOfName(name);
        const platform::FileContents contents =
            file ? platform::ReadWholeFile(*file) : platform::FileContents{};
        if (contents.status != platform::FileReadStatus::Ok) {
            continue;
        }
        if (const auto fault = MacroFileFault(contents.bytes, *file);
            fault && platform::SetAsideUnreadable(*file, *fault)) {
            ++setAside;
        }
    }
    return setAside;
}

std::vector<std::vector<MacroAction>> MacroStore::LoadAllMacros() const {
    std::vector<std::vector<MacroAction>> macros;
    for (const std::string& name : LoadMacroList()) {
        const std::optional<std::filesystem::path> file = FileOfName(name);
        macros.push_back(file ? ReadMacroFile(*file).actions : std::vector<MacroAction>{});
    }
    return macros;
}

TableUpload MacroStore::UploadMacros(device::DeviceLink& link, std::size_t capacityBytes) const {
    const std::vector<std::vector<MacroAction>> macros = LoadAllMacros();
    TableUpload upload;
    upload.length = MacroTableLength(macros);
    if (upload.length == 0) {
        return upload;
    }
    if (upload.length > capacityBytes) {
        upload.status = UploadStatus::Refused;
        const std::size_t excess = upload.length - capacityBytes;
        upload.message = StoreMessage{std::string(kCapacityMessage),
                                      static_cast<int>(excess / MacroAction::kWireSize + 1)};
        return upload;
    }
    const std::optional<std::vector<std::uint8_t>> table = BuildMacroTable(macros);
    if (!table) {
        // Only a table beyond 16 bits fails to build, and no capacity is
        // that large; refuse rather than send a length that wrapped.
        upload.status = UploadStatus::Refused;
        upload.message = StoreMessage{std::string(kNoMemoryMessage), {}};
        return upload;
    }
    upload.status = UploadStatus::Sent;
    upload.link = SendTable(link, TableKind::Macros, *table);
    return upload;
}

}  // namespace varlok::keys
