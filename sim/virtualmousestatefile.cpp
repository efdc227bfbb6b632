#include "sim/virtualmousestatefile.h"

#include <algorithm>
#include <cstdlib>
#include <span>
#include <system_error>
#include <utility>

#include "platform/atomicfile.h"
#include "platform/debugoutput.h"
#include "platform/folders.h"
#include "platform/unreadablefiles.h"

namespace varlok::sim {

namespace {

constexpr std::string_view kMagic = "VARLOKVM";
constexpr std::uint32_t kVersion = 1;
constexpr std::size_t kVersionOffset = kMagic.size();
constexpr std::size_t kSettingsOffset = kVersionOffset + 4;
constexpr std::size_t kKeyMemoryOffset = kSettingsOffset + kSettingsAreaSize;
constexpr std::size_t kMacroMemoryOffset = kKeyMemoryOffset + kKeyMemorySize;
constexpr std::size_t kCursorTableOffset = kMacroMemoryOffset + kMacroMemoryLimit;
constexpr std::size_t kFileSize = kCursorTableOffset + kCursorTableSize;
static_assert(kFileSize == 12 + 320 + 1016 + 32640 + 3072);

constexpr std::string_view kFolderName = "varlok";
// How long taking or giving up the turn with the mouse waits for the saves
// still to come: far beyond a save of a few kilobytes.
constexpr std::chrono::seconds kHandOverWait{10};

std::optional<std::filesystem::path> AbsoluteVariable(const char* name) {
    const char* value = std::getenv(name);
    if (value == nullptr || *value == '\0' || !std::filesystem::path(value).is_absolute()) {
        return std::nullopt;
    }
    return std::filesystem::path(value);
}

template <std::size_t N>
void Put(std::string& bytes, std::size_t at, const std::array<std::uint8_t, N>& part) {
    std::ranges::copy(part, bytes.begin() + static_cast<std::ptrdiff_t>(at));
}

template <std::size_t N>
void Take(std::string_view bytes, std::size_t at, std::array<std::uint8_t, N>& part) {
    std::copy_n(bytes.begin() + static_cast<std::ptrdiff_t>(at), N, part.begin());
}

void Say(const std::filesystem::path& path, std::string_view what) {
    platform::DebugOutput::Write("virtual mouse: " + path.string() + ": " + std::string(what));
}

}  // namespace

std::filesystem::path VirtualMouseStateFile::DefaultPath() {
    std::filesystem::path folder;
    if (const auto runtime = AbsoluteVariable("XDG_RUNTIME_DIR")) {
        folder = *runtime;
    } else if (const auto state = AbsoluteVariable("XDG_STATE_HOME")) {
        folder = *state;
    } else {
        const std::filesystem::path home = platform::HomeFolder();
        if (home.empty() || !home.is_absolute()) {
            return {};
        }
        folder = home / ".local" / "state";
    }
    return folder / kFolderName / kFileName;
}

VirtualMouseStateFile::VirtualMouseStateFile(std::shared_ptr<VirtualMouse> mouse,
                                             std::filesystem::path path, Start start)
    : m_mouse(std::move(mouse)), m_path(std::move(path)) {
    if (m_path.empty()) {
        platform::DebugOutput::Write(
            "virtual mouse: no folder for its memory; it lasts as long as the program");
        return;
    }
    if (start == Start::Stored) {
        Load();
    } else {
        // The file is to hold the memory the mouse starts with.
        m_changes = 1;
    }
    m_saver = std::thread([this] { Run(); });
    m_mouse->SetOwnerObserver([this](bool owned) { OnOwnerChange(owned); });
    // Runs with the mouse's lock held: only takes note.
    m_mouse->SetMemoryObserver([this] {
        {
            std::lock_guard lock(m_mutex);
            ++m_changes;
        }
        m_wake.notify_one();
    });
}

VirtualMouseStateFile::~VirtualMouseStateFile() {
    if (!m_saver.joinable()) {
        return;
    }
    // After this no observer call is running or to come.
    m_mouse->SetOwnerObserver({});
    m_mouse->SetMemoryObserver({});
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_one();
    m_saver.join();
}

bool VirtualMouseStateFile::WaitUntilSaved(std::chrono::milliseconds timeout) {
    std::unique_lock lock(m_mutex);
    return m_saved.wait_for(lock, timeout, [this] { return m_savedChanges == m_changes; });
}

void VirtualMouseStateFile::Run() {
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_stopping || m_savedChanges != m_changes; });
        if (m_savedChanges == m_changes) {
            return;
        }
        // Changes that come while the file is written leave another save
        // behind, so a burst (a macro table in 56-byte chunks) costs a few
        // writes, not one per chunk.
        const std::uint64_t target = m_changes;
        lock.unlock();
        Save(m_mouse->Stored());
        lock.lock();
        m_savedChanges = target;
        m_saved.notify_all();
    }
}

