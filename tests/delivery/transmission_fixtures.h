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

namespace kova::testing {

namespace fs = std::filesystem;

// The folder of the built programs and libraries (this test executable lives there).
fs::path binFolder();

// A fresh folder removed with everything in it at the end of the test.
class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    const fs::path& path() const { return path_; }
    fs::path operator/(const std::string& name) const { return path_ / name; }

private:
    fs::path path_;
};

// A delivery file sealed record by record, as generation writes it, from a clean declaration; written into
// `folder` under its own name. Returns its path.
fs::path writeSealedDeliveryFile(const fs::path& folder, const fixtures::DeclarationBuilder& declaration);

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

std::string readBytes(const fs::path& file);
void writeBytes(const fs::path& file, const std::string& bytes);

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
