#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace varlok::platform {

// Stands in for the few string values the program keeps in the Windows registry
// (the interface language under "SOFTWARE\VARLOK"). Values live in an INI file:
// the key path is the section, the value name the key; both compare without regard
// to ASCII case, as registry names do. Thread-safe.
class Registry {
public:
    // The per-user file: $XDG_CONFIG_HOME/VARLOK/registry.ini, or
    // ~/.config/VARLOK/registry.ini when XDG_CONFIG_HOME is unset or not absolute.
    Registry();
    explicit Registry(std::filesystem::path file);

    [[nodiscard]] static std::filesystem::path DefaultFile();

    // The stored string (at most 259 characters), or std::nullopt when the value,
    // the key or the file is missing or unreadable.
    [[nodiscard]] std::optional<std::string> ReadString(std::string_view keyPath,
                                                        std::string_view valueName) const;

    // Stores the string, creating the file and its folder when needed. False when
    // it could not be stored (unusable names or value, disk failure).
    [[nodiscard]] bool WriteString(std::string_view keyPath, std::string_view valueName,
                                   std::string_view value);

    [[nodiscard]] const std::filesystem::path& File() const { return m_file; }

private:
    std::filesystem::path m_file;
};

}  // namespace varlok::platform
