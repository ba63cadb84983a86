// kova-cli importar and erros: exit statuses, the rows printed, the refusals, and the reports of the last import.
#include "cli_fixture.h"
#include "support/csv_reader.h"
#include "support/declaration_builder.h"
#include "support/file_bytes.h"

namespace kova {
namespace {

using CliImportar = CliProgram;

// The header's impossible end date, the first row of the sample with errors: its field, value and hint.
const std::vector<std::string> kFirstRow = {"1", "1", "0036", "0043", "24", "Período final", "31132025",
                                            "Data inválida ou inexistente (DDMMAAAA).",
                                            "Informe uma data que exista, no formato DDMMAAAA (por exemplo 31122024)."};

TEST_F(CliImportar, CleanSampleImportsSilentlyAndSaysWhereTheFileWent) {
    const RunResult r = inProgram({"importar", kCleanSample.string(), "--json"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "");
    const fs::path folder = program() / "GERADA" / (fixtures::declarantCnpj() + "-KOVALDF-2025-ORIGI-00");
    EXPECT_NE(r.err.find("Arquivo importado com sucesso.\n\nA declaração foi gravada na seguinte pasta: \n" +
                         folder.string()),
              std::string::npos)
        << r.err;
    EXPECT_EQ(inProgram({"erros", "--resumo"}).exitCode, 1);  // no errors to report
}

// The errors of the sample: as JSON rows, as the pending list, and through erros as CSV, summary and report.
TEST_F(CliImportar, ErrorsArePrintedAndReportedInEveryForm) {
    const RunResult json = inProgram({"importar", kSampleWithErrors.string(), "--json"});
    EXPECT_EQ(json.exitCode, 1) << json.err;
    const std::size_t rows = json.outLines().size();
    EXPECT_EQ(json.outLines().front().rfind("{\"TIPOREG\":\"1\",\"nreg\":1,\"posini\":\"0036\",\"posfin\":\"0043\"", 0),
              0u);
    EXPECT_NE(json.out.find("\"campo\":\"Período final\",\"valor\":\"31132025\",\"dica\":\"Inf"), std::string::npos);

    const RunResult list = inProgram({"importar", kSampleWithErrors.string()});
    EXPECT_EQ(list.exitCode, 1);
    EXPECT_EQ(list.outLines().end()[-2],
              "Foram encontrados " + std::to_string(rows) + " erros. Foi impossível gerar a declaração.");

    const fs::path csv = scratch / "erros.csv";
    EXPECT_EQ(inProgram({"erros", "--csv", csv.string()}).exitCode, 0);
    const std::string bytes = testing_support::readBytes(csv);
    ASSERT_EQ(bytes.substr(0, 3), "\xEF\xBB\xBF");
    const auto lines = testing_support::readCsv(bytes.substr(3));
    ASSERT_EQ(lines.size(), rows + 1);
    EXPECT_EQ(lines[1], kFirstRow);
    const RunResult summary = inProgram({"erros", "--resumo"});
    EXPECT_EQ(summary.exitCode, 0) << summary.err;
    EXPECT_EQ(summary.outLines().front(), "Erros da última importação: " + std::to_string(rows));
#ifdef KOVA_CLI_PRINTS
    const RunResult report = inProgram({"erros", "--texto"});
    EXPECT_EQ(report.exitCode, 0) << report.err;
    EXPECT_NE(report.out.find("RELATÓRIO DE ERROS DE VALIDAÇÃO"), std::string::npos);
    ASSERT_EQ(inProgram({"importar", kCleanSample.string()}).exitCode, 0);
    const RunResult none = inProgram({"erros", "--texto"});
    EXPECT_EQ(none.exitCode, 1);
    EXPECT_NE(none.err.find("Não existem erros para impressão."), std::string::npos) << none.err;
#endif
}

// What kova-cli adds to the import's refusals: the exit status, the message on stderr, no rows.
TEST_F(CliImportar, RefusalsEndWithTheirStatus) {
    const RunResult missing = inProgram({"importar", (scratch / "nada.txt").string(), "--json"});
    EXPECT_EQ(missing.exitCode, 2);
    EXPECT_EQ(missing.out, "");
    EXPECT_NE(missing.err.find("O arquivo selecionado não existe."), std::string::npos) << missing.err;
    fs::remove(program() / "KOVALDDB.MDB");
    const RunResult noDatabase = inProgram({"importar", kCleanSample.string()});
    EXPECT_EQ(noDatabase.exitCode, 3);
    EXPECT_NE(noDatabase.err.find("Não foi possível abrir o banco de dados."), std::string::npos) << noDatabase.err;
    EXPECT_FALSE(fs::exists(program() / "KOVALDDB.MDB"));
}

}  // namespace
}  // namespace kova
