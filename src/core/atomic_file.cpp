#include "core/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>

#include "core/faults.h"

namespace kova {
namespace {

constexpr std::size_t kBufferSize = 64 * 1024;
constexpr mode_t kFileMode = 0644;

std::filesystem::path folderOf(const std::filesystem::path& path) {
    std::filesystem::path folder = path.parent_path();
    return folder.empty() ? std::filesystem::path(".") : folder;
}

// Captures errno as a Fault at once, before any clean-up call can overwrite it.
Fault lastFault() { return faultFromErrno(errno); }

void writeAll(FileOps& ops, int fd, const char* data, std::size_t size) {
    while (size > 0) {
        ssize_t n = ops.write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR) continue;
            throw lastFault();
        }
        if (n == 0) throw faultFromErrno(EIO);  // a regular file never accepts nothing; do not spin
        data += n;
        size -= static_cast<std::size_t>(n);
    }
}

void syncFile(FileOps& ops, const std::filesystem::path& path) {
    int fd = ops.open(path.c_str(), O_RDONLY | O_CLOEXEC, 0);
    if (fd < 0) throw lastFault();
    if (ops.fsync(fd) != 0) {
        Fault fault = lastFault();
        ops.close(fd);
        throw fault;
    }
    if (ops.close(fd) != 0) throw lastFault();
}

std::atomic<unsigned> temporaryCounter{0};

}  // namespace

// ---- FileOps -------------------------------------------------------------------------------------------------

int FileOps::open(const char* path, int flags, mode_t mode) { return ::open(path, flags, mode); }
ssize_t FileOps::write(int fd, const void* data, std::size_t size) { return ::write(fd, data, size); }
int FileOps::fsync(int fd) { return ::fsync(fd); }
int FileOps::close(int fd) { return ::close(fd); }
int FileOps::rename(const char* from, const char* to) { return ::rename(from, to); }
int FileOps::unlink(const char* path) { return ::unlink(path); }

FileOps& systemFileOps() {
    static FileOps ops;
    return ops;
}

// ---- FaultInjectingFileOps -----------------------------------------------------------------------------------

bool FaultInjectingFileOps::fails(Step step) {
    if (step != failStep) return false;
    int call = ++calls_[static_cast<int>(step)];
    return failOnCall == 0 || call == failOnCall;
}

int FaultInjectingFileOps::fail() {
    errno = failErrno;
    return -1;
}

int FaultInjectingFileOps::open(const char* path, int flags, mode_t mode) {
    bool folder = (flags & O_DIRECTORY) != 0;
    // A folder is opened only to be synced: its open counts as part of the folder sync.
    if (fails(folder ? Step::FolderSync : Step::Open)) return fail();
    return FileOps::open(path, flags, mode);
}

ssize_t FaultInjectingFileOps::write(int fd, const void* data, std::size_t size) {
    if (failStep == Step::Write && failAfterBytes > 0) {
        if (bytesWritten >= failAfterBytes) return fail();
        size = static_cast<std::size_t>(std::min<std::uint64_t>(size, failAfterBytes - bytesWritten));
    } else if (fails(Step::Write)) {
        return fail();
    }
    ssize_t n = FileOps::write(fd, data, size);
    if (n > 0) bytesWritten += static_cast<std::uint64_t>(n);
    return n;
}

int FaultInjectingFileOps::fsync(int fd) {
    struct stat info {};
    bool folder = ::fstat(fd, &info) == 0 && S_ISDIR(info.st_mode);
    if (fails(folder ? Step::FolderSync : Step::FileSync)) return fail();
    return FileOps::fsync(fd);
}

int FaultInjectingFileOps::close(int fd) {
    if (fails(Step::Close)) {
        FileOps::close(fd);  // the descriptor is gone either way, as with a real failing close
        return fail();
    }
    return FileOps::close(fd);
}

int FaultInjectingFileOps::rename(const char* from, const char* to) {
    if (fails(Step::Rename)) return fail();
    return FileOps::rename(from, to);
}

int FaultInjectingFileOps::unlink(const char* path) {
    if (fails(Step::Unlink)) return fail();
    return FileOps::unlink(path);
}

// ---- AtomicFileWriter ----------------------------------------------------------------------------------------

