#include "delivery/body_work_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "core/faults.h"

namespace kova {

namespace {
constexpr std::size_t kBufferSize = 256 * 1024;
}  // namespace

BodyWorkFile::BodyWorkFile(const std::filesystem::path& path, FileOps& ops) : ops_(ops) {
    removeFileIfPresent(path, ops_);
    fd_ = ops_.open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd_ < 0) throw faultFromErrno(errno == ENOENT ? ENOTDIR : errno);
    if (ops_.unlink(path.c_str()) != 0) {
        const Fault fault = faultFromErrno(errno);
        ops_.close(fd_);
        fd_ = -1;
        ::unlink(path.c_str());  // best effort: the name must not outlive the generation
        throw fault;
    }
    buffer_.reserve(kBufferSize);
}

BodyWorkFile::~BodyWorkFile() {
    if (fd_ >= 0) ops_.close(fd_);
}

void BodyWorkFile::flush() {
    std::size_t done = 0;
    while (done < buffer_.size()) {
        const ssize_t n = ops_.write(fd_, buffer_.data() + done, buffer_.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            const int err = n < 0 ? errno : EIO;
            buffer_.erase(0, done);  // what went through stays written; the rest waits for the retry
            throw faultFromErrno(err);
        }
        done += static_cast<std::size_t>(n);
    }
    buffer_.clear();
}

void BodyWorkFile::append(std::string_view bytes) {
    if (buffer_.size() + bytes.size() > kBufferSize) flush();
    buffer_.append(bytes);
    size_ += bytes.size();
}

void BodyWorkFile::rewind() {
    flush();
    if (::lseek(fd_, 0, SEEK_SET) < 0) throw faultFromErrno(errno);
}

std::size_t BodyWorkFile::read(char* buffer, std::size_t n) {
    for (;;) {
        const ssize_t got = ::read(fd_, buffer, n);
        if (got >= 0) return static_cast<std::size_t>(got);
        if (errno != EINTR) throw faultFromErrno(errno);
    }
}

}  // namespace kova
