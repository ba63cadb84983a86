// kova-cli run as the built program in a fresh program folder that `kova-cli iniciar` made.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/program_run.h"
#include "support/temp_folder.h"

namespace kova {

namespace fs = std::filesystem;
using testing_support::runCli;
using testing_support::RunResult;

inline const fs::path kCleanSample = fs::path(KOVA_SAMPLES_DIR) / "declaracao-correta.txt";
inline const fs::path kSampleWithErrors = fs::path(KOVA_SAMPLES_DIR) / "declaracao-com-erros.txt";

class CliProgram : public ::testing::Test {
public:
    void SetUp() override { ASSERT_EQ(runCli({"iniciar", "--pasta", program().string()}).exitCode, 0); }

    fs::path program() const { return scratch / "programa"; }
    // The command with --pasta of the program folder.
    RunResult inProgram(std::vector<std::string> args, const testing_support::Environment& environment = {},
                        const fs::path& workingFolder = {}) const {
        args.insert(args.end(), {"--pasta", program().string()});
        return runCli(args, environment, workingFolder);
    }

    testing_support::TempFolder scratch;
};

}  // namespace kova
