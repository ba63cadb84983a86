// Finds a record of a declaration file by its number without reading the file into memory. The records are split
// as the import splits them (core/record_reader.h), so record n here is record n of the error log.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/record_reader.h"

namespace kova {

class RecordLocator {
public:
    // Opens the file and notes its stamp. Throws kova::Fault.
    explicit RecordLocator(std::unique_ptr<ByteSource> source);
    explicit RecordLocator(const std::filesystem::path& path) : RecordLocator(openFileSource(path)) {}

    // Record `number` (from 1): its bytes without CR LF, or nullopt when the file has fewer records. Reads on from
    // the nearest record whose place it has seen (it keeps one every kStride records), so that after one pass
    // over the file any record is at most kStride records away. Throws kova::Fault.
    std::optional<std::string> record(std::int64_t number);

    // Whether the file was written since it was opened (false when the source cannot tell).
    bool fileChanged();

    static constexpr std::int64_t kStride = 1024;

private:
    RecordReader reader_;
    std::string stamp_;
    std::vector<std::uint64_t> starts_;  // starts_[k]: offset of record k * kStride + 1
};

}  // namespace kova
