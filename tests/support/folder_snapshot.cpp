#include "support/folder_snapshot.h"

#include <sys/stat.h>

#include <stdexcept>

#include "support/file_bytes.h"

namespace kova::testing_support {

namespace fs = std::filesystem;

Snapshot snapshot(const fs::path& root, bool folderTimes) {
    Snapshot all;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        struct stat info {};
        if (::lstat(entry.path().c_str(), &info) != 0) throw std::runtime_error("lstat failed");
        SnapshotEntry e;
        e.folder = entry.is_directory();
        if (!e.folder || folderTimes)
            e.mtimeNs = static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
        if (!e.folder) e.bytes = readBytes(entry.path());
        all[fs::relative(entry.path(), root).string()] = e;
    }
    return all;
}

}  // namespace kova::testing_support
