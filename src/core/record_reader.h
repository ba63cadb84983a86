// Streams a declaration file record by record, never holding the file in memory.
// A record is the bytes up to CR LF (the CR LF is not part of it). A lone CR or LF is an ordinary byte of the
// record (so the record's length shows it); a last record without CR LF is returned as it stands.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

namespace kova {

// The byte layer under the reader, so tests can make reads fail after N bytes.
class ByteSource {
public:
    virtual ~ByteSource() = default;
    // Reads up to n bytes at the current position; returns the count (0 at the end). Throws Fault on failure.
    virtual std::size_t read(char* buffer, std::size_t n) = 0;
    virtual void seek(std::uint64_t offset) = 0;  // throws Fault
    virtual std::uint64_t size() = 0;            // throws Fault
    // What changes whenever the file is written (its identity, size and modification time); "" when the source
    // cannot tell.
    virtual std::string stamp() { return {}; }
};

// A file opened for reading; open failures throw Fault (53 missing, 70 permission, ...).
std::unique_ptr<ByteSource> openFileSource(const std::filesystem::path& path);

class RecordReader {
public:
    explicit RecordReader(std::unique_ptr<ByteSource> source);
    explicit RecordReader(const std::filesystem::path& path);

    // Next record into `record`; false at the end of the file. Throws Fault on a read failure.
    bool next(std::string& record);
    // The same without copying: `record` views the reader's buffer and stays valid until the next call.
    bool next(std::string_view& record);
    // Whether the record just read was ended by CR LF (false only for a last record without it).
    bool lastEndedWithCrLf() const { return endedWithCrLf_; }
    void rewind() { seek(0); }
    // Where the next record starts in the file; seek(offset()) later reads the same records again.
    std::uint64_t offset() const { return bufferStart_ + pos_; }
    void seek(std::uint64_t offset);
    std::uint64_t size();
    std::string stamp() { return source_->stamp(); }
    // Byte at a 1-based offset of the file, or -1 past its end (the reader's position is kept).
    int byteAt(std::uint64_t position);

private:
    bool fill();
    bool readRecord(std::string_view& record);
    std::unique_ptr<ByteSource> source_;
    std::unique_ptr<char[]> block_;  // read into without being cleared first
    std::size_t filled_ = 0;
    std::string spill_;  // a record that runs across two blocks
    std::size_t pos_ = 0;
    std::uint64_t bufferStart_ = 0;  // file offset of block_[0]
    bool eof_ = false;
    bool endedWithCrLf_ = true;
    bool resync_ = false;  // the source must be sought to the end of the block before the next read
};

}  // namespace kova
