#include <gtest/gtest.h>

#include "core/work_database.h"
#include "delivery/catalogue.h"
#include "delivery/delivery_records.h"
#include "delivery_fixtures.h"

namespace kova::testing {
namespace {

// Three generated declarations in one program folder and its work database, listed for printing, for
// transmission (those without a receipt) and for receipts (those whose receipt validates).
TEST(Catalogue, ListsEveryDeclarationInOrderAndTheReceiptsSayWhichWereTransmitted) {
    GenerationHarness h;
    const fs::path program = h.session.programFolder;
    createDatabase(program / kWorkDatabaseFile);
    WorkDatabase database{program};
    database.open();
    for (const auto& [cnpj, type, name] : {std::tuple{fixtures::nthCnpj(5), "0", "BETA COMERCIO"},
                                           std::tuple{fixtures::nthCnpj(5), "1", "BETA COMERCIO"},
                                           std::tuple{fixtures::nthCnpj(2), "0", "ALFA INDUSTRIA"}}) {
        fixtures::DeclarationBuilder dec;
        dec.header().cnpj(cnpj).type(type).name(name);
        dec.type3(1);
        ASSERT_EQ(h.importAndGenerate(dec), ImportOutcome::Succeeded);
    }
    const auto file = [&](const std::string& cnpj, const char* extension) {
        const std::string name = cnpj + "-KOVALDF-2023-ORIGI-00";
        return fs::absolute(program / "GERADA" / name / (name + extension)).lexically_normal();
    };
    RecordingPrompts prompts;
    const auto load = [&](CatalogueSelection which) { return loadCatalogue(program, database, which, prompts); };
    // Each row as its CNPJ, type and transmitted mark.
    const auto rows = [&] {
        std::vector<std::string> all;
        readCatalogue(database,
                      [&](const CatalogueRow& r) { all.push_back(r.cnpj + " " + r.type + " " + r.transmitted); });
        return all;
    };
    const std::string alfa = fixtures::nthCnpj(2) + " Original ";
    const std::string betaRectifying = fixtures::nthCnpj(5) + " Retificadora N";
    ASSERT_EQ(load(CatalogueSelection::Printing), 0);
    EXPECT_EQ(rows(), (std::vector{alfa + "N", fixtures::nthCnpj(5) + " Original N", betaRectifying}));

    EXPECT_EQ(load(CatalogueSelection::Receipt), 1);
    ReceiptFields receipt;
    receipt.cnpj = fixtures::nthCnpj(2);
    receipt.detailSeal = DeliveryHeaderView(readBytes(file(fixtures::nthCnpj(2), ".DEC"))).detailSeal();
    writeBytes(file(fixtures::nthCnpj(2), ".REC"), receiptFile(receipt));
    writeBytes(file(fixtures::nthCnpj(5), ".REC"), "X" + receiptFile(receipt).substr(1));
    ASSERT_EQ(load(CatalogueSelection::Printing), 0);
    EXPECT_EQ(rows(), (std::vector{alfa + "S", fixtures::nthCnpj(5) + " Original S", betaRectifying}));
    ASSERT_EQ(load(CatalogueSelection::Transmission), 0);
    EXPECT_EQ(rows(), std::vector{betaRectifying});
    ASSERT_EQ(load(CatalogueSelection::Receipt), 0);  // only the receipt that validates
    EXPECT_EQ(rows(), std::vector{alfa + "S"});
    EXPECT_TRUE(prompts.shown.empty());
    fs::remove_all(program / "GERADA");  // nothing to list: the rows of the last load stay
    EXPECT_EQ(load(CatalogueSelection::Printing), 1);
    EXPECT_EQ(rows().size(), 1u);
}

}  // namespace
}  // namespace kova::testing
