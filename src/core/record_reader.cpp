#include "core/record_reader.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "core/faults.h"

namespace kova {

namespace {

constexpr std::size_t kBufferSize = 1 << 20;
// A record is 142 bytes; a line longer than this is kept only up to here (its length is wrong either way), so a
// file without line ends cannot make the reader hold it all in memory.
constexpr std::size_t kMaxRecordBytes = 4 << 20;

void appendCapped(std::string& record, const char* bytes, std::size_t n) {
    if (record.size() < kMaxRecordBytes) record.append(bytes, std::min(n, kMaxRecordBytes - record.size()));
}

#ifdef _WIN32
int seekTo(std::FILE* f, std::uint64_t offset, int whence) {
    return _fseeki64(f, static_cast<long long>(offset), whence);
}
long long tellOf(std::FILE* f) { return _ftelli64(f); }
#else
int seekTo(std::FILE* f, std::uint64_t offset, int whence) {
    return fseeko(f, static_cast<off_t>(offset), whence);
}
long long tellOf(std::FILE* f) { return static_cast<long long>(ftello(f)); }
#endif

// errno after a failed call, never 0 (a failure without errno is still a device error).
int lastErrno() { return errno != 0 ? errno : EIO; }

class FileSource : public ByteSource {
public:
    explicit FileSource(const std::filesystem::path& path) {
        std::error_code ec;
        // A folder opens fine on some systems and only fails at the first read: refuse it here.
        if (std::filesystem::is_directory(path, ec)) throw faultFromErrno(EISDIR);
        errno = 0;
        file_ = std::fopen(path.string().c_str(), "rb");
        if (file_ == nullptr) {
            const int err = lastErrno();
            // A missing folder is its own fault (76), not a missing file (53).
            if (err == ENOENT && path.has_parent_path() && !std::filesystem::exists(path.parent_path(), ec))
                throw faultFromErrno(ENOTDIR);
            throw faultFromErrno(err);
        }
        // The reader buffers on its own.
        std::setvbuf(file_, nullptr, _IONBF, 0);
    }
    ~FileSource() override { std::fclose(file_); }
    FileSource(const FileSource&) = delete;
    FileSource& operator=(const FileSource&) = delete;

    std::size_t read(char* buffer, std::size_t n) override {
        std::size_t total = 0;
        while (total < n) {
            errno = 0;
            const std::size_t got = std::fread(buffer + total, 1, n - total, file_);
            total += got;
            if (got > 0) continue;
            if (std::feof(file_)) break;
            if (std::ferror(file_)) {
                const int err = lastErrno();
                std::clearerr(file_);
                if (err == EINTR) continue;
                throw faultFromErrno(err);
            }
            break;
        }
        return total;
    }

    void seek(std::uint64_t offset) override {
        errno = 0;
        if (seekTo(file_, offset, SEEK_SET) != 0) throw faultFromErrno(lastErrno());
        std::clearerr(file_);
    }

    std::uint64_t size() override {
        errno = 0;
        const long long here = tellOf(file_);
        if (here < 0 || seekTo(file_, 0, SEEK_END) != 0) throw faultFromErrno(lastErrno());
        const long long end = tellOf(file_);
        if (end < 0 || seekTo(file_, static_cast<std::uint64_t>(here), SEEK_SET) != 0)
            throw faultFromErrno(lastErrno());
        return static_cast<std::uint64_t>(end);
    }

