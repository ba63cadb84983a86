#include <gtest/gtest.h>

#include <chrono>

#include "core/work_database.h"
#include "delivery/catalogue.h"
#include "delivery/delivery_records.h"
#include "delivery_fixtures.h"

namespace kova::testing {
namespace {

// Three generated declarations in one program folder, and its work database.
class Catalogue : public ::testing::Test {
protected:
    void SetUp() override {
        createDatabase(h.session.programFolder / kWorkDatabaseFile);
        database.open();
        for (const auto& [cnpj, type, name] : {std::tuple{fixtures::nthCnpj(5), "0", "BETA COMERCIO"},
                                               std::tuple{fixtures::nthCnpj(5), "1", "BETA COMERCIO"},
                                               std::tuple{fixtures::nthCnpj(2), "0", "ALFA INDUSTRIA"}}) {
            fixtures::DeclarationBuilder dec;
            dec.header().cnpj(cnpj).type(type).name(name);
            dec.type3(1);
            ASSERT_EQ(h.importAndGenerate(dec), ImportOutcome::Succeeded);
        }
        alfa = fs::absolute(file(fixtures::nthCnpj(2), "ORIGI", ".DEC")).lexically_normal();
    }
    fs::path file(const std::string& cnpj, const char* word, const char* extension) {
        const std::string name = cnpj + "-KOVALDF-2023-" + word + "-00";
        return h.session.programFolder / "GERADA" / name / (name + extension);
    }
    int load(CatalogueSelection selection) {
        return loadCatalogue(h.session.programFolder, database, selection, prompts);
    }
    // Each row as its CNPJ, type and transmitted mark.
    std::vector<std::string> rows() {
        std::vector<std::string> all;
        readCatalogue(database, [&](const CatalogueRow& r) { all.push_back(r.cnpj + " " + r.type + " " + r.transmitted); });
        return all;
    }

    GenerationHarness h;
    WorkDatabase database{h.session.programFolder};
    RecordingPrompts prompts;
    fs::path alfa;
};

TEST_F(Catalogue, ListsEveryDeclarationInOrderAndTheReceiptsSayWhichWereTransmitted) {
    const std::string alfaRow = fixtures::nthCnpj(2) + " Original ";
    const std::string betaRow = fixtures::nthCnpj(5) + " Original N";
    ASSERT_EQ(load(CatalogueSelection::Printing), 0);
    EXPECT_EQ(rows(), (std::vector{alfaRow + "N", betaRow, fixtures::nthCnpj(5) + " Retificadora N"}));
    readCatalogue(database, [&](const CatalogueRow& r) {
        if (r.cnpj == fixtures::nthCnpj(2)) EXPECT_EQ(r.folderName + " " + r.periodStart, alfa.parent_path().string() + " 01012023");
    });

    EXPECT_EQ(load(CatalogueSelection::Receipt), 1);
    ReceiptFields receipt{.cnpj = fixtures::nthCnpj(2)};
    receipt.detailSeal = DeliveryHeaderView(readBytes(alfa)).detailSeal();
    writeBytes(file(fixtures::nthCnpj(2), "ORIGI", ".REC"), receiptFile(receipt));
    writeBytes(file(fixtures::nthCnpj(5), "ORIGI", ".REC"), "X" + receiptFile(receipt).substr(1));
    ASSERT_EQ(load(CatalogueSelection::Printing), 0);
    EXPECT_EQ(rows(), (std::vector{alfaRow + "S", fixtures::nthCnpj(5) + " Original S",
                                  fixtures::nthCnpj(5) + " Retificadora N"}));
    ASSERT_EQ(load(CatalogueSelection::Transmission), 0);
    EXPECT_EQ(rows(), std::vector{fixtures::nthCnpj(5) + " Retificadora N"});
    ASSERT_EQ(load(CatalogueSelection::Receipt), 0);  // only the receipt that validates
    EXPECT_EQ(rows(), std::vector{alfaRow + "S"});
    EXPECT_TRUE(prompts.shown.empty());
    fs::remove_all(h.session.programFolder / "GERADA");  // nothing to list: the rows of the last load stay
    EXPECT_EQ(load(CatalogueSelection::Printing), 1);
    EXPECT_EQ(rows().size(), 1u);
}

}  // namespace
}  // namespace kova::testing
