#pragma once

// Keeps a virtual mouse's memory in a file between runs, as a real mouse
// keeps its own: the memory is loaded when this is made, saved on a thread
// of this class whenever the mouse reports a change of it, and saved once
// more when this is destroyed. Programs that share the file take turns with
// the mouse under its owner lock: each time this program takes its turn (it
// opens the mouse for writing) the memory is loaded again, since another
// program may have changed it meanwhile, and before it gives its turn up
// (the last writer closes, before the lock is dropped) every change is
// saved, so the next program finds it. Lighting frames change no stored memory, so
// the frame stream never waits for, or causes, a save; host commands never
// wait for the disk either.
//
// The file: the magic "VARLOKVM", a 32-bit little-endian version, then the
// settings area, the key-block memory, the macro memory and the cursor
// table exactly as the mouse holds them (StoredMemory). It is replaced
// atomically, so a process killed at any moment leaves the old or the new
// memory, and read defensively: a file of another size, magic or version
// leaves the factory memory, says why on the debug output and is set aside
// (platform::SetAsideUnreadable) rather than replaced by the next save.

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>

#include "sim/devicememory.h"
#include "sim/virtualmouse.h"

namespace varlok::sim {

class VirtualMouseStateFile {
public:
    enum class Start {
        // The memory the file holds; factory memory when it holds none.
        Stored,
        // The mouse's memory as it is (a new mouse's: the factory's), which
        // replaces what the file held.
        Fresh,
    };

    static constexpr std::string_view kFileName = "virtual-mouse.state";

    // $XDG_RUNTIME_DIR/varlok/virtual-mouse.state. Without an absolute
    // XDG_RUNTIME_DIR: the same name in $XDG_STATE_HOME/varlok, else in
    // ~/.local/state/varlok (a folder of the user's own, which keeps the
    // memory across logins as a mouse does). Empty when no home is known.
    [[nodiscard]] static std::filesystem::path DefaultPath();

    // Loads (Start::Stored) and from then on saves the memory of mouse,
    // which must not have another memory observer. An empty path keeps the
    // memory in the process only, with a debug line saying so.
    VirtualMouseStateFile(std::shared_ptr<VirtualMouse> mouse, std::filesystem::path path,
                          Start start);
    // Stops watching the mouse and writes what is not yet saved.
    ~VirtualMouseStateFile();
    VirtualMouseStateFile(const VirtualMouseStateFile&) = delete;
    VirtualMouseStateFile& operator=(const VirtualMouseStateFile&) = delete;

    // True once every change reported so far has been written (or its write
    // has failed); false when that did not happen within timeout.
    [[nodiscard]] bool WaitUntilSaved(std::chrono::milliseconds timeout);

    [[nodiscard]] static std::string Encode(const StoredMemory& memory);
    // The memory of a state file, or none with the reason in why.
    [[nodiscard]] static std::optional<StoredMemory> Decode(std::string_view bytes,
                                                            std::string& why);

private:
    void Load();
    void Save(const StoredMemory& memory);
    // The owner observer: the turn taken (owned) or given up.
    void OnOwnerChange(bool owned);
    void Run();

    std::shared_ptr<VirtualMouse> m_mouse;
    std::filesystem::path m_path;
    std::mutex m_mutex;
    // Signalled when a change is noted or the saver is to stop.
    std::condition_variable m_wake;
    // Signalled when a save is done.
    std::condition_variable m_saved;
    // Changes noted, and how many of them the file holds.
    std::uint64_t m_changes = 0;
    std::uint64_t m_savedChanges = 0;
    bool m_stopping = false;
    // The last save failed; the next failure is not reported again.
    bool m_failing = false;
    std::thread m_saver;
};

}  // namespace varlok::sim