AtomicFileWriter::AtomicFileWriter(std::filesystem::path target, FileOps& ops)
    : target_(std::move(target)), ops_(ops) {
    // A name of our own in the target's folder, so that the final rename never crosses file systems. It is a hidden
    // name: one left by a crash is not counted among the folder's files (countFiles) and never blocks an import.
    const std::string base = "." + target_.filename().string() + "." + std::to_string(::getpid()) + "-";
    for (;;) {
        temp_ = folderOf(target_) / (base + std::to_string(temporaryCounter++) + ".tmp");
        fd_ = ops_.open(temp_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, kFileMode);
        if (fd_ >= 0) break;
        if (errno != EEXIST) {
            // Creating a file fails with ENOENT only when its folder is missing.
            Fault fault = errno == ENOENT ? faultFromErrno(ENOTDIR) : lastFault();
            temp_.clear();
            throw fault;
        }
    }
    buffer_.reserve(kBufferSize);
}

AtomicFileWriter::~AtomicFileWriter() { abandon(); }

void AtomicFileWriter::flushBuffer() {
    if (buffer_.empty()) return;
    writeAll(ops_, fd_, buffer_.data(), buffer_.size());
    buffer_.clear();
}

void AtomicFileWriter::write(std::string_view bytes) {
    if (fd_ < 0) throw Fault(91, "the file was already committed or abandoned");
    try {
        if (buffer_.size() + bytes.size() > kBufferSize) {
            flushBuffer();
            if (bytes.size() >= kBufferSize) {
                writeAll(ops_, fd_, bytes.data(), bytes.size());
                size_ += bytes.size();
                return;
            }
        }
        buffer_.append(bytes);
        size_ += bytes.size();
    } catch (const Fault&) {
        abandon();
        throw;
    }
}

void AtomicFileWriter::commit() {
    if (fd_ < 0) throw Fault(91, "the file was already committed or abandoned");
    try {
        flushBuffer();
        if (ops_.fsync(fd_) != 0) throw lastFault();
        int fd = fd_;
        fd_ = -1;
        if (ops_.close(fd) != 0) throw lastFault();
        if (ops_.rename(temp_.c_str(), target_.c_str()) != 0) throw lastFault();
    } catch (const Fault&) {
        abandon();
        throw;
    }
    committed_ = true;
    temp_.clear();
    syncFolder(folderOf(target_), ops_);
}

void AtomicFileWriter::abandon() noexcept {
    discardUnfinished(fd_, temp_, committed_, ops_);
    buffer_.clear();
}

// ---- one-step helpers ----------------------------------------------------------------------------------------

void discardUnfinished(int& fd, std::filesystem::path& temp, bool committed, FileOps& ops) noexcept {
    if (fd >= 0) {
        ops.close(fd);
        fd = -1;
    }
    if (!committed && !temp.empty()) {
        ops.unlink(temp.c_str());
        temp.clear();
    }
}

void writeFileAtomically(const std::filesystem::path& target, std::string_view content, FileOps& ops) {
    AtomicFileWriter writer(target, ops);
    writer.write(content);
    writer.commit();
}

void replaceFileAtomically(const std::filesystem::path& from, const std::filesystem::path& to, FileOps& ops) {
    syncFile(ops, from);
    if (ops.rename(from.c_str(), to.c_str()) != 0) throw lastFault();
    syncFolder(folderOf(to), ops);
    if (folderOf(from) != folderOf(to)) syncFolder(folderOf(from), ops);
}

void syncFolder(const std::filesystem::path& folder, FileOps& ops) {
    int fd = ops.open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC, 0);
    if (fd < 0) throw lastFault();
    // Some file systems cannot sync a folder and say so with EINVAL; there is nothing more to make durable.
    if (ops.fsync(fd) != 0 && errno != EINVAL) {
        Fault fault = lastFault();
        ops.close(fd);
        throw fault;
    }
    if (ops.close(fd) != 0) throw lastFault();
}

void removeFileIfPresent(const std::filesystem::path& path, FileOps& ops) {
    if (ops.unlink(path.c_str()) != 0 && errno != ENOENT) throw lastFault();
}

}  // namespace kova
