#include "platform/regularfile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "tempfolder.h"

namespace varlok::platform {
namespace {

using testing::TempFolder;
using testing::WriteBytes;

TEST(RegularFileStart, ReadsOnlyRegularFilesAndNoMoreThanAsked) {
    TempFolder folder;
    WriteBytes(folder / "plain", "0123456789");
    const FileContents start = ReadRegularFileStart(folder / "plain", 4);
    EXPECT_EQ(start.status, FileReadStatus::Ok);
    EXPECT_EQ(start.bytes, "0123");
    EXPECT_EQ(ReadRegularFileStart(folder / "plain", 64).bytes, "0123456789");
    EXPECT_EQ(ReadRegularFileStart(folder / "none", 4).status, FileReadStatus::Missing);

    // A pipe without a writer would block the open, /dev/zero never ends.
    ASSERT_EQ(::mkfifo((folder / "pipe").c_str(), 0600), 0);
    for (const std::filesystem::path& other :
         {folder / "pipe", std::filesystem::path("/dev/zero"), folder.Path()}) {
        const FileContents read = ReadRegularFileStart(other, 4);
        EXPECT_EQ(read.status, FileReadStatus::Error) << other;
        EXPECT_TRUE(read.bytes.empty()) << other;
    }
}

}  // namespace
}  // namespace varlok::platform
