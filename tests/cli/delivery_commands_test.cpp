// verificar, listar, transmitir, recibo, imprimir and diagnostico on a declaration that kova-cli importar
// generated; Quiboro is the stand-in built with the project.
#include <algorithm>

#include "cli_fixture.h"
#include "core/text.h"
#include "support/declaration_builder.h"
#include "support/file_bytes.h"
#include "support/folder_snapshot.h"

namespace kova {
namespace {

using testing_support::binFolder;

class CliDelivery : public CliProgram {
public:
    void SetUp() override {
        CliProgram::SetUp();
        fixtures::DeclarationBuilder declaration;
        declaration.header().name("LISTADA SA");
        declaration.type3(2).type4F(1).type4J(1).type5(13);
        testing_support::writeBytes(scratch / "declaracao.txt", declaration.str());
        const RunResult imported = inProgram({"importar", (scratch / "declaracao.txt").string()});
        ASSERT_EQ(imported.exitCode, 0) << imported.err;
        for (const auto& entry : fs::recursive_directory_iterator(program() / "GERADA"))
            if (entry.path().extension() == ".DEC") deliveryFile = entry.path();
    }
    void installQuiboro(std::vector<std::string> args = {}) const {
        const RunResult installed =
            testing_support::runProgram(binFolder() / "quiboro-instalar", args, {{"KOVA_WINDIR", windows()}});
        ASSERT_EQ(installed.exitCode, 0) << installed.err;
    }
    // By its bare name, from the folder of a decoy library also on the library search path: only Quiboro's
    // configured folder may count.
    RunResult transmitir() const {
        const fs::path decoy = binFolder() / "decoy";
        return inProgram({"transmitir", deliveryFile.filename().string()},
                         {{"KOVA_WINDIR", windows()}, {"LD_LIBRARY_PATH", decoy.string()}}, decoy);
    }
    std::string windows() const { return (scratch / "windows").string(); }
    fs::path deliveryFile;
};

TEST_F(CliDelivery, VerifyListTransmitAndPrintTheReceipt) {
    const RunResult verified = runCli({"verificar", deliveryFile.string()});
    EXPECT_EQ(verified.exitCode, 0) << verified.err;
    EXPECT_EQ(verified.out, "Registros tipo 3: 2\nRegistros tipo 4: 2\nRegistros tipo 5: 13\n");
    const RunResult text = inProgram({"listar"});
    ASSERT_EQ(text.exitCode, 0) << text.err;
    EXPECT_EQ(text.outLines().back(), applyMask(kCnpjMask, fixtures::declarantCnpj()) +
                                          "\t2023\t00 - Normal\t00/00/0000\tOriginal\tLISTADA SA\tN\t" +
                                          deliveryFile.string());
    const RunResult json = inProgram({"listar", "--selecao", "1", "--json"});
    EXPECT_NE(json.out.find("\"NOMEARQUIVORECIBO\":null,\"TRANSMITIDA\":\"N\""), std::string::npos) << json.out;
    EXPECT_EQ(inProgram({"listar", "--selecao", "2"}).err, "A unidade não contém declarações.\n");

    installQuiboro();
    const RunResult sent = transmitir();
    ASSERT_EQ(sent.exitCode, 0) << sent.err;
    EXPECT_EQ(fs::path(sent.outLines().front()).parent_path(), deliveryFile.parent_path());
    EXPECT_NE(sent.err.find("Declaração recebida pela QOT"), std::string::npos) << sent.err;
    EXPECT_EQ(inProgram({"listar", "--selecao", "1"}).exitCode, 1);  // nothing left to transmit
#ifdef KOVA_CLI_PRINTS
    const RunResult valid = runCli({"recibo", deliveryFile.string(), "--validar"});
    EXPECT_EQ(valid.exitCode, 0) << valid.err;
    EXPECT_NE(valid.out.find("\nNOME: LISTADA SA"), std::string::npos) << valid.out;

    const RunResult whole = runCli({"imprimir", deliveryFile.string(), "--texto"});
    EXPECT_EQ(whole.exitCode, 0) << whole.err;
    EXPECT_NE(whole.err.find("Impressão do relatório concluída com sucesso."), std::string::npos) << whole.err;
    const RunResult entities = runCli({"imprimir", deliveryFile.string(), "--tipos", "3", "--texto"});
    EXPECT_LT(std::count(entities.out.begin(), entities.out.end(), '\f'),
              std::count(whole.out.begin(), whole.out.end(), '\f'));
#endif
}

// Each answer other than acceptance has its exit status and message, prints nothing and touches no file.
TEST_F(CliDelivery, TransmitirEndsWithTheStatusOfEachAnswer) {
    struct Answer {
        std::vector<std::string> install;  // no Quiboro when empty
        bool alter;
        int exitCode;
        const char* message;
    };
    const Answer answers[] = {
        {{}, false, 2, "O programa Quiboro não foi encontrado"},
        {{"--path", (binFolder() / "decoy").string()}, false, 3, "Biblioteca impostora."},
        {{"--path", binFolder().string()}, true, 1, "O arquivo selecionado foi alterado após o procedimento"},
    };
    for (const Answer& answer : answers) {
        if (!answer.install.empty()) installQuiboro(answer.install);
        if (answer.alter) {
            std::string bytes = testing_support::readBytes(deliveryFile);
            bytes[bytes.size() / 2] ^= 1;
            testing_support::writeBytes(deliveryFile, bytes);
            EXPECT_EQ(runCli({"verificar", deliveryFile.string()}).exitCode, 1);
        }
        const testing_support::Snapshot before = testing_support::snapshot(scratch.path());
        const RunResult r = transmitir();
        EXPECT_EQ(r.exitCode, answer.exitCode) << r.err;
        EXPECT_EQ(r.out, "");
        EXPECT_NE(r.err.find(answer.message), std::string::npos) << r.err;
        EXPECT_EQ(testing_support::snapshot(scratch.path()), before);
    }
}

// diagnostico: its exit status follows the lines, --json gives one object per line, and an installed kova-cli
// looks at the user's own program folder.
TEST_F(CliDelivery, DiagnosticoExitsZeroOnlyWhenNoLineIsToFix) {
    installQuiboro();
    const testing_support::Environment environment = {{"KOVA_WINDIR", windows()}, {"LC_ALL", "pt_BR.UTF-8"}};
    const RunResult ready = inProgram({"diagnostico"}, environment);
    EXPECT_EQ(ready.out.find("[corrigir]") == std::string::npos, ready.exitCode == 0) << ready.out;
    EXPECT_NE(ready.out.find("\n[pronto] Biblioteca do Quiboro: "), std::string::npos) << ready.out;
    testing_support::writeBytes(program() / "KOVALDDB.MDB", std::string(2048, '\xff'));
    const RunResult damaged = inProgram({"diagnostico", "--json"}, environment);
    EXPECT_EQ(damaged.exitCode, 1);
    EXPECT_NE(damaged.out.find("{\"item\":\"banco\",\"assunto\":\"Banco de dados de trabalho\",\"estado\":\"corrigir\","
                               "\"detalhe\":\"KOVALDDB.MDB não pode ser usado (erro 3049: "),
              std::string::npos)
        << damaged.out;

    fs::create_directories(scratch / "share" / "kova");
    fs::create_directories(scratch / "bin");
    fs::copy_file(binFolder() / "kova-cli", scratch / "bin" / "kova-cli");
    const RunResult installed = testing_support::runProgram(
        scratch / "bin" / "kova-cli", {"diagnostico", "--json"},
        {{"KOVA_WINDIR", windows()}, {"XDG_DATA_HOME", (scratch / "dados").string()}, {"KOVA_PASTA", ""}});
    EXPECT_EQ(installed.exitCode, 1);
    EXPECT_NE(installed.out.find("\"detalhe\":\"" + (scratch / "dados" / "kova").string() + " não existe.\""),
              std::string::npos)
        << installed.out;
}

}  // namespace
}  // namespace kova
