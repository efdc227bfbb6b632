#include "platform/registry.h"

#include "platform/folders.h"
#include "platform/inifile.h"

namespace varlok::platform {

Registry::Registry() : m_file(DefaultFile()) {}

Registry::Registry(std::filesystem::path file) : m_file(std::move(file)) {}

std::filesystem::path Registry::DefaultFile() {
    return ConfigFolder() / "VARLOK" / "registry.ini";
}

std::optional<std::string> Registry::ReadString(std::string_view keyPath,
                                                std::string_view valueName) const {
    return IniFile(m_file).Find(keyPath, valueName);
}

bool Registry::WriteString(std::string_view keyPath, std::string_view valueName,
                           std::string_view value) {
    std::error_code error;
    std::filesystem::create_directories(m_file.parent_path(), error);
    return IniFile(m_file).Write(keyPath, valueName, value) == IniWriteResult::Ok;
}

}  // namespace varlok::platform
