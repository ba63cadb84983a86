// Every file and folder under a root with its bytes and modification time: two snapshots compare equal when
// nothing under the root was touched.
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>

namespace kova::testing_support {

struct SnapshotEntry {
    bool folder = false;
    std::string bytes;
    std::int64_t mtimeNs = 0;
    bool operator==(const SnapshotEntry&) const = default;
};
using Snapshot = std::map<std::string, SnapshotEntry>;

// Folders' times too, unless `folderTimes` is false.
Snapshot snapshot(const std::filesystem::path& root, bool folderTimes = true);

}  // namespace kova::testing_support
