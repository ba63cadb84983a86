// The delivery file while it is written. Its header seals everything after it, so it is known last: its place is
// kept at the start of the file, the sealed records are appended as the checks pass them, the header goes into its
// place at the end, and the finished file takes its real name in one step. The file is written once, without a
// name (or, where the file system cannot do that, under a hidden name of its own) in the folder of generated
// declarations; a refusal, a cancel, a fault or a crash keeps an earlier delivery file as it was.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "core/atomic_file.h"

namespace kova {

class DeliveryFileWriter {
public:
    // Creates the file in `folder` (on the target's file system) with `headerSpace` bytes kept for the header.
    // Throws Fault.
    DeliveryFileWriter(const std::filesystem::path& folder, std::string_view deliveryFileName,
                       std::size_t headerSpace, FileOps& ops = systemFileOps());
    ~DeliveryFileWriter();
    DeliveryFileWriter(const DeliveryFileWriter&) = delete;
    DeliveryFileWriter& operator=(const DeliveryFileWriter&) = delete;

    // Buffered. A Fault takes no byte of `bytes` (what an earlier call buffered is kept), so a retry appends
    // them exactly once.
    void append(std::string_view bytes);
    // The header into its kept place; it must be exactly as long as the place. Throws Fault.
    void writeHeader(std::string_view header);
    // Syncs the file and renames it over `target` (a folder on the same file system), then syncs both folders.
    // Throws Fault; before the rename the target is untouched. After a fault it may be called again.
    void commit(const std::filesystem::path& target);
    // Removes the unfinished file; never throws. Does nothing after commit.
    void abandon() noexcept;

    // Bytes appended after the header's place.
    std::uint64_t bodySize() const { return bodySize_; }

private:
    void flush();
    // Gives the unnamed file a hidden name in `folder`, so that it can be renamed over the target.
    void nameTheFile(const std::filesystem::path& folder);

    FileOps& ops_;
    std::string hiddenPrefix_;
    std::filesystem::path temp_;  // the file's hidden name, once it has one
    std::filesystem::path renamedFrom_;
    int fd_ = -1;
    std::string buffer_;
    std::size_t headerSpace_;
    std::uint64_t bodySize_ = 0;
    bool committed_ = false;
};

// Whether a name is one this writer gives its hidden files (a leftover of a generation that was killed).
bool isDeliveryTemporaryName(std::string_view fileName);

}  // namespace kova
