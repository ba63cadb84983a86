// kova-cli verificar and listar, run as the built program.
#include <gtest/gtest.h>

#include "core/text.h"
#include "core/work_database.h"
#include "generation_fixtures.h"

namespace kova::testing {
namespace {

class DeliveryCommands : public ::testing::Test {
protected:
    void SetUp() override {
        fixtures::DeclarationBuilder dec;
        dec.header().name("LISTADA SA");
        dec.type3(2).type4F(1).type5(4);
        ASSERT_EQ(h.importAndGenerate(dec), ImportOutcome::Succeeded);
    }
    RunResult cli(const std::vector<std::string>& args) { return runProgram(binFolder() / "kova-cli", args); }

    GenerationHarness h;
};

TEST_F(DeliveryCommands, VerificarPrintsTheCountsAndAnswersByExitStatus) {
    const RunResult ok = cli({"verificar", h.deliveryFile().string()});
    EXPECT_EQ(ok.exitCode, 0) << ok.err;
    EXPECT_EQ(ok.out, "Registros tipo 3: 2\nRegistros tipo 4: 1\nRegistros tipo 5: 4\n");

    std::string bytes = readBytes(h.deliveryFile());
    bytes[kDeliveryHeaderLength + 2 + 20] ^= 1;
    writeBytes(h.deliveryFile(), bytes);
    EXPECT_EQ(cli({"verificar", h.deliveryFile().string()}).exitCode, 1);

    const RunResult missing = cli({"verificar", (h.folder.path() / "NADA.DEC").string()});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_NE(missing.err.find("O arquivo de declaração não existe."), std::string::npos);
    EXPECT_EQ(cli({"verificar"}).exitCode, 2);
}

TEST_F(DeliveryCommands, ListarPrintsTheCatalogue) {
    createDatabase(h.session.programFolder / kWorkDatabaseFile);
    const std::string folder = h.session.programFolder.string();
    const RunResult text = cli({"listar", "--pasta", folder});
    ASSERT_EQ(text.exitCode, 0) << text.err;
    EXPECT_NE(text.out.find(applyMask(kCnpjMask, fixtures::declarantCnpj()) +
                            "\t2023\t00 - Normal\t00/00/0000\t"
                            "Original\tLISTADA SA\tN\t" +
                            h.deliveryFile().string() + "\n"),
              std::string::npos)
        << text.out;

    const RunResult json = cli({"listar", "--pasta", folder, "--selecao", "1", "--json"});
    ASSERT_EQ(json.exitCode, 0) << json.err;
    EXPECT_EQ(json.out.rfind("{\"CNPJ\":\"" + fixtures::declarantCnpj() + "\",\"TRIMANO\":\"2023\"", 0), 0u)
        << json.out;
    EXPECT_NE(json.out.find("\"NOMEARQUIVORECIBO\":null,\"TRANSMITIDA\":\"N\""), std::string::npos);

    EXPECT_EQ(cli({"listar", "--pasta", folder, "--selecao", "2"}).exitCode, 1);  // nothing transmitted
    EXPECT_EQ(cli({"listar", "--pasta", folder, "--selecao", "7"}).exitCode, 2);
}

}  // namespace
}  // namespace kova::testing
