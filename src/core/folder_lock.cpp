#include "core/folder_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <thread>

#include "core/faults.h"

namespace kova {

std::unique_ptr<FolderWriteLock> FolderWriteLock::acquire(const std::filesystem::path& programFolder,
                                                          std::chrono::milliseconds wait,
                                                          const std::function<void()>& whileWaiting) {
    const std::filesystem::path path = programFolder / kWriteLockFile;
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0644);
    if (fd < 0) throw faultFromErrno(errno);
    const auto deadline = std::chrono::steady_clock::now() + wait;
    for (;;) {
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) return std::unique_ptr<FolderWriteLock>(new FolderWriteLock(fd));
        const int err = errno;
        if ((err != EWOULDBLOCK && err != EINTR) || std::chrono::steady_clock::now() >= deadline) {
            ::close(fd);
            if (err == EWOULDBLOCK || err == EINTR) return nullptr;
            throw faultFromErrno(err);
        }
        if (whileWaiting) whileWaiting();
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

FolderWriteLock::~FolderWriteLock() { ::close(fd_); }  // closing the file releases the lock

std::string folderInUseMessage(const std::filesystem::path& programFolder) {
    return "A pasta " + programFolder.string() +
           " está em uso por outro processo (importação, transmissão ou abertura do programa).\n"
           "Aguarde o término da outra operação e tente novamente.";
}

}  // namespace kova
