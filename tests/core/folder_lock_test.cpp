#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>

#include "core/faults.h"
#include "core/folder_lock.h"
#include "support/temp_folder.h"

namespace kova {
namespace {

using namespace std::chrono_literals;

// Another process takes the lock (the answer says whether it got it), holds it for `holdFor`, then exits.
pid_t holdInAnotherProcess(const std::filesystem::path& folder, std::chrono::milliseconds holdFor) {
    int ready[2];
    if (::pipe(ready) != 0) return -1;
    const pid_t child = ::fork();
    if (child == 0) {
        const auto lock = FolderWriteLock::acquire(folder, 0ms);
        const char byte = lock ? 1 : 0;
        (void)!::write(ready[1], &byte, 1);
        ::usleep(static_cast<useconds_t>(holdFor.count() * 1000));
        ::_exit(0);
    }
    char byte = 0;
    (void)!::read(ready[0], &byte, 1);
    ::close(ready[0]);
    ::close(ready[1]);
    return byte == 1 ? child : -1;
}

TEST(FolderWriteLock, ASecondWriterWaitsThenIsRefusedOrGetsItAndDroppingReleases) {
    testing_support::TempFolder folder;
    EXPECT_THROW(FolderWriteLock::acquire(folder / "nada", 0ms), Fault);
    const pid_t holder = holdInAnotherProcess(folder.path(), 600ms);
    ASSERT_GT(holder, 0);
    EXPECT_EQ(FolderWriteLock::acquire(folder.path(), 100ms), nullptr);
    auto lock = FolderWriteLock::acquire(folder.path(), 5000ms);  // the holder ends within the wait
    EXPECT_NE(lock, nullptr);
    ::waitpid(holder, nullptr, 0);
    lock.reset();
    const pid_t next = holdInAnotherProcess(folder.path(), 0ms);
    EXPECT_GT(next, 0);
    ::waitpid(next, nullptr, 0);
}

}  // namespace
}  // namespace kova
