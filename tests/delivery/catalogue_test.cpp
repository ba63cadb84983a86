#include <gtest/gtest.h>

#include <chrono>

#include "core/work_database.h"
#include "delivery/catalogue.h"
#include "delivery/delivery_records.h"
#include "generation_fixtures.h"
#include "receipt_fixtures.h"

namespace kova::testing {
namespace {

using fixtures::DeclarationBuilder;

// Three generated declarations in one program folder, and its work database.
class Catalogue : public ::testing::Test {
protected:
    void SetUp() override {
        createDatabase(h.session.programFolder / kWorkDatabaseFile);
        database.open();
        generate(fixtures::nthCnpj(5), "0", "BETA COMERCIO");
        generate(fixtures::nthCnpj(5), "1", "BETA COMERCIO");
        generate(fixtures::nthCnpj(2), "0", "ALFA INDUSTRIA");
        h.prompts.shown.clear();
    }

    fs::path generate(const std::string& cnpj, const char* type, const char* name) {
        DeclarationBuilder dec;
        dec.header().cnpj(cnpj).type(type).name(name);
        dec.type3(1);
        EXPECT_EQ(h.importAndGenerate(dec), ImportOutcome::Succeeded);
        return h.deliveryFile();
    }

    fs::path folderOf(const std::string& cnpj, const char* word) {
        return h.session.programFolder / "GERADA" / (cnpj + "-KOVALDF-2023-" + word + "-00");
    }

    int load(CatalogueSelection selection) {
        return loadCatalogue(h.session.programFolder, database, selection, prompts);
    }

    std::vector<CatalogueRow> rows() {
        std::vector<CatalogueRow> all;
        readCatalogue(database, [&](const CatalogueRow& row) { all.push_back(row); });
        return all;
    }

    GenerationHarness h;
    WorkDatabase database{h.session.programFolder};
    RecordingPrompts prompts;
};

TEST_F(Catalogue, ListsEveryDeclarationInTheGridsOrderWithItsColumns) {
    ASSERT_EQ(load(CatalogueSelection::Printing), 0);
    const auto all = rows();
    ASSERT_EQ(all.size(), 3u);
    EXPECT_EQ(all[0].cnpj, fixtures::nthCnpj(2));
    EXPECT_EQ(all[1].type, "Original");
    EXPECT_EQ(all[2].type, "Retificadora");

    const CatalogueRow& row = all[0];
    const fs::path folder = fs::absolute(folderOf(fixtures::nthCnpj(2), "ORIGI")).lexically_normal();
    EXPECT_EQ(row.year, "2023");
    EXPECT_EQ(row.situation, "00 - Normal");
    EXPECT_EQ(row.eventDate, "00/00/0000");
    EXPECT_EQ(row.name, "ALFA INDUSTRIA" + std::string(46, ' '));
    EXPECT_EQ(row.folderName, folder.string());
    EXPECT_EQ(row.fileName, (folder / (folder.filename().string() + ".DEC")).string());
    EXPECT_FALSE(row.receiptFileName.has_value());
    EXPECT_EQ(row.transmitted, "N");
    EXPECT_EQ(row.periodStart, "01012023");
    EXPECT_EQ(row.periodEnd, "31122023");
    EXPECT_TRUE(prompts.shown.empty());
}

TEST_F(Catalogue, WithoutGeneratedFoldersThereIsNothingToListAndTheTableIsLeftAlone) {
    ASSERT_EQ(load(CatalogueSelection::Printing), 0);
    fs::remove_all(h.session.programFolder / "GERADA");
    EXPECT_EQ(load(CatalogueSelection::Printing), 1);
    fs::create_directories(h.session.programFolder / "GERADA");
    EXPECT_EQ(load(CatalogueSelection::Transmission), 1);
    EXPECT_EQ(rows().size(), 3u);  // the rows of the earlier load
}

TEST_F(Catalogue, WaitsForAnotherWriterOfTheProgramFolderThenLeavesTheTableAlone) {
    ASSERT_EQ(load(CatalogueSelection::Printing), 0);
    const fs::path program = fs::absolute(h.session.programFolder).lexically_normal();
    const auto other = FolderWriteLock::acquire(program, std::chrono::milliseconds(0));
    ASSERT_TRUE(other);
    int waits = 0;
    EXPECT_EQ(loadCatalogue(program, database, CatalogueSelection::Transmission, prompts,
                            {std::chrono::milliseconds(60), [&] { ++waits; }}),
              kCatalogueFolderBusy);
    EXPECT_GT(waits, 0);
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].title, "Carga Declarações");
    EXPECT_EQ(prompts.shown[0].text, folderInUseMessage(program));
    EXPECT_EQ(rows().size(), 3u);  // the rows of the earlier load
}

