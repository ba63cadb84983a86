// Making a program folder (kova-cli iniciar, the installed program's first start), where it is by default, and
// the lock that keeps a second writer out of it.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <set>

#include "core/faults.h"
#include "core/folder_lock.h"
#include "core/program_folder_setup.h"
#include "core/work_database.h"
#include "support/file_bytes.h"
#include "support/scoped_variable.h"
#include "support/temp_folder.h"

namespace kova {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using testing_support::ScopedVariable;
using testing_support::TempFolder;

std::set<std::string> names(const fs::path& folder) {
    std::set<std::string> all;
    for (const auto& entry : fs::directory_iterator(folder)) all.insert(entry.path().filename().string());
    return all;
}

// A fresh folder gets its database; an interrupted creation's files go, anything else stays. A folder with a
// database, or in use by a writer, is left as it is.
TEST(PrepareProgramFolder, MakesTheDatabaseOnlyWhereThereIsNoneAndNoWriter) {
    TempFolder root;
    const fs::path folder = root / "a" / "b";
    fs::create_directories(folder);
    for (const char* name : {".KOVALDDB.MDB.4242-0.tmp", ".KOVALDDB.MDB.4242-0.tmp-journal", ".outro.4242-0.tmp"})
        testing_support::writeBytes(folder / name, "x");
    EXPECT_EQ(prepareProgramFolder(folder), FolderPreparation::Created);
    EXPECT_EQ(names(folder), (std::set<std::string>{kWorkDatabaseFile, kWriteLockFile, ".outro.4242-0.tmp"}));

    testing_support::writeBytes(folder / ".KOVALDDB.MDB.1-0.tmp", "x");
    EXPECT_EQ(prepareProgramFolder(folder), FolderPreparation::AlreadyHasDatabase);
    EXPECT_TRUE(fs::exists(folder / ".KOVALDDB.MDB.1-0.tmp"));
    fs::remove(folder / kWorkDatabaseFile);
    const auto writer = FolderWriteLock::acquire(folder, 0ms);
    EXPECT_EQ(prepareProgramFolder(folder, 50ms), FolderPreparation::InUse);
    EXPECT_FALSE(fs::exists(folder / kWorkDatabaseFile));
}

TEST(DefaultProgramFolder, TheExecutablesFolderUnlessInstalledThenPerUser) {
    TempFolder root;
    // opt/share/kova is beside a folder that is not "bin"
    for (const char* folder : {"build/bin", "usr/bin", "usr/share/kova", "opt/kova", "opt/share/kova"})
        fs::create_directories(root / folder);
    const ScopedVariable home("HOME", (root / "casa").c_str());

    const fs::path perUser = root / "casa" / ".local" / "share" / "kova";
    // XDG_DATA_HOME (nullptr: unset), the executable's folder, the program folder
    const std::tuple<const char*, const char*, fs::path> cases[] = {
        {nullptr, "build/bin", root / "build" / "bin"}, {nullptr, "opt/kova", root / "opt" / "kova"},
        {nullptr, "usr/bin", perUser},                  {"/dados", "usr/bin", "/dados/kova"},
        {"relativa", "usr/bin", perUser},
    };
    for (const auto& [xdgDataHome, executableFolder, expected] : cases) {
        const ScopedVariable data("XDG_DATA_HOME", xdgDataHome);
        EXPECT_EQ(defaultProgramFolder(root / executableFolder), expected) << executableFolder;
    }
    EXPECT_EQ(installedDataFolder(root / "usr" / "bin"), root / "usr" / "share" / "kova");
    EXPECT_EQ(installedDataFolder(root / "build" / "bin"), std::nullopt);
}

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
    TempFolder folder;
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