void VirtualMouseStateFile::OnOwnerChange(bool owned) {
    // Changes of this program's own come first: a fresh start's factory
    // memory, or what the host wrote before it lets go.
    if (!WaitUntilSaved(kHandOverWait)) {
        Say(m_path, "not saved in time");
    }
    if (owned) {
        Load();
    }
}

void VirtualMouseStateFile::Load() {
    const platform::FileContents contents = platform::ReadWholeFile(m_path);
    if (contents.status == platform::FileReadStatus::Missing) {
        Say(m_path, "not there yet; starting from the factory state");
        return;
    }
    if (contents.status != platform::FileReadStatus::Ok) {
        Say(m_path, "cannot be read; starting from the factory state");
        return;
    }
    std::string why;
    if (const std::optional<StoredMemory> memory = Decode(contents.bytes, why)) {
        m_mouse->Restore(*memory);
    } else {
        // Kept for whoever wants to look at it; the next save would replace it.
        Say(m_path, why + "; starting from the factory state");
        static_cast<void>(platform::SetAsideUnreadable(m_path, why));
    }
}

void VirtualMouseStateFile::Save(const StoredMemory& memory) {
    const std::filesystem::path folder = m_path.parent_path();
    std::error_code error;
    if (std::filesystem::create_directories(folder, error)) {
        // Nobody else needs to read the mouse's memory.
        std::filesystem::permissions(folder, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::replace, error);
    }
    const bool saved = platform::ReplaceFileAtomically(m_path, Encode(memory));
    if (!saved && !m_failing) {
        Say(m_path, "cannot be written; the memory lasts as long as the program");
    }
    m_failing = !saved;
}

std::string VirtualMouseStateFile::Encode(const StoredMemory& memory) {
    std::string bytes(kFileSize, '\0');
    std::ranges::copy(kMagic, bytes.begin());
    for (std::size_t i = 0; i < 4; ++i) {
        bytes[kVersionOffset + i] = static_cast<char>((kVersion >> (8 * i)) & 0xFF);
    }
    Put(bytes, kSettingsOffset, memory.settings);
    Put(bytes, kKeyMemoryOffset, memory.keyMemory);
    Put(bytes, kMacroMemoryOffset, memory.macroMemory);
    Put(bytes, kCursorTableOffset, memory.cursorTable);
    return bytes;
}

std::optional<StoredMemory> VirtualMouseStateFile::Decode(std::string_view bytes,
                                                          std::string& why) {
    if (bytes.size() != kFileSize) {
        why = std::to_string(bytes.size()) + " bytes, not the " + std::to_string(kFileSize) +
              " of a state file";
        return std::nullopt;
    }
    if (bytes.substr(0, kMagic.size()) != kMagic) {
        why = "no state file (wrong magic)";
        return std::nullopt;
    }
    std::uint32_t version = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        version |= std::uint32_t{static_cast<std::uint8_t>(bytes[kVersionOffset + i])} << (8 * i);
    }
    if (version != kVersion) {
        why = "state file version " + std::to_string(version) + ", not " + std::to_string(kVersion);
        return std::nullopt;
    }
    StoredMemory memory;
    Take(bytes, kSettingsOffset, memory.settings);
    Take(bytes, kKeyMemoryOffset, memory.keyMemory);
    Take(bytes, kMacroMemoryOffset, memory.macroMemory);
    Take(bytes, kCursorTableOffset, memory.cursorTable);
    if (const unsigned active = memory.settings[kActiveProfileByte]; active >= kRecordCount) {
        why = "names onboard profile " + std::to_string(active) + ", which does not exist";
        return std::nullopt;
    }
    return memory;
}

}  // namespace varlok::sim
