#include "platform/unreadablefiles.h"

#include <gtest/gtest.h>

#include <ctime>
#include <string>
#include <vector>

#include "tempfolder.h"

namespace varlok::platform {
namespace {

using testing::ReadBytes;
using testing::TempFolder;
using testing::WriteBytes;

std::string SetAsideName(const std::string& file, std::time_t at) {
    std::tm local{};
    ::localtime_r(&at, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y%m%d-%H%M%S", &local);
    return file + ".unreadable-" + text;
}

// A file set aside keeps its bytes under a name of its own, beside the
// others; a name already taken (a file set aside before, in the same
// second) is never replaced, and the note lists each file once.
TEST(SetAsideUnreadableTest, RenamesBesideTheFileNeverOverAnotherAndNotesIt) {
    const TempFolder folder;
    static_cast<void>(TakeSetAsideFiles());
    // Whichever of two seconds the rename falls in, its first name is taken.
    const std::time_t now = std::time(nullptr);
    const std::vector<std::string> taken{SetAsideName("msProfile.ini", now),
                                         SetAsideName("msProfile.ini", now + 1)};
    for (const std::string& name : taken) {
        WriteBytes(folder / name, "set aside before");
    }
    WriteBytes(folder / "msProfile.ini", std::string("[x]\0y", 5));
    const auto first = SetAsideUnreadable(folder / "msProfile.ini", "not text");
    ASSERT_TRUE(first);
    WriteBytes(folder / "msProfile.ini", "second");
    const auto second = SetAsideUnreadable(folder / "msProfile.ini", "not text");
    ASSERT_TRUE(second);

    EXPECT_NE(*first, *second);
    EXPECT_EQ(first->parent_path(), folder.Path());
    EXPECT_TRUE(first->filename().string().starts_with("msProfile.ini.unreadable-"));
    EXPECT_EQ(ReadBytes(*first), std::string("[x]\0y", 5));
    EXPECT_EQ(ReadBytes(*second), "second");
    for (const std::string& name : taken) {
        EXPECT_EQ(ReadBytes(folder / name), "set aside before") << name;
    }
    EXPECT_FALSE(std::filesystem::exists(folder / "msProfile.ini"));
    EXPECT_EQ(TakeSetAsideFiles(), (std::vector<std::filesystem::path>{*first, *second}));
    EXPECT_TRUE(TakeSetAsideFiles().empty());
    // Nothing there: nothing renamed, nothing noted.
    EXPECT_FALSE(SetAsideUnreadable(folder / "missing", "gone"));
    EXPECT_TRUE(TakeSetAsideFiles().empty());
}

// Only a NUL byte makes a file no INI text: names in a Windows code page,
// control characters and blank files are what users and programs write.
TEST(SetAsideUnreadableTest, AnIniFileIsSetAsideOnlyWhenItHoldsANulByte) {
    EXPECT_TRUE(IsIniText(""));
    EXPECT_TRUE(IsIniText("[PROFILENAME]\r\n0=\xc4\xe3\xba\xc3\x01\x1b\r\n"));
    EXPECT_FALSE(IsIniText(std::string("\xff\xfe[\0P\0", 6)));

    const TempFolder folder;
    static_cast<void>(TakeSetAsideFiles());
    WriteBytes(folder / "main.ini", "[SKINIMAGE]\r\nLANGUAGE=2\x7f\r\n");
    WriteBytes(folder / "msMacro.ini", std::string("[MACROCOUNT]\ncount=1\0", 21));
    EXPECT_FALSE(SetAsideIniIfNotText(folder / "main.ini"));
    EXPECT_FALSE(SetAsideIniIfNotText(folder / "missing.ini"));
    EXPECT_TRUE(SetAsideIniIfNotText(folder / "msMacro.ini"));
    EXPECT_TRUE(std::filesystem::exists(folder / "main.ini"));
    EXPECT_FALSE(std::filesystem::exists(folder / "msMacro.ini"));
    EXPECT_EQ(TakeSetAsideFiles().size(), 1U);
}

}  // namespace
}  // namespace varlok::platform