TEST_F(Catalogue, FoldersWithoutADeliveryFileAreSkippedSilently) {
    for (const auto& entry : fs::directory_iterator(folderOf(fixtures::nthCnpj(5), "RETIF")))
        fs::rename(entry.path(), entry.path().string() + ".OLD");
    fs::create_directories(h.session.programFolder / "GERADA" / "PASTA-ESTRANHA");
    for (CatalogueSelection s : {CatalogueSelection::Printing, CatalogueSelection::Transmission}) {
        ASSERT_EQ(load(s), 0);
        EXPECT_EQ(rows().size(), 2u);
    }
    EXPECT_TRUE(prompts.shown.empty());
}

TEST_F(Catalogue, AReceiptMarksTheDeclarationTransmittedAndTakesItOffTheTransmissionList) {
    const fs::path folder = folderOf(fixtures::nthCnpj(2), "ORIGI");
    writeBytes(folder / (folder.filename().string() + ".REC"), "qualquer coisa\r\n");
    ASSERT_EQ(load(CatalogueSelection::Printing), 0);
    EXPECT_EQ(rows()[0].transmitted, "S");
    ASSERT_EQ(load(CatalogueSelection::Transmission), 0);
    const auto all = rows();
    ASSERT_EQ(all.size(), 2u);
    EXPECT_EQ(all[0].cnpj, fixtures::nthCnpj(5));
}

TEST_F(Catalogue, ADeliveryFileUnderAnotherNameIsToldForPrintingButListedForTransmission) {
    const fs::path folder = folderOf(fixtures::nthCnpj(2), "ORIGI");
    const fs::path moved = folder / "OUTRO-NOME.DEC";
    fs::rename(folder / (folder.filename().string() + ".DEC"), moved);
    ASSERT_EQ(load(CatalogueSelection::Printing), 0);
    EXPECT_EQ(rows().size(), 2u);
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].title, "Carga Declarações");
    EXPECT_EQ(prompts.shown[0].text, "Nome do arquivo de declaração incompatível com o nome da pasta.\nArquivo: " +
                                         fs::absolute(moved).lexically_normal().string());
    ASSERT_EQ(load(CatalogueSelection::Transmission), 0);
    EXPECT_EQ(rows().size(), 3u);
}

TEST_F(Catalogue, AnUnreadableHeaderIsToldAndSkipped) {
    const fs::path folder = folderOf(fixtures::nthCnpj(2), "ORIGI");
    const fs::path file = folder / (folder.filename().string() + ".DEC");
    writeBytes(file, "");
    ASSERT_EQ(load(CatalogueSelection::Transmission), 0);
    EXPECT_EQ(rows().size(), 2u);
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].text, "Erro na recuperação dos registros das declarações.\nArquivo: " +
                                         fs::absolute(file).lexically_normal().string());
}

TEST_F(Catalogue, AFirstLineTooShortForAHeaderIsListedWithBlanks) {
    const fs::path folder = folderOf(fixtures::nthCnpj(2), "ORIGI");
    writeBytes(folder / (folder.filename().string() + ".DEC"), "KOVALDX\r\n");
    ASSERT_EQ(load(CatalogueSelection::Transmission), 0);
    EXPECT_EQ(rows().at(0).eventDate, "  /  /    ");
}

TEST_F(Catalogue, TheReceiptSelectionListsOnlyReceiptsThatValidate) {
    EXPECT_EQ(load(CatalogueSelection::Receipt), 1);

    const auto receiptFor = [&](const std::string& cnpj, const char* word) {
        const fs::path folder = folderOf(cnpj, word);
        const fs::path delivery = folder / (folder.filename().string() + ".DEC");
        ReceiptFields fields;
        fields.cnpj = cnpj;
        fields.detailSeal = std::string(DeliveryHeaderView(readBytes(delivery)).detailSeal());
        const fs::path receipt = folder / (folder.filename().string() + ".REC");
        writeBytes(receipt, receiptFile(fields));
        return receipt;
    };
    const fs::path good = receiptFor(fixtures::nthCnpj(2), "ORIGI");
    const fs::path broken = receiptFor(fixtures::nthCnpj(5), "ORIGI");
    writeBytes(broken, "X" + readBytes(broken).substr(1));
    ASSERT_EQ(load(CatalogueSelection::Receipt), 0);
    const auto all = rows();
    ASSERT_EQ(all.size(), 1u);
    EXPECT_EQ(all[0].cnpj, fixtures::nthCnpj(2));
    EXPECT_EQ(all[0].transmitted, "S");
    ASSERT_TRUE(all[0].receiptFileName.has_value());
    EXPECT_EQ(*all[0].receiptFileName, fs::absolute(good).lexically_normal().string());
    EXPECT_TRUE(prompts.shown.empty());
}

}  // namespace
}  // namespace kova::testing
