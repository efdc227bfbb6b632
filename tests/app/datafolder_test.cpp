#include "app/datafolder.h"

#include <gtest/gtest.h>

#include "platform/scopedenvironment.h"
#include "platform/tempfolder.h"

namespace varlok::app {
namespace {

TEST(DataFolder, LiesInTheDocumentsFolderAndIsCreatedWhenMissing) {
    platform::testing::TempFolder folder;
    const auto documents = folder / "Documents";
    platform::testing::ScopedEnvironment override("VARLOK_DOCUMENTS_DIR", documents.string());
    EXPECT_EQ(DataFolder(), documents / "VARLOK");
    EXPECT_TRUE(std::filesystem::is_directory(documents / "VARLOK"));
    EXPECT_FALSE(std::filesystem::exists(documents / "VARLOK" / "ms"));
    EXPECT_EQ(MouseDataFolder(), documents / "VARLOK" / "ms");
    EXPECT_TRUE(std::filesystem::is_directory(documents / "VARLOK" / "ms"));
    EXPECT_EQ(MainIniFile(), documents / "VARLOK" / "main.ini");
    // Asking again leaves what is there.
    platform::testing::WriteBytes(documents / "VARLOK" / "ms" / "msProfile.ini", "[A]\r\n");
    EXPECT_EQ(MouseDataFolder(), documents / "VARLOK" / "ms");
    EXPECT_EQ(platform::testing::ReadBytes(documents / "VARLOK" / "ms" / "msProfile.ini"),
              "[A]\r\n");
}

TEST(DataFolder, AFolderThatCannotBeMadeIsStillNamed) {
    platform::testing::TempFolder folder;
    // A file where the Documents folder should be.
    platform::testing::WriteBytes(folder / "Documents", "not a folder");
    platform::testing::ScopedEnvironment override("VARLOK_DOCUMENTS_DIR",
                                                  (folder / "Documents").string());
    EXPECT_EQ(MouseDataFolder(), folder / "Documents" / "VARLOK" / "ms");
    EXPECT_FALSE(std::filesystem::exists(folder / "Documents" / "VARLOK"));
}

}  // namespace
}  // namespace varlok::app
