#include "platform/folders.h"

#include <pwd.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace varlok::platform {

namespace {

std::optional<std::filesystem::path> AbsoluteFromEnvironment(const char* name) {
    const char* value = std::getenv(name);
    if (value == nullptr || *value == '\0') {
        return std::nullopt;
    }
    std::filesystem::path path(value);
    if (!path.is_absolute()) {
        return std::nullopt;
    }
    return path;
}

std::optional<std::filesystem::path> FromEnvironment(const char* name) {
    const char* value = std::getenv(name);
    if (value == nullptr || *value == '\0') {
        return std::nullopt;
    }
    return std::filesystem::path(value);
}

std::string ReadText(const std::filesystem::path& path) {
    std::ifstream stream(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(stream)), std::istreambuf_iterator<char>());
}

std::string_view TrimSpaces(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
        text.remove_prefix(1);
    }
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) {
        text.remove_suffix(1);
    }
    return text;
}

// The text of a shell-quoted value: "..." with backslash escapes, or bare.
std::string Unquote(std::string_view value) {
    if (value.size() < 2 || value.front() != '"' || value.back() != '"') {
        return std::string(value);
    }
    value = value.substr(1, value.size() - 2);
    std::string text;
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] == '\\' && i + 1 < value.size()) {
            ++i;
        }
        text.push_back(value[i]);
    }
    return text;
}

// Whether folder lies in the build tree this program was built in.
bool InsideBuildTree(const std::filesystem::path& folder) {
    std::error_code error;
    const std::filesystem::path buildTree =
        std::filesystem::weakly_canonical(VARLOK_BUILD_TREE, error);
    if (error) {
        return false;
    }
    const std::filesystem::path relative = folder.lexically_relative(buildTree);
    return !relative.empty() && *relative.begin() != "..";
}

}  // namespace

std::filesystem::path RuntimeFolder() {
    if (auto runtime = AbsoluteFromEnvironment("XDG_RUNTIME_DIR")) {
        return *runtime / "varlok";
    }
    return std::filesystem::path("/tmp") / ("varlok-" + std::to_string(::getuid()));
}

std::filesystem::path HomeFolder() {
    if (auto home = FromEnvironment("HOME")) {
        return *home;
    }
    long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(size > 0 ? static_cast<std::size_t>(size) : 16384);
    passwd entry{};
    passwd* result = nullptr;
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &result) == 0 &&
        result != nullptr && result->pw_dir != nullptr) {
        return result->pw_dir;
    }
    return "/";
}

std::filesystem::path ConfigFolder() {
    return AbsoluteFromEnvironment("XDG_CONFIG_HOME").value_or(HomeFolder() / ".config");
}

std::optional<std::filesystem::path> ParseDocumentsDir(std::string_view userDirs,
                                                       const std::filesystem::path& home) {
    constexpr std::string_view kKey = "XDG_DOCUMENTS_DIR=";
    std::optional<std::filesystem::path> documents;
    while (!userDirs.empty()) {
        std::size_t end = userDirs.find('\n');
        std::string_view line = TrimSpaces(userDirs.substr(0, end));
        userDirs.remove_prefix(end == std::string_view::npos ? userDirs.size() : end + 1);
        if (line.substr(0, kKey.size()) != kKey) {
            continue;
        }
        std::string value = Unquote(TrimSpaces(line.substr(kKey.size())));
        for (std::string_view variable : {"${HOME}", "$HOME"}) {
            std::string_view rest =
                std::string_view(value).substr(std::min(variable.size(), value.size()));
            if (std::string_view(value).substr(0, variable.size()) == variable &&
                (rest.empty() || rest.front() == '/')) {
                value = home.string() + std::string(rest);
                break;
            }
        }
        std::filesystem::path path(value);
        if (path.is_absolute()) {
            documents = path.lexically_normal();  // as in the shell, the last assignment wins
        }
    }
    return documents;
}

std::filesystem::path DocumentsFolder() {
    if (auto overridden = FromEnvironment("VARLOK_DOCUMENTS_DIR")) {
        return *overridden;
    }
    std::filesystem::path home = HomeFolder();
    if (auto documents = ParseDocumentsDir(ReadText(ConfigFolder() / "user-dirs.dirs"), home)) {
        return *documents;
    }
    return home / "Documents";
}

std::optional<std::filesystem::path> InstallPrefixForExecutable(
    const std::filesystem::path& executable) {
    const std::filesystem::path folder = executable.parent_path();
    if (InsideBuildTree(folder) || folder.filename() != "bin") {
        return std::nullopt;
    }
    return folder.parent_path();
}

std::filesystem::path InstallFolderForExecutable(const std::filesystem::path& executable) {
    if (const auto prefix = InstallPrefixForExecutable(executable)) {
        return *prefix / VARLOK_INSTALLED_DATA_DIR;
    }
    const std::filesystem::path folder = executable.parent_path();
    return InsideBuildTree(folder) ? std::filesystem::path(VARLOK_BUILD_TREE_DATA) : folder;
}

std::filesystem::path RunningExecutable() {
    std::error_code error;
    std::filesystem::path executable = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::filesystem::path() : executable;
}

std::filesystem::path InstallFolder() {
    if (auto overridden = FromEnvironment("VARLOK_INSTALL_DIR")) {
        return *overridden;
    }
    const std::filesystem::path executable = RunningExecutable();
    if (executable.empty()) {
        std::error_code error;
        return std::filesystem::current_path(error);
    }
    return InstallFolderForExecutable(executable);
}

}  // namespace varlok::platform
