#include "app/datafolder.h"

#include <system_error>

#include "platform/folders.h"

namespace varlok::app {

namespace {

std::filesystem::path Ensure(std::filesystem::path folder) {
    std::error_code ignored;
    std::filesystem::create_directories(folder, ignored);
    return folder;
}

}  // namespace

std::filesystem::path DataFolder() {
    return Ensure(platform::DocumentsFolder() / "VARLOK");
}

std::filesystem::path MouseDataFolder() {
    return Ensure(DataFolder() / "ms");
}

std::filesystem::path MainIniFile() {
    return DataFolder() / "main.ini";
}

}  // namespace varlok::app
