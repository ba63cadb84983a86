// Runs a built program to its end and captures its exit status and what it printed: the one way the tests run
// kova-cli and the stand-in Quiboro's installer.
#pragma once

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace kova::testing_support {

// The folder of the built programs and libraries (every test executable is built there too).
std::filesystem::path binFolder();

struct RunResult {
    int exitCode = -1;  // 128 + the signal when the program was killed
    std::string out;
    std::string err;
    std::vector<std::string> outLines() const;
};

// Entries added to (or replacing those of) the current environment; an empty value removes the variable.
using Environment = std::vector<std::pair<std::string, std::string>>;

RunResult runProgram(const std::filesystem::path& program, const std::vector<std::string>& args,
                     const Environment& environment = {}, const std::filesystem::path& workingFolder = {});

// kova-cli of this build. $KOVA_PASTA is removed unless `environment` sets it, so that only the arguments
// choose the program folder.
RunResult runCli(const std::vector<std::string>& args, Environment environment = {},
                 const std::filesystem::path& workingFolder = {});

}  // namespace kova::testing_support
