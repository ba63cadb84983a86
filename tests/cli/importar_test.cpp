#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/mount.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "core/folder_lock.h"
#include "support/csv_reader.h"
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

std::string escaped(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '"' || c == '\\') out += '\\';
        out += c;
    }
    return out;
}

// The rows of ERROS with their texts, in the order recorded, written as kova-cli --json starts them (the keys of
// ERROS; the field, value and hint follow).
std::vector<std::string> errosAsJson(const fs::path& database, std::vector<std::string>* cnpjs = nullptr) {
    sqlite3* db = nullptr;
    std::vector<std::string> lines;
    if (sqlite3_open_v2(database.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        sqlite3_close(db);
        ADD_FAILURE() << "cannot open " << database;
        return lines;
    }
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db,
                       "SELECT E.TIPOREG, E.nreg, E.posini, E.posfin, E.coderro, COALESCE(E.COMPLEMENTOERR, ''), "
                       "T.descerro, E.CNPJ FROM ERROS E JOIN TABERRO T ON T.coderro = E.coderro ORDER BY E.id",
                       -1, &st, nullptr);
    auto text = [&](int col) { return std::string(reinterpret_cast<const char*>(sqlite3_column_text(st, col))); };
    while (sqlite3_step(st) == SQLITE_ROW) {
        lines.push_back("{\"TIPOREG\":\"" + escaped(text(0)) + "\",\"nreg\":" + text(1) + ",\"posini\":\"" +
                        text(2) + "\",\"posfin\":\"" + text(3) + "\",\"coderro\":" + text(4) +
                        ",\"COMPLEMENTOERR\":\"" + escaped(text(5)) + "\",\"descerro\":\"" + escaped(text(6)) +
                        "\",");
        if (cnpjs != nullptr) cnpjs->push_back(text(7));
    }
    sqlite3_finalize(st);
    sqlite3_close(db);
    return lines;
}

class CliImportar : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(runCli({"iniciar", "--pasta", program.path().string()}).exitCode, 0);
    }
    RunResult importar(const fs::path& file, std::vector<std::string> extra = {}) {
        std::vector<std::string> args = {"importar", file.string(), "--pasta", program.path().string()};
        args.insert(args.end(), extra.begin(), extra.end());
        return runCli(args);
    }
    fs::path write(const std::string& bytes) {
        const fs::path file = scratch / "declaracao.txt";
        std::ofstream(file, std::ios::binary) << bytes;
        return file;
    }
    fs::path database() const { return program / "KOVALDDB.MDB"; }

    TempFolder program;
    TempFolder scratch;
};

