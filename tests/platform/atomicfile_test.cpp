#include "platform/atomicfile.h"

#include "tempfolder.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <vector>

namespace varlok::platform {
namespace {

using testing::ReadBytes;
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

// The pid of a process that has ended (and was reaped).
pid_t EndedPid() {
    const pid_t child = ::fork();
    if (child == 0) {
        ::_exit(0);
    }
    ::waitpid(child, nullptr, 0);
    return child;
}

TEST(RemoveLeftoverTemporariesTest, RemovesOnlyTheTemporariesOfWritersThatAreGone) {
    const TempFolder folder;
    const std::string dead = std::to_string(EndedPid());
    const std::string alive = std::to_string(::getpid());
    const std::vector<std::string> leftovers{".msProfile.ini.tmp-" + dead + "-0",
                                             ".My Profile.config.tmp-" + dead + "-17"};
    const std::vector<std::string> kept{
        "msProfile.ini",
        ".msMacro.ini.tmp-" + alive + "-3",  // a write of a running program
        "notes.tmp-" + dead + "-0",          // not hidden: not a name we make
        ".x.tmp-" + dead + "-",              // no counter
        ".x.tmp-" + dead + "a-1",            // no pid
        ".tmp-" + dead + "-1",               // no target name
    };
    for (const std::string& name : leftovers) {
        WriteBytes(folder / name, "half");
    }
    for (const std::string& name : kept) {
        WriteBytes(folder / name, "keep");
    }
    const std::string folderLike = ".dir.tmp-" + dead + "-1";
    std::filesystem::create_directory(folder / folderLike);
    const std::string linkLike = ".link.tmp-" + dead + "-2";
    std::filesystem::create_symlink(folder / "msProfile.ini", folder / linkLike);

    EXPECT_EQ(RemoveLeftoverTemporaries(folder.Path()), leftovers.size());
    for (const std::string& name : leftovers) {
        EXPECT_FALSE(std::filesystem::exists(folder / name)) << name;
    }
    for (const std::string& name : kept) {
        EXPECT_TRUE(std::filesystem::exists(folder / name)) << name;
    }
    EXPECT_TRUE(std::filesystem::is_directory(folder / folderLike));
    EXPECT_TRUE(std::filesystem::is_symlink(folder / linkLike));
    EXPECT_EQ(RemoveLeftoverTemporaries(folder / "missing"), 0U);
}

// The process's faults reach every replacement, told its file, with the
// caller's own hook asked first: a refused step fails the write with the
// old file intact and no temporary left, and once the faults end writes go
// through again.
TEST(ProcessWriteFaultsTest, EveryReplacementMeetsThemUntilTheyEnd) {
    const TempFolder folder;
    WriteBytes(folder / "main.ini", "old");
    std::vector<std::string> asked;
    SetProcessWriteFaults([&asked](const std::filesystem::path& target, AtomicWriteStep step) {
        asked.push_back(target.filename().string() + " " + std::to_string(static_cast<int>(step)));
        return step != AtomicWriteStep::WriteData;
    });
    const AtomicWriteFaultHook callers = [&asked](AtomicWriteStep step) {
        asked.push_back("caller " + std::to_string(static_cast<int>(step)));
        return true;
    };
    errno = 0;
    EXPECT_FALSE(ReplaceFileAtomically(folder / "main.ini", "new", callers));
    EXPECT_EQ(errno, ENOSPC);
    EXPECT_EQ(asked,
              (std::vector<std::string>{"caller 0", "main.ini 0", "caller 1", "main.ini 1"}));
    EXPECT_FALSE(ReplaceFileAtomically(folder / "other.ini", "new"));
    EXPECT_EQ(ReadBytes(folder / "main.ini"), "old");
    EXPECT_EQ(std::vector<std::filesystem::path>(std::filesystem::directory_iterator(folder.Path()),
                                                 std::filesystem::directory_iterator()),
              std::vector<std::filesystem::path>{folder / "main.ini"});

    SetProcessWriteFaults({});
    EXPECT_TRUE(ReplaceFileAtomically(folder / "main.ini", "new"));
    EXPECT_EQ(ReadBytes(folder / "main.ini"), "new");
}

}  // namespace
}  // namespace varlok::platform
