// kova-cli importar and erros: exit statuses, the rows printed, the refusals, and the reports of the last import.
#include <fstream>
#include <functional>

#include "cli_fixture.h"
#include "support/csv_reader.h"
#include "support/declaration_builder.h"
#include "support/file_bytes.h"

namespace kova {
namespace {

using CliImportar = CliProgram;

TEST_F(CliImportar, CleanSampleImportsSilentlyAndSaysWhereTheFileWent) {
    const RunResult r = inProgram({"importar", kCleanSample.string(), "--json"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "");
    const fs::path folder = program() / "GERADA" / (fixtures::declarantCnpj() + "-KOVALDF-2025-ORIGI-00");
    EXPECT_NE(r.err.find("Arquivo importado com sucesso.\n\nA declaração foi gravada na seguinte pasta: \n" +
                         folder.string()),
              std::string::npos)
        << r.err;
    const RunResult none = inProgram({"erros", "--resumo"});
    EXPECT_EQ(none.exitCode, 1);
}

// The errors of the sample: as JSON rows, as the pending list, and through erros as CSV, summary and report.
TEST_F(CliImportar, ErrorsArePrintedAndReportedInEveryForm) {
    const RunResult json = inProgram({"importar", kSampleWithErrors.string(), "--json"});
    EXPECT_EQ(json.exitCode, 1) << json.err;
    const std::size_t rows = json.outLines().size();
    EXPECT_GE(rows, 10u);
    // The header's impossible end date: the field is named by its label, the value is what the columns hold.
    EXPECT_EQ(json.outLines().front(),
              "{\"TIPOREG\":\"1\",\"nreg\":1,\"posini\":\"0036\",\"posfin\":\"0043\",\"coderro\":24,"
              "\"COMPLEMENTOERR\":\"\",\"descerro\":\"Data inválida ou inexistente (DDMMAAAA).\",\"campo\":\"Período "
              "final\",\"valor\":\"31132025\",\"dica\":\"Informe uma data que exista, no formato DDMMAAAA (por exemplo "
              "31122024).\"}");

    const RunResult list = inProgram({"importar", kSampleWithErrors.string()});
    EXPECT_EQ(list.exitCode, 1);
    EXPECT_EQ(list.outLines().front().rfind("MENSAGEM DE ERRO", 0), 0u);
    EXPECT_EQ(list.outLines().end()[-2],
              "Foram encontrados " + std::to_string(rows) + " erros. Foi impossível gerar a declaração.");

    const fs::path csv = scratch / "erros.csv";
    EXPECT_EQ(inProgram({"erros", "--csv", csv.string()}).exitCode, 0);
    const std::string bytes = testing_support::readBytes(csv);
    ASSERT_EQ(bytes.substr(0, 3), "\xEF\xBB\xBF");
    const auto lines = testing_support::readCsv(bytes.substr(3));
    ASSERT_EQ(lines.size(), rows + 1);
    EXPECT_EQ(lines[1], (std::vector<std::string>{"1", "1", "0036", "0043", "24", "Período final", "31132025",
                                                  "Data inválida ou inexistente (DDMMAAAA).",
                                                  "Informe uma data que exista, no formato DDMMAAAA (por exemplo "
                                                  "31122024)."}));
    const RunResult summary = inProgram({"erros", "--resumo"});
    EXPECT_EQ(summary.exitCode, 0) << summary.err;
    EXPECT_EQ(summary.outLines().front(), "Erros da última importação: " + std::to_string(rows));
    EXPECT_NE(summary.out.find("\n24 - Data inválida ou inexistente (DDMMAAAA) — "), std::string::npos);
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

// What kova-cli adds to the refusals of the import: its exit status, the message, nothing on stdout.
TEST_F(CliImportar, RefusalsEndWithTheirStatusAndMessage) {
    struct Refusal {
        const char* message;
        int exitCode;
        std::function<fs::path(const CliImportar&)> prepare;
    };
    const Refusal refusals[] = {
        {"O arquivo selecionado não existe.", 2, [](const CliImportar& t) { return t.scratch / "nada.txt"; }},
        {"O arquivo selecionado para importação está vazio.", 2,
         [](const CliImportar& t) {
             testing_support::writeBytes(t.scratch / "vazio.txt", "");
             return t.scratch / "vazio.txt";
         }},
        {"Arquivos na pasta", 2,
         [](const CliImportar& t) {
             const fs::path folder = t.program() / "GERADA" / (fixtures::declarantCnpj() + "-KOVALDF-2025-ORIGI-00");
             fs::create_directories(folder);
             testing_support::writeBytes(folder / "estranho.txt", "x");  // a foreign file: the import is cancelled
             return kCleanSample;
         }},
        {"Não foi possível abrir o banco de dados.", 3,
         [](const CliImportar& t) {
             fs::remove(t.program() / "KOVALDDB.MDB");
             return kCleanSample;
         }},
    };
    for (const Refusal& refusal : refusals) {
        const RunResult r = inProgram({"importar", refusal.prepare(*this).string(), "--json"});
        EXPECT_EQ(r.exitCode, refusal.exitCode) << refusal.message;
        EXPECT_EQ(r.out, "");
        EXPECT_NE(r.err.find(refusal.message), std::string::npos) << r.err;
    }
    EXPECT_FALSE(fs::exists(program() / "KOVALDDB.MDB"));
}

TEST_F(CliImportar, WarningsGoToStderr) {
    fixtures::DeclarationBuilder dec(2025);
    dec.type5(2);
    dec.replaceRecord(3, fixtures::LevyBuilder(3, 0, 2025).baseAmount(0).levyAmount(0).build());
    testing_support::writeBytes(scratch / "zerada.txt", dec.str());
    const RunResult r = inProgram({"importar", (scratch / "zerada.txt").string(), "--json"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("AVISO: Existe registro com valores da base de cálculo e da KOVA não retida zerados."),
              std::string::npos);
}

}  // namespace
}  // namespace kova
