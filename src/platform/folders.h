#pragma once

#include <filesystem>
#include <optional>
#include <string_view>

namespace varlok::platform {

// The user's home folder: $HOME, else the password database's entry.
[[nodiscard]] std::filesystem::path HomeFolder();

// $XDG_CONFIG_HOME when set to an absolute path, else ~/.config.
[[nodiscard]] std::filesystem::path ConfigFolder();

// The user's Documents folder, in which the program keeps its data folder:
// $VARLOK_DOCUMENTS_DIR when set; else XDG_DOCUMENTS_DIR from
// ConfigFolder()/user-dirs.dirs; else ~/Documents. Not created here.
[[nodiscard]] std::filesystem::path DocumentsFolder();

// The XDG_DOCUMENTS_DIR entry of a user-dirs.dirs text, in the form the xdg-user-dirs
// tools write: XDG_DOCUMENTS_DIR="$HOME/Documents" (or an absolute path), "$HOME"
// expanded to `home`. std::nullopt when there is no usable entry.
[[nodiscard]] std::optional<std::filesystem::path> ParseDocumentsDir(
    std::string_view userDirs, const std::filesystem::path& home);

// The per-user folder for the program's runtime files (owner locks, the
// virtual mouse's memory): $XDG_RUNTIME_DIR/varlok when XDG_RUNTIME_DIR is set
// to an absolute path, else /tmp/varlok-<uid> (the runtime folder is missing
// outside a login session, under cron or sudo, for example). Not created here.
[[nodiscard]] std::filesystem::path RuntimeFolder();

// The folder holding the installation content (skin/, the default profile files):
// $VARLOK_INSTALL_DIR when set, else InstallFolderForExecutable(the running
// program). The skin is InstallFolder() / "skin".
[[nodiscard]] std::filesystem::path InstallFolder();

// For a program inside this build tree: the build tree's data/ folder (the
// source tree's data/ and what the build makes). For an installed
// <prefix>/bin/<program>: <prefix>/share/varlok. Anything else: the
// program's own folder.
[[nodiscard]] std::filesystem::path InstallFolderForExecutable(
    const std::filesystem::path& executable);

// <prefix> for a program installed as <prefix>/bin/<program> (and not run
// from this build tree); nothing for a program of the build tree or one in a
// folder of its own.
[[nodiscard]] std::optional<std::filesystem::path> InstallPrefixForExecutable(
    const std::filesystem::path& executable);

// The running program's executable (/proc/self/exe); empty when it cannot
// be read.
[[nodiscard]] std::filesystem::path RunningExecutable();

}  // namespace varlok::platform
