// kova-cli diagnostico: its exit status follows the lines, --json gives one object per line, and an installed
// kova-cli looks at the user's own program folder.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/program_run.h"
#include "support/temp_folder.h"

namespace kova {
namespace {

namespace fs = std::filesystem;
using testing_support::binFolder;
using testing_support::runCli;
using testing_support::RunResult;
using testing_support::TempFolder;

// The object of one item in the --json output ("" when it is missing).
std::string item(const RunResult& run, const std::string& key) {
    for (const std::string& line : run.outLines())
        if (line.starts_with("{\"item\":\"" + key + "\",")) return line;
    return "";
}

class CliDiagnostico : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(runCli({"iniciar", "--pasta", program.path().string()}).exitCode, 0);
        ASSERT_EQ(testing_support::runProgram(binFolder() / "quiboro-instalar", {}, environment()).exitCode, 0);
    }
    testing_support::Environment environment() const {
        return {{"KOVA_WINDIR", windows.path().string()}, {"LC_ALL", "pt_BR.UTF-8"}};
    }
    RunResult diagnostico(std::vector<std::string> args) {
        args.insert(args.begin(), "diagnostico");
        return runCli(args, environment());
    }
    TempFolder program;
    TempFolder windows;
};

TEST_F(CliDiagnostico, ExitsZeroOnlyWhenNoLineIsToFix) {
    const RunResult ready = diagnostico({"--pasta", program.path().string()});
    EXPECT_EQ(ready.out.find("[corrigir]") == std::string::npos, ready.exitCode == 0) << ready.out;
    EXPECT_EQ(ready.out.rfind("[pronto] Pasta do programa: " + program.path().string() + " existe", 0), 0u);
    EXPECT_NE(ready.out.find("\n[pronto] Biblioteca do Quiboro: " + (binFolder() / "libtrama21.so").string()),
              std::string::npos)
        << ready.out;

    std::ofstream(program / "KOVALDDB.MDB", std::ios::binary) << std::string(2048, '\xff');
    const RunResult damaged = diagnostico({"--pasta", program.path().string(), "--json"});
    EXPECT_EQ(damaged.exitCode, 1);
    EXPECT_EQ(damaged.outLines().size(), 9u);
    EXPECT_EQ(
        item(damaged, "banco")
            .rfind("{\"item\":\"banco\",\"assunto\":\"Banco de dados de trabalho\",\"estado\":\"corrigir\",\"detalhe\":"
                   "\"KOVALDDB.MDB não pode ser usado (erro 3049: ",
                   0),
        0u)
        << damaged.out;
    EXPECT_NE(item(damaged, "quiboro-versao").find("\"estado\":\"pronto\""), std::string::npos) << damaged.out;
    EXPECT_EQ(damaged.err, "");
}

TEST_F(CliDiagnostico, InstalledItLooksAtTheUsersOwnFolder) {
    TempFolder prefix;
    fs::create_directories(prefix / "bin");
    fs::create_directories(prefix / "share" / "kova");
    fs::copy_file(binFolder() / "kova-cli", prefix / "bin" / "kova-cli");
    testing_support::Environment environment = this->environment();
    environment.emplace_back("XDG_DATA_HOME", (prefix / "dados").string());
    environment.emplace_back("KOVA_PASTA", "");
    const RunResult run =
        testing_support::runProgram(prefix / "bin" / "kova-cli", {"diagnostico", "--json"}, environment);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(item(run, "pasta").find("\"detalhe\":\"" + (prefix / "dados" / "kova").string() + " não existe.\""),
              std::string::npos)
        << run.out;
}

}  // namespace
}  // namespace kova
