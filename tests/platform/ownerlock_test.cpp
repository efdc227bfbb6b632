#include "platform/ownerlock.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <future>

#include "platform/ownerlockwatch.h"
#include "tempfolder.h"

namespace varlok::platform {
namespace {

using namespace std::chrono_literals;
using testing::ReadBytes;
using testing::TempFolder;
using testing::WriteBytes;
using Result = OwnerLock::Result;

constexpr auto kGuard = 20s;

std::chrono::steady_clock::time_point After(std::chrono::milliseconds time) {
    return std::chrono::steady_clock::now() + time;
}

class OwnerLockTest : public ::testing::Test {
protected:
    std::filesystem::path File() const { return m_folder / "locks" / "sim.lock"; }
    TempFolder m_folder;
};

TEST_F(OwnerLockTest, OneHolderAtATimeNamedInTheFile) {
    OwnerLock first;
    ASSERT_EQ(first.TryAcquire(File(), "varlokctl"), Result::Acquired);
    EXPECT_EQ(ReadBytes(File()), std::to_string(::getpid()) + "\nvarlokctl\n");
    struct stat folder {};
    ASSERT_EQ(::stat(File().parent_path().c_str(), &folder), 0);
    EXPECT_EQ(folder.st_mode & 0777, 0700);

    // A second holder, in this process or another, is kept out and learns
    // who has it.
    OwnerLock second;
    EXPECT_EQ(second.TryAcquire(File(), "varlok"), Result::Held);
    EXPECT_FALSE(second.IsHeld());
    EXPECT_EQ(OwnerLock::ReadHolder(File()), (LockHolder{::getpid(), "varlokctl"}));

    first.Release();
    EXPECT_EQ(OwnerLock::ReadHolder(File()), LockHolder{});
    ASSERT_EQ(second.TryAcquire(File(), "var\nlok\x1b[2J"), Result::Acquired);
    // The name never brings a line or a control sequence into a message.
    EXPECT_EQ(OwnerLock::ReadHolder(File()).program, "var?lok?[2J");
    OwnerLock moved = std::move(second);
    EXPECT_EQ(first.TryAcquire(File(), "varlok"), Result::Held);
}

TEST_F(OwnerLockTest, TheDeathOfTheHolderFreesTheLockAndItsRecordNamesNobody) {
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        OwnerLock held;
        const char state = held.TryAcquire(File(), "varlokctl") == Result::Acquired ? 'y' : 'n';
        static_cast<void>(::write(ready[1], &state, 1));
        ::pause();
        ::_exit(0);
    }
    ::close(ready[1]);
    char state = 0;
    ASSERT_EQ(::read(ready[0], &state, 1), 1);
    ::close(ready[0]);
    ASSERT_EQ(state, 'y');

    OwnerLock waiting;
    EXPECT_EQ(waiting.TryAcquire(File(), "varlok"), Result::Held);
    EXPECT_EQ(OwnerLock::ReadHolder(File()), (LockHolder{child, "varlokctl"}));
    OwnerLockWatch watch(File());
    auto freed = std::async(std::launch::async, [&] { return watch.WaitUntilFree(After(kGuard)); });
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    ASSERT_EQ(freed.wait_for(kGuard), std::future_status::ready);
    EXPECT_TRUE(freed.get());

    // The dead holder's record is still there, but names nobody.
    EXPECT_NE(ReadBytes(File()), "");
    EXPECT_EQ(OwnerLock::ReadHolder(File()), LockHolder{});
    EXPECT_EQ(waiting.TryAcquire(File(), "varlok"), Result::Acquired);
}

TEST_F(OwnerLockTest, AWatchWaitsWhileTheLockIsHeld) {
    OwnerLock held;
    ASSERT_EQ(held.TryAcquire(File(), "varlok"), Result::Acquired);
    OwnerLockWatch watch(File());
    // Other programs looking at the file or failing to take it close it too:
    // none of that frees the lock.
    OwnerLock other;
    EXPECT_EQ(other.TryAcquire(File(), "varlokctl"), Result::Held);
    static_cast<void>(OwnerLock::ReadHolder(File()));
    EXPECT_FALSE(watch.WaitUntilFree(After(50ms)));

    auto freed = std::async(std::launch::async, [&] { return watch.WaitUntilFree(After(kGuard)); });
    held.Release();
    ASSERT_EQ(freed.wait_for(kGuard), std::future_status::ready);
    EXPECT_TRUE(freed.get());
}

TEST_F(OwnerLockTest, RecordsAreNotTrustedAndFoldersMustBeOurs) {
    std::filesystem::create_directories(File().parent_path());
    for (const std::string& record :
         {std::string("garbage"), std::string("0\nvarlok\n"), std::string("-1\nvarlok\n"),
          std::string("12x\nvarlok\n"), std::to_string(::getpid()) + "\nvar\nlok\n",
          std::to_string(::getpid()) + "\n" + std::string(200, 'a') + "\n"}) {
        WriteBytes(File(), record);
        EXPECT_EQ(OwnerLock::ReadHolder(File()), LockHolder{}) << record;
    }
    // Nobody holds it, whatever the file says.
    OwnerLock lock;
    EXPECT_EQ(lock.TryAcquire(File(), "varlok"), Result::Acquired);
    lock.Release();

    // A folder everybody may write to, a lock file that is a link, a folder
    // whose parent is missing: not used.
    std::filesystem::permissions(File().parent_path(), std::filesystem::perms::all);
    EXPECT_EQ(lock.TryAcquire(File(), "varlok"), Result::Failed);
    std::filesystem::permissions(File().parent_path(), std::filesystem::perms::owner_all);
    std::filesystem::remove(File());
    std::filesystem::create_symlink(m_folder / "elsewhere", File());
    EXPECT_EQ(lock.TryAcquire(File(), "varlok"), Result::Failed);
    EXPECT_FALSE(std::filesystem::exists(m_folder / "elsewhere"));
    EXPECT_EQ(lock.TryAcquire(m_folder / "missing" / "deeper" / "sim.lock", "varlok"),
              Result::Failed);
}

}  // namespace
}  // namespace varlok::platform
