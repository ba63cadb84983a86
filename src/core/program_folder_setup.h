// Where the program folder is when none is named, and how a new one is made (kova-cli iniciar, and the first
// start of the installed desktop program).
#pragma once

#include <chrono>
#include <filesystem>
#include <optional>

#include "core/folder_lock.h"

namespace kova {

// The folder an installation keeps its shared files in (help pages): <prefix>/share/kova beside the programs'
// <prefix>/bin. nullopt when the executable runs where it was built: its own folder is then the program folder.
std::optional<std::filesystem::path> installedDataFolder(const std::filesystem::path& executableFolder);

// One user's program folder of an installed program: $XDG_DATA_HOME/kova (when absolute), else
// ~/.local/share/kova.
std::filesystem::path perUserProgramFolder();

// The program folder when none is named: per user when the program is installed (the programs' folder is not
// the user's to write), else the executable's folder.
std::filesystem::path defaultProgramFolder(const std::filesystem::path& executableFolder);

enum class FolderPreparation {
    Created,             // the folder now has a fresh work database
    AlreadyHasDatabase,  // nothing was changed
    InUse,               // another process held the folder's write lock for the whole wait; nothing was changed
};

// Makes the folder (and its parents) and then, under its write lock, removes what an interrupted creation left
// (".KOVALDDB.MDB.*.tmp" and its journal) and creates the work database. A folder that already has one is left
// as it is. Throws kova::Fault.
FolderPreparation prepareProgramFolder(const std::filesystem::path& folder,
                                       std::chrono::milliseconds lockWait = kDefaultWriteLockWait);

}  // namespace kova
