// Shared by the transmission tests: scratch folders, sealed delivery files, the Quiboro settings, snapshots of
// folders (to prove that nothing was touched) and running the built programs.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "core/ports.h"
#include "support/declaration_builder.h"
#include "support/delivery/sealed_delivery_file.h"
#include "support/file_bytes.h"
#include "support/temp_folder.h"

namespace kova::testing {

namespace fs = std::filesystem;

// The folder of the built programs and libraries (this test executable lives there).
fs::path binFolder();

// A fresh folder removed with everything in it at the end of the test.
using ScratchFolder = testing_support::TempFolder;

using testing_support::writeSealedDeliveryFile;

// Writes qui-bor.ini in `windowsFolder` with the given lines of section "Qui-Bor".
void writeQuiboroSettings(const fs::path& windowsFolder, const std::string& version, const std::string& path);

// Every file and folder under `root` with its bytes and modification time (of folders too, unless
// `folderTimes` is false).
struct Entry {
    bool folder = false;
    std::string bytes;
    std::int64_t mtimeNs = 0;
    bool operator==(const Entry&) const = default;
};
using Snapshot = std::map<std::string, Entry>;
Snapshot snapshot(const fs::path& root, bool folderTimes = true);

using testing_support::readBytes;
using testing_support::writeBytes;

// Records every message and answers through `answer` (default: OK / No).
class RecordingPrompts : public Prompts {
public:
    Answer show(const Message& message) override;
    std::vector<Message> shown;
    std::function<Answer(const Message&)> answer;
};

// Runs a program to its end. `environment` entries are added to (or replace those of) the current environment;
// an empty value removes the variable.
struct RunResult {
    int exitCode = -1;
    std::string out;
    std::string err;
};
RunResult runProgram(const fs::path& program, const std::vector<std::string>& args,
                     const std::vector<std::pair<std::string, std::string>>& environment = {},
                     const fs::path& workingFolder = {});

}  // namespace kova::testing
