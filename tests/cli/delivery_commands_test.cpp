// verificar, listar, imprimir, transmitir and recibo on a declaration that kova-cli iniciar and importar generated
// in a fresh program folder; Quiboro is the stand-in built with the project.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "core/text.h"
#include "support/declaration_builder.h"
#include "support/file_bytes.h"
#include "support/folder_snapshot.h"
#include "support/program_run.h"
#include "support/temp_folder.h"

namespace kova {
namespace {

namespace fs = std::filesystem;
using testing_support::binFolder;
using testing_support::runCli;
using testing_support::RunResult;

class CliDelivery : public ::testing::Test {
public:
    void SetUp() override {
        ASSERT_EQ(runCli({"iniciar", "--pasta", program().string()}).exitCode, 0);
        fixtures::DeclarationBuilder declaration;
        declaration.header().name("LISTADA SA");
        declaration.type3(2).type4F(1).type4J(1).type5(13);
        testing_support::writeBytes(scratch / "declaracao.txt", declaration.str());
        const RunResult imported =
            runCli({"importar", (scratch / "declaracao.txt").string(), "--pasta", program().string()});
        ASSERT_EQ(imported.exitCode, 0) << imported.err;
        for (const auto& entry : fs::recursive_directory_iterator(program() / "GERADA"))
            if (entry.path().extension() == ".DEC") deliveryFile = entry.path();
        ASSERT_FALSE(deliveryFile.empty());
    }

    fs::path program() const { return scratch / "programa"; }
    fs::path windows() const { return scratch / "windows"; }
    std::vector<std::string> inProgram(std::vector<std::string> args) const {
        args.insert(args.end(), {"--pasta", program().string()});
        return args;
    }
    void alterDeliveryFile() const {
        std::string bytes = testing_support::readBytes(deliveryFile);
        bytes[bytes.size() / 2] ^= 1;
        testing_support::writeBytes(deliveryFile, bytes);
    }
    void installQuiboro(std::vector<std::string> args = {}) const {
        const RunResult installed =
            testing_support::runProgram(binFolder() / "quiboro-instalar", args, {{"KOVA_WINDIR", windows().string()}});
        ASSERT_EQ(installed.exitCode, 0) << installed.err;
    }
    void writeQuiboroSettings(const std::string& path) const {
        fs::create_directories(windows());
        testing_support::writeBytes(windows() / "qui-bor.ini", "[Qui-Bor]\r\nVersao=200702\r\nPath=" + path + "\r\n");
    }
    // Transmits the delivery file by its bare name from the folder of a decoy library, which is also on the
    // library search path: only Quiboro's configured folder may count.
    RunResult transmitir() const {
        const fs::path decoy = binFolder() / "decoy";
        return runCli(inProgram({"transmitir", deliveryFile.filename().string()}),
                      {{"KOVA_WINDIR", windows().string()}, {"LD_LIBRARY_PATH", decoy.string()}}, decoy);
    }

