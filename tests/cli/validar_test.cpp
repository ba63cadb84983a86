#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/declaration_builder.h"
#include "support/folder_snapshot.h"
#include "support/program_run.h"
#include "support/temp_folder.h"

namespace kova {
namespace {

namespace fs = std::filesystem;
using testing_support::runCli;
using testing_support::RunResult;
using testing_support::TempFolder;

const fs::path kSamples = KOVA_SAMPLES_DIR;
const fs::path kClean = kSamples / "declaracao-correta.txt";
const fs::path kWithErrors = kSamples / "declaracao-com-erros.txt";

bool isErrorRow(const std::string& line) { return line.find("\"TIPOREG\"") != std::string::npos; }

TEST(CliValidar, JsonRowsAreImportarsInTheOrderOfTheArguments) {
    TempFolder program;
    ASSERT_EQ(runCli({"iniciar", "--pasta", program.path().string()}).exitCode, 0);
    const RunResult imported =
        runCli({"importar", kWithErrors.string(), "--pasta", program.path().string(), "--json"});
    ASSERT_EQ(imported.exitCode, 1) << imported.err;

    const RunResult r = runCli({"validar", kWithErrors.string(), kClean.string(), kWithErrors.string(), "--json",
                                "--jobs", "2"});
    EXPECT_EQ(r.exitCode, 1) << r.err;
    std::vector<std::string> expected;
    for (const fs::path& file : {kWithErrors, kClean, kWithErrors}) {
        const std::string name = "{\"arquivo\":\"" + file.string() + "\",";
        const bool errors = file == kWithErrors;
        expected.push_back(name + "\"erros\":" + std::to_string(errors ? imported.outLines().size() : 0) +
                           ",\"resultado\":\"" + (errors ? "com erros" : "sem erros") + "\"}");
        if (errors)
            for (const std::string& row : imported.outLines()) expected.push_back(name + row.substr(1));
    }
    std::vector<std::string> lines = r.outLines();
    // Summaries: the file's name and its counts; the declarant and record count in between are not compared.
    for (std::string& line : lines)
        if (!isErrorRow(line)) line = line.substr(0, line.find(',') + 1) + line.substr(line.find("\"erros\""));
    EXPECT_EQ(lines, expected);
}

struct FileSetCase {
    const char* name;
    std::vector<std::string> arguments;
    int exitCode;
    std::vector<std::string> summaries;  // each file's name and verdict, in the order printed
};

class CliValidarFiles : public ::testing::TestWithParam<FileSetCase> {
protected:
    void SetUp() override {
        fs::copy_file(kClean, scratch / "a-correta.txt");
        fs::copy_file(kWithErrors, scratch / "b-erros.txt");
        std::ofstream(scratch / "c-vazio.txt").close();
        fs::create_directory(scratch / "pasta");
        fs::create_directory(scratch / "pasta" / "sub");
        fs::copy_file(kWithErrors, scratch / "pasta" / "z.txt");
        fs::copy_file(kClean, scratch / "pasta" / "y.txt");
        fs::copy_file(kClean, scratch / "pasta" / "sub" / "x.txt");
        // Checked long after the small files that follow it: its line must still come first.
        std::ofstream big(scratch / "grande.txt", std::ios::binary);
        fixtures::DeclarationBuilder(2025).type5(50000).write(big);
    }
    TempFolder scratch;
};

TEST_P(CliValidarFiles, OneLinePerFileAndTheWorstExitStatus) {
    std::vector<std::string> args = {"validar", "--jobs", "3"};
    args.insert(args.end(), GetParam().arguments.begin(), GetParam().arguments.end());
    const RunResult r = runCli(args, {}, scratch.path());
    EXPECT_EQ(r.exitCode, GetParam().exitCode) << r.err;
    std::vector<std::string> summaries;
    for (const std::string& line : r.outLines())
        summaries.push_back(line.substr(0, line.find('\t')) + " " + line.substr(line.rfind('\t') + 1));
    EXPECT_EQ(summaries, GetParam().summaries) << r.err;
}

INSTANTIATE_TEST_SUITE_P(
    Arguments, CliValidarFiles,
    ::testing::Values(
        FileSetCase{"clean", {"a-correta.txt"}, 0, {"a-correta.txt sem erros"}},
        FileSetCase{"errors", {"b-erros.txt", "a-correta.txt"}, 1, {"b-erros.txt com erros", "a-correta.txt sem erros"}},
        FileSetCase{"refusedIsWorst",
                    {"nada.txt", "b-erros.txt", "c-vazio.txt"},
                    2,
                    {"nada.txt recusado", "b-erros.txt com erros", "c-vazio.txt recusado"}},
        FileSetCase{"slowFirst",
                    {"grande.txt", "b-erros.txt", "a-correta.txt"},
                    1,
                    {"grande.txt sem erros", "b-erros.txt com erros", "a-correta.txt sem erros"}},
        FileSetCase{"folderWithoutSubfolders", {"pasta"}, 1, {"pasta/y.txt sem erros", "pasta/z.txt com erros"}},
        FileSetCase{"pattern",
                    {"*-*.txt", "pasta/y*"},
                    2,
                    {"a-correta.txt sem erros", "b-erros.txt com erros", "c-vazio.txt recusado",
                     "pasta/y.txt sem erros"}}),
    [](const auto& info) { return std::string(info.param.name); });

// No program folder, no work database, no temporary file: nothing anywhere changes, not even a folder's time.
TEST(CliValidar, LeavesNoFileBehind) {
    TempFolder root;
    for (const char* folder : {"home", "tmp", "cwd", "pasta", "entrada"}) fs::create_directory(root / folder);
    fs::copy_file(kWithErrors, root / "entrada" / "erros.txt");
    fs::copy_file(kClean, root / "entrada" / "correta.txt");
    const testing_support::Snapshot before = testing_support::snapshot(root.path());

    const RunResult r = runCli({"validar", (root / "entrada").string(), "--json", "--jobs", "2"},
                               {{"HOME", (root / "home").string()},
                                {"TMPDIR", (root / "tmp").string()},
                                {"KOVA_PASTA", (root / "pasta").string()},
                                {"XDG_DATA_HOME", ""}},
                               root / "cwd");
    EXPECT_EQ(r.exitCode, 1) << r.err;
    EXPECT_GT(r.outLines().size(), 10u);
    EXPECT_EQ(testing_support::snapshot(root.path()), before);
}

TEST(CliValidar, CsvHoldsTheSameRowsUnderTheFileName) {
    TempFolder scratch;
    const fs::path file = scratch / "a;b.txt";  // the separator in a name is quoted
    fs::copy_file(kWithErrors, file);
    const RunResult json = runCli({"validar", file.string(), "--json"});
    const RunResult csv = runCli({"validar", file.string(), "--csv", (scratch / "erros.csv").string()});
    EXPECT_EQ(csv.exitCode, 1) << csv.err;
    std::ifstream in(scratch / "erros.csv");
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    ASSERT_EQ(lines.size(), json.outLines().size());  // the heading, and a line per row as --json has
    EXPECT_EQ(lines.front(), "arquivo;TIPOREG;nreg;posini;posfin;coderro;COMPLEMENTOERR;descerro;campo;valor;dica");
    for (std::size_t i = 1; i < lines.size(); ++i) EXPECT_EQ(lines[i].rfind("\"" + file.string() + "\";", 0), 0u);
}

}  // namespace
}  // namespace kova
