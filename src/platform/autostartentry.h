#pragma once

#include <filesystem>
#include <string>

namespace varlok::platform {

// The desktop session's autostart entry of varlok, an XDG autostart desktop
// file: written to start the program in the tray ("--hidden"), removed to
// stop it. It counts as enabled while the file is there, holds a desktop
// entry and says neither Hidden=true nor X-GNOME-Autostart-enabled=false,
// the ways desktops switch such an entry off without removing it. Not thread-safe for one file;
// callers serialise.
class AutostartEntry {
public:
    // The name desktops look for in <config>/autostart/.
    static constexpr const char* kFileName = "varlok.desktop";
    // What the entry passes to the program.
    static constexpr const char* kStartOption = "--hidden";

    explicit AutostartEntry(std::filesystem::path file = DefaultFile()) : m_file(std::move(file)) {}

    // ConfigFolder()/autostart/kFileName.
    [[nodiscard]] static std::filesystem::path DefaultFile();

    [[nodiscard]] const std::filesystem::path& File() const { return m_file; }
    [[nodiscard]] bool IsEnabled() const;
    // Writes the entry for program (an absolute path) atomically, making the
    // folder when it is missing. False when it cannot: an entry that was
    // there is left as it was.
    [[nodiscard]] bool Enable(const std::filesystem::path& program) const;
    // Removes the entry. True when none is left.
    [[nodiscard]] bool Disable() const;

    // The file's text for program: the Exec line quotes the path as the
    // desktop entry format asks, so that any folder name starts it.
    [[nodiscard]] static std::string EntryText(const std::filesystem::path& program);

private:
    std::filesystem::path m_file;
};

}  // namespace varlok::platform
