#include "platform/folders.h"

#include "scopedenvironment.h"
#include "tempfolder.h"

#include <gtest/gtest.h>
#include <unistd.h>

namespace varlok::platform {
namespace {

using testing::ScopedEnvironment;
using testing::TempFolder;
using testing::WriteBytes;

TEST(Folders, ParsesTheDocumentsEntryOfUserDirs) {
    const std::filesystem::path home = "/home/user";
    EXPECT_EQ(ParseDocumentsDir("# comment\nXDG_DESKTOP_DIR=\"$HOME/Desktop\"\n"
                                "XDG_DOCUMENTS_DIR=\"$HOME/Dokumente\"\n",
                                home),
              "/home/user/Dokumente");
    EXPECT_EQ(ParseDocumentsDir("XDG_DOCUMENTS_DIR=\"/data/文档\"\r\n", home), "/data/文档");
    EXPECT_EQ(ParseDocumentsDir("  XDG_DOCUMENTS_DIR=\"${HOME}/My \\\"Docs\\\"\"", home),
              "/home/user/My \"Docs\"");
    EXPECT_EQ(ParseDocumentsDir("XDG_DOCUMENTS_DIR=$HOME/bare", home), "/home/user/bare");
    EXPECT_EQ(
        ParseDocumentsDir("XDG_DOCUMENTS_DIR=\"$HOME/a\"\nXDG_DOCUMENTS_DIR=\"$HOME/b\"", home),
        "/home/user/b");
    EXPECT_EQ(ParseDocumentsDir("XDG_DOCUMENTS_DIR=\"relative/docs\"", home), std::nullopt);
    EXPECT_EQ(ParseDocumentsDir("XDG_DOCUMENTS_DIR=\"$HOMEWORK/x\"", home), std::nullopt);
    EXPECT_EQ(ParseDocumentsDir("#XDG_DOCUMENTS_DIR=\"/x\"", home), std::nullopt);
    EXPECT_EQ(ParseDocumentsDir("", home), std::nullopt);
}

TEST(Folders, DocumentsFolderTakesOverrideThenUserDirsThenDefault) {
    TempFolder home;
    TempFolder config;
    ScopedEnvironment homeVariable("HOME", home.Path().string());
    ScopedEnvironment configVariable("XDG_CONFIG_HOME", config.Path().string());
    ScopedEnvironment noOverride("VARLOK_DOCUMENTS_DIR", std::nullopt);
    EXPECT_EQ(DocumentsFolder(), home.Path() / "Documents");

    WriteBytes(config / "user-dirs.dirs", "XDG_DOCUMENTS_DIR=\"$HOME/文档\"\n");
    EXPECT_EQ(DocumentsFolder(), home.Path() / "文档");

    ScopedEnvironment overridden("VARLOK_DOCUMENTS_DIR", "/tmp/varlok-docs");
    EXPECT_EQ(DocumentsFolder(), "/tmp/varlok-docs");
}

TEST(Folders, RuntimeFolderIsTheSessionsElseOneOfTheUsersInTmp) {
    {
        ScopedEnvironment runtime("XDG_RUNTIME_DIR", "/run/user/1000");
        EXPECT_EQ(RuntimeFolder(), "/run/user/1000/varlok");
    }
    const std::filesystem::path fallback = "/tmp/varlok-" + std::to_string(::getuid());
    for (const std::optional<std::string>& value :
         {std::optional<std::string>(), std::optional<std::string>(""),
          std::optional<std::string>("relative")}) {
        ScopedEnvironment runtime("XDG_RUNTIME_DIR", value);
        EXPECT_EQ(RuntimeFolder(), fallback);
    }
}

TEST(Folders, InstallFolderOfABuildTreeIsTheBuildTreesDataFolder) {
    ScopedEnvironment noOverride("VARLOK_INSTALL_DIR", std::nullopt);
    EXPECT_EQ(std::filesystem::weakly_canonical(InstallFolder()),
              std::filesystem::weakly_canonical(VARLOK_BUILD_DATA_DIR))
        << "this test program runs inside the build tree";
    // It shows the source tree's skin.
    EXPECT_TRUE(std::filesystem::exists(InstallFolder() / "skin" / "res.xml"));
}

TEST(Folders, InstallFolderOfAnInstalledProgram) {
    EXPECT_EQ(InstallFolderForExecutable("/opt/varlok/bin/varlok"), "/opt/varlok/share/varlok");
    EXPECT_EQ(InstallFolderForExecutable("/usr/bin/varlokctl"), "/usr/share/varlok");
    EXPECT_EQ(InstallFolderForExecutable("/home/u/portable/varlok"), "/home/u/portable");

    ScopedEnvironment overridden("VARLOK_INSTALL_DIR", "/srv/varlok-content");
    EXPECT_EQ(InstallFolder(), "/srv/varlok-content");
    EXPECT_EQ(InstallFolder() / "skin", "/srv/varlok-content/skin");
}

}  // namespace
}  // namespace varlok::platform
