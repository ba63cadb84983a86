// File helpers of the import screen.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string_view>
#include <string>
#include <system_error>

#include "core/faults.h"

namespace kova {

// countFiles: entries of the folder whose names match the pattern ("*" and "?" wildcards, case-insensitive);
// "*.*" matches every name. Regular files only; 0 when the folder does not exist or cannot be read.
std::int32_t countFiles(const std::filesystem::path& folder, const std::string& pattern);

// fileIsReadable: true when the path names a file that can be opened for reading. Never throws.
bool fileIsReadable(const std::filesystem::path& path);

// The regular file `name` in `folder`, matched without regard to case (an exact match first); nullopt when there is
// none. A folder that cannot be listed is a fault; a missing folder simply holds nothing.
std::optional<std::filesystem::path> findFileIgnoringCase(const std::filesystem::path& folder, std::string_view name);

// The fault of a failed file-system call (errno numbering), so that its message shows the table's text.
Fault faultFromErrorCode(const std::error_code& ec);

}  // namespace kova
