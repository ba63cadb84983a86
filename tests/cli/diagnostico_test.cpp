// kova-cli diagnostico: its exit status follows the lines, --json gives one object per line, and an installed
// kova-cli looks at the user's own program folder.
#include "cli_fixture.h"
#include "support/file_bytes.h"

namespace kova {
namespace {

using testing_support::binFolder;

TEST_F(CliProgram, DiagnosticoExitsZeroOnlyWhenNoLineIsToFix) {
    const testing_support::Environment environment = {{"KOVA_WINDIR", (scratch / "windows").string()},
                                                      {"LC_ALL", "pt_BR.UTF-8"}};
    ASSERT_EQ(testing_support::runProgram(binFolder() / "quiboro-instalar", {}, environment).exitCode, 0);
    const RunResult ready = inProgram({"diagnostico"}, environment);
    EXPECT_EQ(ready.out.find("[corrigir]") == std::string::npos, ready.exitCode == 0) << ready.out;
    EXPECT_EQ(ready.out.rfind("[pronto] Pasta do programa: " + program().string() + " existe", 0), 0u);
    EXPECT_NE(ready.out.find("\n[pronto] Biblioteca do Quiboro: " + (binFolder() / "libtrama21.so").string()),
              std::string::npos)
        << ready.out;

    testing_support::writeBytes(program() / "KOVALDDB.MDB", std::string(2048, '\xff'));
    const RunResult damaged = inProgram({"diagnostico", "--json"}, environment);
    EXPECT_EQ(damaged.exitCode, 1);
    EXPECT_EQ(damaged.outLines().size(), 9u);
    EXPECT_NE(damaged.out.find("{\"item\":\"banco\",\"assunto\":\"Banco de dados de trabalho\",\"estado\":\"corrigir\","
                               "\"detalhe\":\"KOVALDDB.MDB não pode ser usado (erro 3049: "),
              std::string::npos)
        << damaged.out;

    // Installed, it looks at the user's own folder.
    fs::create_directories(scratch / "bin");
    fs::create_directories(scratch / "share" / "kova");
    fs::copy_file(binFolder() / "kova-cli", scratch / "bin" / "kova-cli");
    const RunResult installed = testing_support::runProgram(
        scratch / "bin" / "kova-cli", {"diagnostico", "--json"},
        {{"KOVA_WINDIR", (scratch / "windows").string()}, {"XDG_DATA_HOME", (scratch / "dados").string()},
         {"KOVA_PASTA", ""}});
    EXPECT_EQ(installed.exitCode, 1);
    EXPECT_NE(installed.out.find("\"detalhe\":\"" + (scratch / "dados" / "kova").string() + " não existe.\""),
              std::string::npos)
        << installed.out;
}

}  // namespace
}  // namespace kova
