#include <gtest/gtest.h>


#include "delivery/delivery_records.h"
#include "delivery/receipt_validation.h"
#include "delivery/seals.h"
#include "delivery_fixtures.h"

namespace kova::testing {
namespace {

// A generated declaration and a receipt beside it.
class ReceiptValidation : public ::testing::Test {
protected:
    void SetUp() override {
        fixtures::DeclarationBuilder dec;
        dec.header().name("RECIBOS E CIA");
        dec.type3(1).type4J(2).type5(3);
        ASSERT_EQ(h.importAndGenerate(dec), ImportOutcome::Succeeded);
        delivery = h.deliveryFile();
        seal = DeliveryHeaderView(readBytes(delivery)).detailSeal();
        fields.cnpj = fixtures::declarantCnpj();
        fields.detailSeal = seal;
        receipt = delivery.parent_path() / (delivery.stem().string() + ".REC");
    }
    bool validate() { return validateReceipt(delivery, prompts, data); }

    GenerationHarness h;
    fs::path delivery, receipt;
    std::string seal;
    ReceiptFields fields;
    RecordingPrompts prompts;
    ReceiptData data;
};

TEST_F(ReceiptValidation, AnAgencyReceiptValidatesAndFillsTheReceiptData) {
    writeBytes(delivery.parent_path() / (delivery.stem().string() + ".rec"), receiptFile(fields));  // case ignored
    ASSERT_TRUE(validate());
    EXPECT_TRUE(prompts.shown.empty());
    EXPECT_EQ(data.receptionDate + " " + data.receptionTime, "05/02/2024 14:30:15");
    EXPECT_EQ(data.authenticationCode, authenticationCode(fields.cnpj, seal, 5, 2, 2024, 14, 30, 15));
    EXPECT_EQ(data.receiptNumber, seal + receiptCheckDigits(seal));
    EXPECT_EQ(data.rectifying + " " + data.situationText + " " + data.periodEnd, "Não 00 - Normal 31/12/2023");
    std::uint64_t base = 0;
    std::uint64_t levy = 0;
    for (std::size_t k = 0; k < 3; ++k) {
        base += fixtures::LevyBuilder::levyBase(k);
        levy += fixtures::LevyBuilder::levyKova(k);
    }
    EXPECT_DOUBLE_EQ(data.baseTotal, static_cast<double>(base) / 100.0);
    EXPECT_DOUBLE_EQ(data.levyTotal, static_cast<double>(levy) / 100.0);  // 115.39: a 9 among its digits
    EXPECT_EQ(data.entityCount * 10 + data.beneficiaryCount, 12);
}

// Without an NC line it holds; the code of another second or another CNPJ, or one character changed anywhere
// (line ends included), breaks it.
TEST_F(ReceiptValidation, TheShapeTheCodeAndEveryCharacterDecide) {
    ReceiptFields withoutNc = fields;
    withoutNc.ncLines = 0;
    ReceiptFields anotherSecond = fields;
    anotherSecond.code = authenticationCode(fields.cnpj, seal, 5, 2, 2024, 14, 30, 16);
    ReceiptFields anotherCnpj = fields;
    anotherCnpj.code = authenticationCode(fields.cnpj, seal, 5, 2, 2024, 14, 30, 15);
    anotherCnpj.cnpj = "11444777000161";
    for (const auto& [variant, valid] :
         {std::pair{withoutNc, true}, std::pair{anotherSecond, false}, std::pair{anotherCnpj, false}}) {
        writeBytes(receipt, receiptFile(variant));
        EXPECT_EQ(validate(), valid) << variant.cnpj << " " << variant.code;
    }
    const std::string good = receiptFile(fields);
    for (std::size_t i = 0; i < good.size(); ++i) {
        std::string changed = good;
        changed[i] = (changed[i] >= '0' && changed[i] <= '8') ? static_cast<char>(changed[i] + 1)
                                                              : (changed[i] == 'X' ? 'Y' : 'X');
        writeBytes(receipt, changed);
        EXPECT_FALSE(validate()) << "byte " << i;
    }
    EXPECT_TRUE(prompts.shown.empty());
}

// A missing receipt is told; short lines and an early end are run-time faults: the question, and No gives false.
TEST_F(ReceiptValidation, MissingShortAndUnfinishedReceiptsAreTold) {
    EXPECT_FALSE(validate());
    EXPECT_EQ(prompts.texts(), std::vector<std::string>{"O arquivo do recibo não existe ou foi excluído."});
    const std::string good = receiptFile(fields);
    for (const std::string& file : {std::string("HC\r\n"), good.substr(0, good.find("\r\nNC") + 2)}) {
        prompts.shown.clear();
        writeBytes(receipt, file);
        EXPECT_FALSE(validate());
        ASSERT_EQ(prompts.shown.size(), 1u);
        EXPECT_EQ(prompts.shown[0].title, "Validar Recibo");
        EXPECT_EQ(prompts.shown[0].text.rfind("Erro na validação do recibo.\n", 0), 0u);
    }
}

TEST(ReceiptData, CheckDigits) {
    const std::pair<const char*, const char*> cases[] = {
        {"1234567890", "91"}, {"12345678901234", "91"}, {"A234567890", "92"},
        {"3624802037", "08"}, {"9999999999", "90"},     {"123456789", "-1"},
    };
    for (const auto& [text, digits] : cases) EXPECT_EQ(receiptCheckDigits(text), digits) << text;
}

}  // namespace
}  // namespace kova::testing