TEST_F(CliImportar, CleanSampleImportsSilently) {
    const RunResult r = importar(kSamples / "declaracao-correta.txt", {"--json"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "");
    EXPECT_TRUE(errosAsJson(database()).empty());
    // The announcement names the folder the delivery file went to, on stderr.
    const std::string folder = (program / "GERADA" / (fixtures::declarantCnpj() + "-KOVALDF-2025-ORIGI-00")).string();
    EXPECT_NE(r.err.find("Arquivo importado com sucesso.\n\nA declaração foi gravada na seguinte pasta: \n" + folder),
              std::string::npos)
        << r.err;
}

TEST_F(CliImportar, SampleWithErrorsPrintsTheRowsOfErros) {
    const RunResult r = importar(kSamples / "declaracao-com-erros.txt", {"--json"});
    EXPECT_EQ(r.exitCode, 1) << r.err;
    std::vector<std::string> cnpjs;
    const std::vector<std::string> rows = errosAsJson(database(), &cnpjs);
    EXPECT_GE(rows.size(), 10u);
    const std::vector<std::string> printed = r.outLines();
    ASSERT_EQ(printed.size(), rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(printed[i].substr(0, rows[i].size()), rows[i]);
        EXPECT_NE(printed[i].find("\"dica\":\"", rows[i].size()), std::string::npos) << printed[i];
    }
    // The header's impossible end date: the field is named by its label, the value is what the columns hold.
    EXPECT_NE(r.out.find("\"posini\":\"0036\",\"posfin\":\"0043\",\"coderro\":24,"), std::string::npos);
    EXPECT_NE(r.out.find("\"campo\":\"Período final\",\"valor\":\"31132025\",\"dica\":\"Informe uma data"),
              std::string::npos)
        << r.out;
    for (const auto& c : cnpjs) EXPECT_EQ(c, fixtures::declarantCnpj());
}

TEST_F(CliImportar, WithoutJsonPrintsThePendingList) {
    const RunResult r = importar(kSamples / "declaracao-com-erros.txt");
    EXPECT_EQ(r.exitCode, 1);
    const auto lines = r.outLines();
    ASSERT_GE(lines.size(), 7u);
    EXPECT_EQ(lines.front().rfind("MENSAGEM DE ERRO", 0), 0u);
    EXPECT_EQ(lines.back(), std::string(90, '='));
    EXPECT_EQ(lines[lines.size() - 2], "Foram encontrados " + std::to_string(errosAsJson(database()).size()) +
                                           " erros. Foi impossível gerar a declaração.");
}

#ifdef KOVA_CLI_PRINTS
// erros prints the report of the last import only: after a clean one there is nothing to print.
TEST_F(CliImportar, ErrosPrintsTheErrorsOfTheLastImport) {
    const std::vector<std::string> erros = {"erros", "--pasta", program.path().string(), "--texto"};
    ASSERT_EQ(importar(kSamples / "declaracao-com-erros.txt").exitCode, 1);
    const RunResult report = runCli(erros);
    EXPECT_EQ(report.exitCode, 0) << report.err;
    EXPECT_NE(report.out.find("RELATÓRIO DE ERROS DE VALIDAÇÃO"), std::string::npos) << report.out;

    ASSERT_EQ(importar(kSamples / "declaracao-correta.txt").exitCode, 0);
    const RunResult none = runCli(erros);
    EXPECT_EQ(none.exitCode, 1);
    EXPECT_EQ(none.out, "");
    EXPECT_NE(none.err.find("Não existem erros para impressão."), std::string::npos) << none.err;
}

// A reader: erros works on a read-only program folder while another process holds its write lock, and changes
// nothing there.
TEST_F(CliImportar, ErrosOnlyReadsTheProgramFolder) {
    ASSERT_EQ(importar(kSamples / "declaracao-com-erros.txt").exitCode, 1);
    const auto lock = FolderWriteLock::acquire(program.path());
    ASSERT_TRUE(lock);
    const auto before = testing_support::snapshot(program.path());
    const char* at = program.path().c_str();
    struct Unmount {
        const char* at;
        bool mounted;
        ~Unmount() {
            if (mounted) ::umount(at);
        }
    } unmount{at, ::mount(at, at, nullptr, MS_BIND, nullptr) == 0};
    if (unmount.mounted && ::mount(nullptr, at, nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) != 0)
        ADD_FAILURE() << "cannot make the bind mount read-only";
    const RunResult report = runCli({"erros", "--pasta", program.path().string(), "--texto"});
    EXPECT_EQ(report.exitCode, 0) << report.err;
    EXPECT_NE(report.out.find("RELATÓRIO DE ERROS DE VALIDAÇÃO"), std::string::npos);
    EXPECT_EQ(testing_support::snapshot(program.path()), before);
    if (!unmount.mounted) GTEST_SKIP() << "no read-only mount here; only the unchanged folder was checked";
}
#endif

// The sample's errors as a spreadsheet reads the CSV, and as the summary counts them.
TEST_F(CliImportar, ErrosExportsAndSummarisesTheRowsOfTheLastImport) {
    ASSERT_EQ(importar(kSamples / "declaracao-com-erros.txt").exitCode, 1);
    const std::size_t rows = errosAsJson(database()).size();
    const fs::path csv = scratch / "erros.csv";
    const RunResult exported = runCli({"erros", "--pasta", program.path().string(), "--csv", csv.string()});
    EXPECT_EQ(exported.exitCode, 0) << exported.err;
    std::ifstream in(csv, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_EQ(bytes.substr(0, 3), "\xEF\xBB\xBF");
    const auto lines = testing_support::readCsv(bytes.substr(3));
    ASSERT_EQ(lines.size(), rows + 1);
    for (const auto& line : lines) ASSERT_EQ(line.size(), 9u);
    EXPECT_EQ(lines[0][8], "Como corrigir");
    EXPECT_EQ(lines[1], (std::vector<std::string>{"1", "1", "0036", "0043", "24", "Período final", "31132025",
                                                  "Data inválida ou inexistente (DDMMAAAA).",
                                                  "Informe uma data que exista, no formato DDMMAAAA (por exemplo "
                                                  "31122024)."}));

    const RunResult summary = runCli({"erros", "--pasta", program.path().string(), "--resumo"});
    EXPECT_EQ(summary.exitCode, 0) << summary.err;
    EXPECT_EQ(summary.outLines().front(), "Erros da última importação: " + std::to_string(rows));
    EXPECT_NE(summary.out.find("\n24 - Data inválida ou inexistente (DDMMAAAA) — "), std::string::npos) << summary.out;
    EXPECT_NE(summary.out.find("\nTipo 1 - cabeçalho — "), std::string::npos) << summary.out;

    ASSERT_EQ(importar(kSamples / "declaracao-correta.txt").exitCode, 0);
    EXPECT_EQ(runCli({"erros", "--pasta", program.path().string(), "--resumo"}).exitCode, 1);
}

TEST_F(CliImportar, ZeroAmountWarningGoesToStderr) {
    fixtures::DeclarationBuilder dec(2025);
    dec.type5(2);
    dec.replaceRecord(3, fixtures::LevyBuilder(3, 0, 2025).baseAmount(0).levyAmount(0).build());
    const RunResult r = importar(write(dec.str()), {"--json"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("AVISO: Existe registro com valores da base de cálculo e da KOVA não retida zerados."),
              std::string::npos);
}

struct RefusalCase {
    const char* name;
    std::optional<std::string> bytes;  // no file at all when absent
    const char* message;
};

class CliRefusal : public CliImportar, public ::testing::WithParamInterface<RefusalCase> {};

TEST_P(CliRefusal, ExitsTwoWithTheMessageAndNoRows) {
    const RunResult r = importar(GetParam().bytes ? write(*GetParam().bytes) : scratch / "nada.txt", {"--json"});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find(GetParam().message), std::string::npos) << r.err;
    EXPECT_TRUE(errosAsJson(database()).empty());
}

INSTANTIATE_TEST_SUITE_P(
    Files, CliRefusal,
    ::testing::Values(
        RefusalCase{"missingFile", std::nullopt, "O arquivo selecionado não existe."},
        RefusalCase{"emptyFile", "", "O arquivo selecionado para importação está vazio."},
        RefusalCase{"shortFirstRecord", fixtures::HeaderBuilder().resize(141).build() + "\r\n",
                    "O tamanho do primeiro registro está incorreto."},
        RefusalCase{"wrongFileName", fixtures::HeaderBuilder().fileTag("OUTRO").build() + "\r\n",
                    "Nome do Arquivo diferente de KOVALDF."}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(CliImportar, ForeignFilesInTheDeclarationFolderAreCancelled) {
    const fs::path folder = program / "GERADA" / (fixtures::declarantCnpj() + "-KOVALDF-2025-ORIGI-00");
    fs::create_directories(folder);
    std::ofstream(folder / "estranho.txt") << "x";
    const RunResult r = importar(kSamples / "declaracao-correta.txt");
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_NE(r.err.find("Arquivos na pasta"), std::string::npos);
    EXPECT_NE(r.err.find("(Cancelar)"), std::string::npos);
    EXPECT_TRUE(fs::exists(folder / "estranho.txt"));
}

TEST(CliImportarSetup, MissingWorkDatabaseIsAFailureThatSaysSo) {
    TempFolder program;
    const RunResult r = runCli({"importar", (kSamples / "declaracao-correta.txt").string(), "--pasta",
                                program.path().string()});
    EXPECT_EQ(r.exitCode, 3);
    EXPECT_NE(r.err.find("Não foi possível abrir o banco de dados."), std::string::npos) << r.err;
    EXPECT_FALSE(fs::exists(program / "KOVALDDB.MDB"));
}

}  // namespace
}  // namespace kova
