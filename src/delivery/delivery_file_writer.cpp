#include "delivery/delivery_file_writer.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "core/faults.h"
#include "core/text.h"

namespace kova {

namespace {

constexpr std::size_t kBufferSize = 1024 * 1024;
constexpr std::string_view kTemporarySuffix = ".tmp";

// Writes all of `bytes` at the current position; returns how many went through before a failure (errno set).
std::size_t writeSome(FileOps& ops, int fd, std::string_view bytes, int& err) {
    std::size_t done = 0;
    err = 0;
    while (done < bytes.size()) {
        const ssize_t n = ops.write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            err = n < 0 ? errno : EIO;  // a regular file never accepts nothing: do not spin
            break;
        }
        done += static_cast<std::size_t>(n);
    }
    return done;
}

}  // namespace

bool isDeliveryTemporaryName(std::string_view fileName) {
    return fileName.size() > 1 && fileName.front() == '.' && endsWithIgnoringCase(fileName, kTemporarySuffix) &&
           fileName.find(".DEC.") != std::string_view::npos;
}

DeliveryFileWriter::DeliveryFileWriter(const std::filesystem::path& folder, std::string_view deliveryFileName,
                                       std::size_t headerSpace, FileOps& ops)
    : ops_(ops), hiddenPrefix_("." + std::string(deliveryFileName) + "."), headerSpace_(headerSpace) {
    // Best: a file without a name, which a crash cannot leave behind; it gets one only when complete.
    fd_ = ::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0644);
    if (fd_ < 0) {
        // A file system without unnamed files: a unique hidden name, never counted among a folder's files.
        std::string name = (folder / (hiddenPrefix_ + "XXXXXX" + std::string(kTemporarySuffix))).string();
        fd_ = ::mkostemps(name.data(), static_cast<int>(kTemporarySuffix.size()), O_CLOEXEC);
        if (fd_ < 0) throw faultFromErrno(errno == ENOENT ? ENOTDIR : errno);
        temp_ = name;
        ::fchmod(fd_, 0644);  // a delivery file is shared as any document is, not private as a temporary file
    }
    buffer_.reserve(kBufferSize);
    buffer_.assign(headerSpace_, ' ');
}

DeliveryFileWriter::~DeliveryFileWriter() { abandon(); }

void DeliveryFileWriter::flush() {
    int err = 0;
    const std::size_t done = writeSome(ops_, fd_, buffer_, err);
    buffer_.erase(0, done);  // what went through stays written; the rest waits for the retry
    if (err != 0) throw faultFromErrno(err);
}

void DeliveryFileWriter::append(std::string_view bytes) {
    if (fd_ < 0) throw Fault(91, "the delivery file was already committed or abandoned");
    if (buffer_.size() + bytes.size() > kBufferSize) flush();
    buffer_.append(bytes);
    bodySize_ += bytes.size();
}

void DeliveryFileWriter::writeHeader(std::string_view header) {
    if (fd_ < 0) throw Fault(91, "the delivery file was already committed or abandoned");
    if (header.size() != headerSpace_) throw Fault(5, "the header does not fit its place");
    flush();
    if (::lseek(fd_, 0, SEEK_SET) < 0) throw faultFromErrno(errno);
    int err = 0;
    writeSome(ops_, fd_, header, err);
    const int seekErr = ::lseek(fd_, 0, SEEK_END) < 0 ? errno : 0;
    if (err != 0) throw faultFromErrno(err);
    if (seekErr != 0) throw faultFromErrno(seekErr);
}

void DeliveryFileWriter::commit(const std::filesystem::path& target) {
    // Each stage can be tried again after its fault: the sync while the file is open, the rename once it is
    // closed, the folders' sync once it has its name.
    if (!committed_) {
        if (fd_ >= 0) {
            flush();
            if (ops_.fsync(fd_) != 0) throw faultFromErrno(errno);
            if (temp_.empty()) nameTheFile(target.parent_path());
            const int fd = fd_;
            fd_ = -1;
            if (ops_.close(fd) != 0) {
                const Fault fault = faultFromErrno(errno);
                abandon();  // what the file holds can no longer be trusted
                throw fault;
            }
        }
        if (temp_.empty()) throw Fault(91, "the delivery file was already abandoned");
        if (ops_.rename(temp_.c_str(), target.c_str()) != 0) throw faultFromErrno(errno);
        committed_ = true;
        renamedFrom_ = temp_.parent_path();
        temp_.clear();
    }
    syncFolder(target.parent_path(), ops_);
    if (renamedFrom_ != target.parent_path()) syncFolder(renamedFrom_, ops_);
}

void DeliveryFileWriter::nameTheFile(const std::filesystem::path& folder) {
    const std::string fdPath = "/proc/self/fd/" + std::to_string(fd_);
    for (int attempt = 0;; ++attempt) {
        const std::filesystem::path name =
            folder / (hiddenPrefix_ + std::to_string(::getpid()) + "-" + std::to_string(attempt) +
                      std::string(kTemporarySuffix));
        if (::linkat(AT_FDCWD, fdPath.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0 ||
            ::linkat(fd_, "", AT_FDCWD, name.c_str(), AT_EMPTY_PATH) == 0) {
            temp_ = name;
            return;
        }
        if (errno != EEXIST) throw faultFromErrno(errno);
    }
}

void DeliveryFileWriter::abandon() noexcept {
    discardUnfinished(fd_, temp_, committed_, ops_);
    buffer_.clear();
}

}  // namespace kova
