// Reading the first line (the header record) of an existing delivery file.
#pragma once

#include <filesystem>
#include <string>

#include "core/record_reader.h"

namespace kova {

constexpr int kHeaderReadFailed = 6099;

// If the file exists, reads its first line (bytes up to CR LF, at most 64 KiB) into `line`: 0 on success,
// 6099 when the line cannot be read (an empty file included). A missing file gives 0 and leaves `line` as it was.
int readDeliveryHeader(const std::filesystem::path& path, std::string& line);

// The first line of a file, bounded as above; throws Fault when it cannot be opened or read, and
// Fault 62 when the file is empty.
std::string readFirstLine(const std::filesystem::path& path);
std::string readFirstLine(ByteSource& source);

}  // namespace kova
