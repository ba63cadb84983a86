// kova-cli validar: one summary per file in the order of the arguments, the worst exit status, the rows as JSON
// or CSV, and no file written anywhere.
#include <algorithm>

#include "cli_fixture.h"
#include "support/declaration_builder.h"
#include "support/file_bytes.h"
#include "support/folder_snapshot.h"

namespace kova {
namespace {

TEST(CliValidar, OneLinePerFileInTheOrderOfTheArgumentsAndTheWorstExitStatus) {
    testing_support::TempFolder scratch;
    fs::copy_file(kCleanSample, scratch / "a-correta.txt");
    fs::copy_file(kSampleWithErrors, scratch / "b-erros.txt");
    testing_support::writeBytes(scratch / "c-vazio.txt", "");
    fs::create_directories(scratch / "pasta" / "sub");
    fs::copy_file(kSampleWithErrors, scratch / "pasta" / "z.txt");
    fs::copy_file(kCleanSample, scratch / "pasta" / "sub" / "x.txt");
    // Checked long after the small files that follow it: its line must still come first.
    testing_support::writeBytes(scratch / "grande.txt", fixtures::DeclarationBuilder(2025).type5(50000).str());
    struct FileSet {
        std::vector<std::string> arguments;
        int exitCode;
        std::vector<std::string> summaries;  // each file's name and verdict, in the order printed
    };
    const FileSet sets[] = {
        {{"a-correta.txt"}, 0, {"a-correta.txt sem erros"}},
        {{"grande.txt", "b-erros.txt", "a-correta.txt"},
         1,
         {"grande.txt sem erros", "b-erros.txt com erros", "a-correta.txt sem erros"}},
        {{"nada.txt", "pasta", "c-*.txt"}, 2, {"nada.txt recusado", "pasta/z.txt com erros", "c-vazio.txt recusado"}},
    };
    for (const FileSet& set : sets) {
        std::vector<std::string> args = {"validar", "--jobs", "3"};
        args.insert(args.end(), set.arguments.begin(), set.arguments.end());
        const RunResult r = runCli(args, {}, scratch.path());
        EXPECT_EQ(r.exitCode, set.exitCode) << r.err;
        std::vector<std::string> summaries;
        for (const std::string& line : r.outLines())
            summaries.push_back(line.substr(0, line.find('\t')) + " " + line.substr(line.rfind('\t') + 1));
        EXPECT_EQ(summaries, set.summaries) << r.err;
    }
}

// No program folder, no work database, no temporary file: nothing anywhere changes, not even a folder's time.
// The rows are importar's, after a summary per file; as CSV, the same rows under the file's name.
TEST(CliValidar, PrintsImportarsRowsAndLeavesNoFileBehind) {
    testing_support::TempFolder root;
    for (const char* folder : {"home", "tmp", "cwd", "pasta", "entrada"}) fs::create_directory(root / folder);
    const fs::path file = root / "entrada" / "a;b.txt";  // the separator in a name is quoted
    fs::copy_file(kSampleWithErrors, file);
    const testing_support::Snapshot before = testing_support::snapshot(root.path());
    const testing_support::Environment isolated = {{"HOME", (root / "home").string()},
                                                   {"TMPDIR", (root / "tmp").string()},
                                                   {"KOVA_PASTA", (root / "pasta").string()},
                                                   {"XDG_DATA_HOME", ""}};
    const RunResult json = runCli({"validar", (root / "entrada").string(), "--json"}, isolated, root / "cwd");
    EXPECT_EQ(json.exitCode, 1) << json.err;
    EXPECT_EQ(testing_support::snapshot(root.path()), before);
    const std::vector<std::string> lines = json.outLines();
    ASSERT_GT(lines.size(), 10u);
    EXPECT_TRUE(lines[0].ends_with(",\"erros\":" + std::to_string(lines.size() - 1) + ",\"resultado\":\"com erros\"}"));
    EXPECT_EQ(lines[1].rfind("{\"arquivo\":\"" + file.string() + "\",\"TIPOREG\":\"1\",\"nreg\":1,", 0), 0u);

    const RunResult csv = runCli({"validar", file.string(), "--csv", (root / "erros.csv").string()});
    EXPECT_EQ(csv.exitCode, 1) << csv.err;
    const std::string rows = testing_support::readBytes(root / "erros.csv");
    EXPECT_EQ(std::count(rows.begin(), rows.end(), '\n'), lines.size());  // the heading, and a line per row
    EXPECT_EQ(rows.rfind("arquivo;TIPOREG;nreg;posini;posfin;coderro;COMPLEMENTOERR;descerro;campo;valor;dica\n"
                         "\"" + file.string() + "\";1;1;0036;",
                         0),
              0u)
        << rows;
}

}  // namespace
}  // namespace kova
