#include "platform/atomicfile.h"

#include "tempfolder.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

namespace varlok::platform {
namespace {

using testing::TempFolder;
using testing::WriteBytes;

// A file the user chose is read only when it is a regular file, and never
// beyond the bound: a pipe, a device or a folder is refused without being
// read (a pipe without a writer would block, a device never end).
TEST(ReadRegularFileTest, ReadsRegularFilesUpToTheBoundAndNothingElse) {
    TempFolder folder;
    WriteBytes(folder / "four", "abcd");
    const FileContents whole = ReadRegularFile(folder / "four", 4);
    EXPECT_EQ(whole.status, FileReadStatus::Ok);
    EXPECT_EQ(whole.bytes, "abcd");
    const FileContents cut = ReadRegularFile(folder / "four", 3);
    EXPECT_EQ(cut.status, FileReadStatus::TooLarge);
    EXPECT_EQ(cut.bytes, "abc");
    std::filesystem::create_symlink(folder / "four", folder / "link");
    EXPECT_EQ(ReadRegularFile(folder / "link", 4).bytes, "abcd");
    EXPECT_EQ(ReadRegularFile(folder / "missing", 4).status, FileReadStatus::Missing);

    ASSERT_EQ(::mkfifo((folder / "pipe").c_str(), 0600), 0);
    for (const std::filesystem::path& path :
         {folder / "pipe", std::filesystem::path("/dev/zero"), folder.Path()}) {
        const FileContents refused = ReadRegularFile(path, 4);
        EXPECT_EQ(refused.status, FileReadStatus::Error) << path;
        EXPECT_TRUE(refused.bytes.empty()) << path;
    }
}

}  // namespace
}  // namespace varlok::platform
