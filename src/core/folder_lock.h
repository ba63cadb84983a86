// One writer at a time per program folder, across processes. Every operation that writes a program folder (the
// import and its generation, the transmission, the compaction at start-up, making a new folder) holds this lock
// for as long as it writes; readers take none. It is a lock of its own, apart from the desktop program's
// one-copy lock, so that batch commands can work while the desktop program is open but idle.
#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

namespace kova {

inline constexpr const char* kWriteLockFile = "KOVA.ESCRITA.LCK";
// A second writer waits this long for the first to finish before it is refused.
inline constexpr std::chrono::milliseconds kDefaultWriteLockWait{5000};

// How a writer waits for another: for how long, and what runs between attempts (a screen repaints).
struct WriteLockWait {
    std::chrono::milliseconds wait = kDefaultWriteLockWait;
    std::function<void()> whileWaiting;
};

class FolderWriteLock {
public:
    // Waits up to `wait` for the folder's lock (running `whileWaiting` between attempts, so a screen can
    // repaint); nullptr when another process still holds it. The lock is the kernel's on an open file, so a
    // process that dies releases it. Throws Fault when the lock file cannot be opened (a missing or read-only
    // folder: nothing could be written there anyway).
    static std::unique_ptr<FolderWriteLock> acquire(const std::filesystem::path& programFolder,
                                                    std::chrono::milliseconds wait = kDefaultWriteLockWait,
                                                    const std::function<void()>& whileWaiting = {});
    static std::unique_ptr<FolderWriteLock> acquire(const std::filesystem::path& programFolder,
                                                    const WriteLockWait& wait) {
        return acquire(programFolder, wait.wait, wait.whileWaiting);
    }
    ~FolderWriteLock();
    FolderWriteLock(const FolderWriteLock&) = delete;
    FolderWriteLock& operator=(const FolderWriteLock&) = delete;

private:
    explicit FolderWriteLock(int fd) : fd_(fd) {}
    int fd_;
};

// The refusal when another process writes the folder.
std::string folderInUseMessage(const std::filesystem::path& programFolder);

}  // namespace kova
