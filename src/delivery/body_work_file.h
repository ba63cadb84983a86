// The body work file of a generation ("TEMPORAR.TXT" in the program folder): the detail, "R1" and "R9" records
// wait here while the header, which seals them all, is not yet known. Its name is removed as soon as the file is
// created: the open descriptor keeps the content, and no stop, a crash included, leaves the file behind.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "core/atomic_file.h"

namespace kova {

inline constexpr const char* kBodyWorkFileName = "TEMPORAR.TXT";

class BodyWorkFile {
public:
    // Deletes a file left under that name and creates the work file empty. Throws Fault.
    BodyWorkFile(const std::filesystem::path& path, FileOps& ops = systemFileOps());
    ~BodyWorkFile();
    BodyWorkFile(const BodyWorkFile&) = delete;
    BodyWorkFile& operator=(const BodyWorkFile&) = delete;

    // Buffered. Throws Fault before taking any byte of `bytes`, so a retry appends them exactly once.
    void append(std::string_view bytes);
    // Writes what is buffered and goes back to the first byte for reading. Throws Fault.
    void rewind();
    // Reads up to n bytes at the current position; 0 at the end. Throws Fault.
    std::size_t read(char* buffer, std::size_t n);
    // Bytes appended so far.
    std::uint64_t size() const { return size_; }

private:
    void flush();
    FileOps& ops_;
    int fd_ = -1;
    std::string buffer_;
    std::uint64_t size_ = 0;
};

}  // namespace kova
