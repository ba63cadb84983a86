#include "core/program_folder_setup.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <string_view>
#include <system_error>

#include "core/atomic_file.h"
#include "core/faults.h"
#include "core/work_database.h"

namespace kova {

namespace fs = std::filesystem;

namespace {

fs::path absoluteVariable(const char* name) {
    const char* value = std::getenv(name);
    const fs::path path = value ? fs::path(value) : fs::path();
    return path.is_absolute() ? path : fs::path();
}

// The temporary files of a database creation that never finished: its hidden name and SQLite's journal beside it.
bool isCreationLeftover(std::string_view name) {
    const std::string prefix = "." + std::string(kWorkDatabaseFile) + ".";
    return name.starts_with(prefix) && (name.ends_with(".tmp") || name.ends_with(".tmp-journal"));
}

void removeCreationLeftovers(const fs::path& folder) {
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        if (isCreationLeftover(it->path().filename().string())) removeFileIfPresent(it->path());
    }
    if (ec) throw faultFromErrno(ec.value());
}

bool hasDatabase(const fs::path& folder) {
    std::error_code ec;
    return fs::exists(fs::symlink_status(folder / kWorkDatabaseFile, ec));
}

}  // namespace

std::optional<fs::path> installedDataFolder(const fs::path& executableFolder) {
    if (executableFolder.filename() != "bin") return std::nullopt;
    const fs::path data = executableFolder.parent_path() / "share" / "kova";
    std::error_code ec;
    return fs::is_directory(data, ec) ? std::optional(data) : std::nullopt;
}

fs::path perUserProgramFolder() {
    if (fs::path data = absoluteVariable("XDG_DATA_HOME"); !data.empty()) return data / "kova";
    fs::path home = absoluteVariable("HOME");
    if (home.empty()) {
        if (const passwd* user = ::getpwuid(::getuid()); user && user->pw_dir) home = user->pw_dir;
    }
    return home / ".local" / "share" / "kova";
}

fs::path defaultProgramFolder(const fs::path& executableFolder) {
    return installedDataFolder(executableFolder) ? perUserProgramFolder() : executableFolder;
}

FolderPreparation prepareProgramFolder(const fs::path& folder, std::chrono::milliseconds lockWait) {
    if (hasDatabase(folder)) return FolderPreparation::AlreadyHasDatabase;
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (ec) throw faultFromErrno(ec.value());
    const auto lock = FolderWriteLock::acquire(folder, lockWait);
    if (!lock) return FolderPreparation::InUse;
    // Another creation may have finished while this one waited.
    if (hasDatabase(folder)) return FolderPreparation::AlreadyHasDatabase;
    removeCreationLeftovers(folder);
    createDatabase(folder / kWorkDatabaseFile);
    return FolderPreparation::Created;
}

}  // namespace kova
