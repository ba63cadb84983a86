// Files the program keeps are never left truncated under their real name: they are written under a temporary
// name in the same folder, flushed and synced, renamed into place, and the folder is synced.
#pragma once

#include <sys/types.h>

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace kova {

// The system calls a safe write goes through. Every call returns what the system call returns and leaves errno
// set on failure. Tests derive from it (or use FaultInjectingFileOps) to fail a chosen step.
class FileOps {
public:
    virtual ~FileOps() = default;
    virtual int open(const char* path, int flags, mode_t mode);
    virtual ssize_t write(int fd, const void* data, std::size_t size);
    virtual int fsync(int fd);
    virtual int close(int fd);
    virtual int rename(const char* from, const char* to);
    virtual int unlink(const char* path);
};

// The real system calls.
FileOps& systemFileOps();

// Fails one chosen step with a chosen errno, for tests of every layer that keeps files.
class FaultInjectingFileOps : public FileOps {
public:
    enum class Step { None, Open, Write, FileSync, Close, Rename, Unlink, FolderSync };

    Step failStep = Step::None;
    int failErrno = EIO;
    // With Step::Write: the writes succeed until this many bytes went through, then fail (a full disk).
    std::uint64_t failAfterBytes = 0;
    // Fails only the n-th call of the step (1 = the first); 0 fails every call.
    int failOnCall = 0;

    std::uint64_t bytesWritten = 0;

    int open(const char* path, int flags, mode_t mode) override;
    ssize_t write(int fd, const void* data, std::size_t size) override;
    int fsync(int fd) override;
    int close(int fd) override;
    int rename(const char* from, const char* to) override;
    int unlink(const char* path) override;

private:
    int calls_[8] = {};
    bool fails(Step step);
    int fail();
};

// Streaming writer: open the temporary file, write chunks, then commit (the file appears under its real name,
// complete) or abandon (the temporary file is removed). The destructor abandons an uncommitted file.
// Every failure throws kova::Fault and removes the temporary file; the real name is then untouched.
class AtomicFileWriter {
public:
    explicit AtomicFileWriter(std::filesystem::path target, FileOps& ops = systemFileOps());
    ~AtomicFileWriter();
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

    void write(std::string_view bytes);
    // Writes what is buffered, syncs and closes the file, renames it over the target and syncs the folder.
    // If only the folder sync fails, the target already holds the new, complete content; the Fault still
    // reports that its durability is not assured.
    void commit();
    // Closes and removes the temporary file; never throws. Does nothing after commit.
    void abandon() noexcept;

    const std::filesystem::path& target() const { return target_; }
    const std::filesystem::path& temporaryPath() const { return temp_; }
    // Bytes accepted by write() so far (buffered ones included).
    std::uint64_t size() const { return size_; }
    bool committed() const { return committed_; }

private:
    void flushBuffer();

    std::filesystem::path target_;
    std::filesystem::path temp_;
    FileOps& ops_;
    int fd_ = -1;
    std::string buffer_;
    std::uint64_t size_ = 0;
    bool committed_ = false;
};

// Writes the whole content through AtomicFileWriter.
void writeFileAtomically(const std::filesystem::path& target, std::string_view content,
                         FileOps& ops = systemFileOps());

// Puts the finished file `from` in the place of `to` in one step: syncs `from`, renames it over `to` (atomic on
// POSIX: `to` is at every moment either the old or the new file) and syncs the folder. Both must be in the
// same folder. Throws kova::Fault; on a failure before the rename, `to` is untouched and `from` is left in place.
void replaceFileAtomically(const std::filesystem::path& from, const std::filesystem::path& to,
                           FileOps& ops = systemFileOps());

// Makes the folder's entries (a rename, a new or removed file) durable. Throws kova::Fault.
void syncFolder(const std::filesystem::path& folder, FileOps& ops = systemFileOps());

// What a writer leaves when it gives up: `fd` closed (when open) and, unless the file was committed, the
// temporary `temp` removed; both reset.
void discardUnfinished(int& fd, std::filesystem::path& temp, bool committed, FileOps& ops) noexcept;

// Removes a file if it exists; a missing file is not an error. Throws kova::Fault on other failures.
void removeFileIfPresent(const std::filesystem::path& path, FileOps& ops = systemFileOps());

}  // namespace kova