    testing_support::TempFolder scratch;
    fs::path deliveryFile;
};

TEST_F(CliDelivery, VerificarCountsTheRecordsAndFindsAlteredOrMissingFiles) {
    const RunResult intact = runCli({"verificar", deliveryFile.string()});
    EXPECT_EQ(intact.exitCode, 0) << intact.err;
    EXPECT_EQ(intact.out, "Registros tipo 3: 2\nRegistros tipo 4: 2\nRegistros tipo 5: 13\n");

    alterDeliveryFile();
    const RunResult altered = runCli({"verificar", deliveryFile.string()});
    EXPECT_EQ(altered.exitCode, 1);
    EXPECT_NE(altered.err.find("A declaração não passou na verificação dos selos."), std::string::npos);

    const RunResult missing = runCli({"verificar", (scratch / "NADA.DEC").string()});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_NE(missing.err.find("O arquivo de declaração não existe."), std::string::npos) << missing.err;
}

TEST_F(CliDelivery, ListarShowsTheCatalogueBySelection) {
    const RunResult text = runCli(inProgram({"listar"}));
    ASSERT_EQ(text.exitCode, 0) << text.err;
    EXPECT_EQ(text.outLines().back(), applyMask(kCnpjMask, fixtures::declarantCnpj()) +
                                          "\t2023\t00 - Normal\t00/00/0000\tOriginal\tLISTADA SA\tN\t" +
                                          deliveryFile.string());

    const RunResult json = runCli(inProgram({"listar", "--selecao", "1", "--json"}));
    ASSERT_EQ(json.exitCode, 0) << json.err;
    EXPECT_EQ(json.out.rfind("{\"CNPJ\":\"" + fixtures::declarantCnpj() + "\",\"TRIMANO\":\"2023\"", 0), 0u);
    EXPECT_NE(json.out.find("\"NOMEARQUIVORECIBO\":null,\"TRANSMITIDA\":\"N\""), std::string::npos) << json.out;

    const RunResult noReceipt = runCli(inProgram({"listar", "--selecao", "2"}));
    EXPECT_EQ(noReceipt.exitCode, 1);
    EXPECT_EQ(noReceipt.err, "A unidade não contém declarações.\n");
}

TEST_F(CliDelivery, TransmitirLeavesTheReceiptBesideTheDeliveryFile) {
    installQuiboro();
    const RunResult sent = transmitir();
    ASSERT_EQ(sent.exitCode, 0) << sent.err;
    const fs::path receipt = sent.outLines().front();
    EXPECT_EQ(receipt.parent_path(), deliveryFile.parent_path());
    EXPECT_TRUE(fs::exists(receipt));
    EXPECT_NE(sent.err.find("Declaração recebida pela QOT"), std::string::npos) << sent.err;
    EXPECT_EQ(sent.err.find("impostora"), std::string::npos) << sent.err;
    EXPECT_EQ(runCli(inProgram({"listar", "--selecao", "1"})).exitCode, 1);  // nothing left to transmit
    EXPECT_EQ(runCli(inProgram({"listar", "--selecao", "2"})).exitCode, 0);
}

#ifdef KOVA_CLI_PRINTS
TEST_F(CliDelivery, ImprimirPrintsTheChosenSectionsOfAnIntactFileOnly) {
    const RunResult whole = runCli({"imprimir", deliveryFile.string(), "--texto"});
    EXPECT_EQ(whole.exitCode, 0) << whole.err;
    EXPECT_NE(whole.out.find("LISTADA SA"), std::string::npos);
    EXPECT_NE(whole.err.find("Impressão do relatório concluída com sucesso."), std::string::npos) << whole.err;
    const RunResult entities = runCli({"imprimir", deliveryFile.string(), "--tipos", "3", "--texto"});
    EXPECT_EQ(entities.exitCode, 0) << entities.err;
    EXPECT_LT(std::count(entities.out.begin(), entities.out.end(), '\f'),
              std::count(whole.out.begin(), whole.out.end(), '\f'));

    alterDeliveryFile();
    const RunResult altered = runCli({"imprimir", deliveryFile.string(), "--texto"});
    EXPECT_EQ(altered.exitCode, 1);
    EXPECT_EQ(altered.out, "");
}

TEST_F(CliDelivery, ReciboValidatesAndPrintsTheReceiptOfATransmission) {
    const RunResult noReceipt = runCli({"recibo", deliveryFile.string(), "--validar"});
    EXPECT_EQ(noReceipt.exitCode, 1);
    EXPECT_NE(noReceipt.err.find("Recibo inválido."), std::string::npos) << noReceipt.err;

    installQuiboro();
    ASSERT_EQ(transmitir().exitCode, 0);
    const RunResult valid = runCli({"recibo", deliveryFile.string(), "--validar"});
    EXPECT_EQ(valid.exitCode, 0) << valid.err;
    EXPECT_NE(valid.out.find("\nNOME: LISTADA SA"), std::string::npos) << valid.out;
    const RunResult printed = runCli({"recibo", deliveryFile.string(), "--texto"});
    EXPECT_EQ(printed.exitCode, 0) << printed.err;
    EXPECT_NE(printed.out.find("LISTADA SA"), std::string::npos);
}
#endif

struct TransmissionCase {
    const char* name;
    std::function<void(const CliDelivery&)> prepare;
    int exitCode;
    const char* message;
};

class CliTransmission : public CliDelivery, public ::testing::WithParamInterface<TransmissionCase> {};

// Each answer other than acceptance has its exit status and message, and touches no file.
TEST_P(CliTransmission, EndsWithItsStatusAndMessageAndTouchesNoFile) {
    GetParam().prepare(*this);
    const testing_support::Snapshot before = testing_support::snapshot(scratch.path());
    const RunResult r = transmitir();
    EXPECT_EQ(r.exitCode, GetParam().exitCode) << r.err;
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find(GetParam().message), std::string::npos) << r.err;
    EXPECT_EQ(testing_support::snapshot(scratch.path()), before);
}

constexpr const char* kNotInstalled =
    "Para transmissão de declarações é necessário que o programa Quiboro esteja instalado";

INSTANTIATE_TEST_SUITE_P(
    Answers, CliTransmission,
    ::testing::Values(
        TransmissionCase{"NoQuiboro", [](const CliDelivery&) {}, 2, "O programa Quiboro não foi encontrado"},
        TransmissionCase{"OldQuiboro", [](const CliDelivery& t) { t.installQuiboro({"--versao", "200701"}); }, 2,
                         "A versão do programa Quiboro instalada em seu computador não permite"},
        TransmissionCase{"FolderWithoutLibrary",
                         [](const CliDelivery& t) { t.writeQuiboroSettings(t.windows().string()); }, 2,
                         kNotInstalled},
        TransmissionCase{"FileMissing",
                         [](const CliDelivery& t) {
                             t.installQuiboro();
                             fs::remove(t.deliveryFile);
                         },
                         2, "O arquivo de declaração não existe: "},
        TransmissionCase{"FileAltered",
                         [](const CliDelivery& t) {
                             t.installQuiboro();
                             t.alterDeliveryFile();
                         },
                         1, "O arquivo selecionado foi alterado após o procedimento de importação."},
        TransmissionCase{"LibraryFails",
                         [](const CliDelivery& t) { t.installQuiboro({"--path", (binFolder() / "decoy").string()}); },
                         3, "Biblioteca impostora."}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace kova
