#include "core/spooled_error_log.h"

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "core/error_texts.h"
#include "core/faults.h"

namespace kova {

namespace {

constexpr std::size_t kBlockSize = 64 * 1024;

int openUnnamedFile(const std::filesystem::path& folder) {
#ifdef O_TMPFILE
    const int fd = ::open(folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    if (fd >= 0) return fd;
    // EISDIR or EOPNOTSUPP: the file system has no unnamed files; the other failures are the folder's own.
    if (errno != EISDIR && errno != EOPNOTSUPP) throw faultFromErrno(errno);
#endif
    std::string pattern = (folder / "kova-XXXXXX").string();
    const int named = ::mkstemp(pattern.data());
    if (named < 0) throw faultFromErrno(errno);
    ::unlink(pattern.c_str());  // at once: from here on the file has no name
    return named;
}

template <class Number>
void appendNumber(std::string& out, Number value) {
    out.append(reinterpret_cast<const char*>(&value), sizeof value);
}

void appendText(std::string& out, const std::string& text) {
    appendNumber(out, static_cast<std::uint32_t>(text.size()));
    out += text;
}

// Reads the rows back block by block.
class RowReader {
public:
    RowReader(int fd, std::uint64_t size) : fd_(fd), size_(size) {}
    bool atEnd() const { return offset_ >= size_ && pos_ >= block_.size(); }

    template <class Number>
    Number number() {
        Number value{};
        take(reinterpret_cast<char*>(&value), sizeof value);
        return value;
    }
    void text(std::string& out) {
        out.resize(number<std::uint32_t>());
        take(out.data(), out.size());
    }

private:
    void take(char* out, std::size_t n) {
        while (n > 0) {
            if (pos_ == block_.size()) fill();
            const std::size_t part = std::min(n, block_.size() - pos_);
            std::memcpy(out, block_.data() + pos_, part);
            pos_ += part;
            out += part;
            n -= part;
        }
    }
    void fill() {
        block_.resize(static_cast<std::size_t>(std::min<std::uint64_t>(kBlockSize, size_ - offset_)));
        if (block_.empty()) throw faultFromErrno(EIO);  // the file ends inside a row
        std::size_t got = 0;
        while (got < block_.size()) {
            const ssize_t n = ::pread(fd_, block_.data() + got, block_.size() - got, static_cast<off_t>(offset_ + got));
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) throw faultFromErrno(n < 0 ? errno : EIO);
            got += static_cast<std::size_t>(n);
        }
        offset_ += got;
        pos_ = 0;
    }

    int fd_;
    std::uint64_t size_;
    std::uint64_t offset_ = 0;
    std::string block_;
    std::size_t pos_ = 0;
};

}  // namespace

SpooledErrorLog::SpooledErrorLog(const std::filesystem::path& folder) : fd_(openUnnamedFile(folder)) {}

SpooledErrorLog::~SpooledErrorLog() { ::close(fd_); }

void SpooledErrorLog::recordRow(const ErrorRow& row) {
    // Earlier rows go out first, so that a failure never leaves half of this one written.
    if (pending_.size() >= kBlockSize) flush();
    appendText(pending_, row.recordType);
    appendNumber(pending_, row.recordNumber);
    appendText(pending_, row.firstColumn);
    appendText(pending_, row.lastColumn);
    appendNumber(pending_, static_cast<std::int32_t>(row.code));
    appendText(pending_, row.cnpj);
    appendText(pending_, row.name);
    appendText(pending_, row.complement.value_or(""));  // a missing complement lists as "", as the database does
    appendText(pending_, row.value);
    ++rows_;
}

void SpooledErrorLog::flush() {
    std::size_t done = 0;
    while (done < pending_.size()) {
        const ssize_t n = ::pwrite(fd_, pending_.data() + done, pending_.size() - done,
                                   static_cast<off_t>(written_ + done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            const int err = n < 0 ? errno : EIO;
            // What did go out stays written; the rest is tried again with the next row or listing.
            pending_.erase(0, done);
            written_ += done;
            faulted_ = true;
            throw faultFromErrno(err);
        }
        done += static_cast<std::size_t>(n);
    }
    written_ += done;
    pending_.clear();
}

void SpooledErrorLog::emptyLog() {
    if (::ftruncate(fd_, 0) != 0) throw faultFromErrno(errno);
    pending_.clear();
    written_ = 0;
    rows_ = 0;
}

void SpooledErrorLog::listErrors(const std::function<bool(const ErrorListing&)>& visit) {
    flush();
    RowReader reader(fd_, written_);
    ErrorListing row;
    while (!reader.atEnd()) {
        reader.text(row.recordType);
        row.recordNumber = reader.number<std::int64_t>();
        reader.text(row.firstColumn);
        reader.text(row.lastColumn);
        row.code = reader.number<std::int32_t>();
        reader.text(row.cnpj);
        reader.text(row.name);
        reader.text(row.complement);
        reader.text(row.value);
        const std::string_view text = errorText(row.code);
        row.description = text.empty() ? "Erro " + std::to_string(row.code) + " sem descrição." : std::string(text);
        if (!visit(row)) return;
    }
}

}  // namespace kova