    std::string stamp() override {
        struct stat st {};
        if (::fstat(fileno(file_), &st) != 0) return {};
        // Not the change time: a file renamed away while it is read is not a file written while it is read.
        return std::to_string(st.st_dev) + ":" + std::to_string(st.st_ino) + ":" + std::to_string(st.st_size) +
               ":" + std::to_string(st.st_mtim.tv_sec) + "." + std::to_string(st.st_mtim.tv_nsec);
    }

private:
    std::FILE* file_ = nullptr;
};

}  // namespace

std::unique_ptr<ByteSource> openFileSource(const std::filesystem::path& path) {
    return std::make_unique<FileSource>(path);
}

RecordReader::RecordReader(std::unique_ptr<ByteSource> source) : source_(std::move(source)) {}

RecordReader::RecordReader(const std::filesystem::path& path) : RecordReader(openFileSource(path)) {}

bool RecordReader::fill() {
    bufferStart_ += filled_;
    filled_ = 0;
    pos_ = 0;
    if (resync_) {
        source_->seek(bufferStart_);
        resync_ = false;
    }
    if (!block_) block_ = std::make_unique_for_overwrite<char[]>(kBufferSize);
    filled_ = std::min(source_->read(block_.get(), kBufferSize), kBufferSize);
    eof_ = filled_ == 0;
    return !eof_;
}

bool RecordReader::next(std::string& record) {
    std::string_view view;
    const bool got = next(view);
    record.assign(view);
    return got;
}

bool RecordReader::next(std::string_view& record) {
    const std::uint64_t recordStart = bufferStart_ + pos_;
    try {
        return readRecord(record);
    } catch (...) {
        // Go back to the start of the record so that a retry reads it whole, not just its tail.
        filled_ = 0;
        pos_ = 0;
        bufferStart_ = recordStart;
        eof_ = false;
        resync_ = true;
        throw;
    }
}

bool RecordReader::readRecord(std::string_view& record) {
    // A record inside the block is handed out as a view of it; one that runs past the block is gathered in spill_.
    spill_.clear();
    bool any = false;  // whether this record has at least one byte (or its CR LF)
    for (;;) {
        if (pos_ >= filled_) {
            if (eof_ || !fill()) {
                endedWithCrLf_ = false;
                record = spill_;
                return any;
            }
        }
        const bool spilled = any;
        any = true;
        const char* base = block_.get();
        const std::size_t start = pos_;
        std::size_t from = start;
        const char* found = nullptr;
        // A lone CR is an ordinary byte of the record: look on for a CR with its LF.
        while ((found = static_cast<const char*>(std::memchr(base + from, '\r', filled_ - from))) != nullptr) {
            const std::size_t cr = static_cast<std::size_t>(found - base);
            if (cr + 1 >= filled_ || base[cr + 1] == '\n') break;
            from = cr + 1;
        }
        if (found == nullptr) {
            appendCapped(spill_, base + start, filled_ - start);
            pos_ = filled_;
            continue;
        }
        const std::size_t cr = static_cast<std::size_t>(found - base);
        if (cr + 1 < filled_) {
            pos_ = cr + 2;
            endedWithCrLf_ = true;
            if (!spilled) {
                record = std::string_view(base + start, cr - start);
                return true;
            }
            appendCapped(spill_, base + start, cr - start);
            record = spill_;
            return true;
        }
        // The CR is the last byte of the block: its LF, if any, starts the next one.
        appendCapped(spill_, base + start, cr - start);
        pos_ = filled_;
        if (!eof_ && fill() && block_[0] == '\n') {
            pos_ = 1;
            endedWithCrLf_ = true;
            record = spill_;
            return true;
        }
        appendCapped(spill_, "\r", 1);
    }
}

void RecordReader::seek(std::uint64_t offset) {
    filled_ = 0;
    pos_ = 0;
    bufferStart_ = offset;
    eof_ = false;
    endedWithCrLf_ = true;
    resync_ = true;  // the seek happens at the next read, where a failure is reported like any read failure
}

std::uint64_t RecordReader::size() {
    resync_ = true;  // a source may move its position to find its size
    return source_->size();
}

int RecordReader::byteAt(std::uint64_t position) {
    if (position == 0) return -1;
    const std::uint64_t offset = position - 1;
    if (offset >= bufferStart_ && offset - bufferStart_ < filled_)
        return static_cast<unsigned char>(block_[offset - bufferStart_]);
    if (offset >= size()) return -1;
    resync_ = true;  // the next block is read from where it belongs, whatever happens here
    source_->seek(offset);
    char byte = 0;
    return source_->read(&byte, 1) == 1 ? static_cast<unsigned char>(byte) : -1;
}

}  // namespace kova
