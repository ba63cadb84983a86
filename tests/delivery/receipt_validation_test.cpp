#include <gtest/gtest.h>

#include "delivery/delivery_records.h"
#include "delivery/receipt_validation.h"
#include "delivery/seals.h"
#include "generation_fixtures.h"
#include "receipt_fixtures.h"

namespace kova::testing {
namespace {

using fixtures::DeclarationBuilder;

// A generated declaration and a receipt beside it.
class ReceiptValidation : public ::testing::Test {
protected:
    void SetUp() override {
        DeclarationBuilder dec;
        dec.header().name("RECIBOS E CIA");
        dec.type3(1).type4J(2).type5(3);
        ASSERT_EQ(h.importAndGenerate(dec), ImportOutcome::Succeeded);
        delivery = h.deliveryFile();
        header = readBytes(delivery).substr(0, kDeliveryHeaderLength);
        fields.cnpj = fixtures::declarantCnpj();
        fields.detailSeal = std::string(DeliveryHeaderView(header).detailSeal());
        receipt = delivery.parent_path() / (delivery.stem().string() + ".REC");
    }

    bool validate() { return validateReceipt(delivery, prompts, data); }
    void writeReceipt() { writeBytes(receipt, receiptFile(fields)); }

    GenerationHarness h;
    fs::path delivery, receipt;
    std::string header;
    ReceiptFields fields;
    RecordingPrompts prompts;
    ReceiptData data;
};

TEST_F(ReceiptValidation, AnAgencyReceiptValidatesAndFillsTheReceiptData) {
    writeReceipt();
    ASSERT_TRUE(validate());
    EXPECT_TRUE(prompts.shown.empty());
    const std::string seal(DeliveryHeaderView(header).detailSeal());
    EXPECT_EQ(data.receiptFile, receipt.string());
    EXPECT_EQ(data.receptionDate, "05/02/2024");
    EXPECT_EQ(data.receptionTime, "14:30:15");
    EXPECT_EQ(data.authenticationCode, authenticationCode(fields.cnpj, seal, 5, 2, 2024, 14, 30, 15));
    EXPECT_EQ(data.certificateId, "12345678909   ");
    EXPECT_EQ(data.receiptNumber, seal + receiptCheckDigits(seal));
    EXPECT_EQ(data.cnpj, fields.cnpj);
    EXPECT_EQ(data.name, "RECIBOS E CIA" + std::string(47, ' '));
    EXPECT_EQ(data.year, "2023");
    EXPECT_EQ(data.rectifying, "Não");
    EXPECT_EQ(data.situationText, "00 - Normal");
    EXPECT_EQ(data.periodStart, "01/01/2023");
    EXPECT_EQ(data.periodEnd, "31/12/2023");
    EXPECT_EQ(data.rectifiedReceipt, " ");
    EXPECT_EQ(data.representativeCpf, std::string(DeliveryHeaderView(header).representativeCpf()));
    EXPECT_EQ(data.phone, std::string(DeliveryHeaderView(header).representativePhoneBlock()));
    const double base = static_cast<double>(fixtures::LevyBuilder::levyBase(0) + fixtures::LevyBuilder::levyBase(1) +
                                            fixtures::LevyBuilder::levyBase(2)) /
                        100.0;
    EXPECT_DOUBLE_EQ(data.baseTotal, base);
    EXPECT_EQ(data.entityCount, 1);
    EXPECT_EQ(data.beneficiaryCount, 2);
}

struct Variant {
    const char* label;
    void (*change)(ReceiptFields&);
    bool valid;
};

class ReceiptShapes : public ReceiptValidation, public ::testing::WithParamInterface<Variant> {};

TEST_P(ReceiptShapes, DecideTheResult) {
    GetParam().change(fields);
    writeReceipt();
    EXPECT_EQ(validate(), GetParam().valid);
    EXPECT_TRUE(prompts.shown.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Receipts, ReceiptShapes,
    ::testing::Values(
        Variant{"WithoutNC", [](ReceiptFields& s) { s.ncLines = 0; }, true},
        Variant{"LinesAfterTheTrailerAreNotRead",
                [](ReceiptFields& s) {
                    s.afterTrailer = {"XX", ""};
                },
                true},
        Variant{"TwoNCLines", [](ReceiptFields& s) { s.ncLines = 2; }, false},
        Variant{"CodeOfAnotherSeal",
                [](ReceiptFields& s) { s.code = authenticationCode(s.cnpj, "0000000001", 5, 2, 2024, 14, 30, 15); },
                false},
        Variant{"CodeOfAnotherSecond",
                [](ReceiptFields& s) { s.code = authenticationCode(s.cnpj, s.detailSeal, 5, 2, 2024, 14, 30, 16); },
                false},
        Variant{"ReceivedForAnotherCnpj",
                [](ReceiptFields& s) {
                    s.code = authenticationCode(s.cnpj, s.detailSeal, 5, 2, 2024, 14, 30, 15);
                    s.cnpj = fixtures::nthCnpj(3);
                },
                false}),
    [](const auto& info) { return std::string(info.param.label); });

// One character changed anywhere in the receipt, line ends included, breaks it.
TEST_F(ReceiptValidation, EveryChangedCharacterBreaksTheReceipt) {
    const std::string good = receiptFile(fields);
    writeBytes(receipt, good);
    ASSERT_TRUE(validate());
    for (std::size_t i = 0; i < good.size(); ++i) {
        std::string changed = good;
        changed[i] = (changed[i] >= '0' && changed[i] <= '8') ? static_cast<char>(changed[i] + 1)
                                                              : (changed[i] == 'X' ? 'Y' : 'X');
        writeBytes(receipt, changed);
        EXPECT_FALSE(validate()) << "byte " << i;
    }
}

TEST_F(ReceiptValidation, MissingReceiptIsTold) {
    EXPECT_FALSE(validate());
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].title, "Validar Recibo");
    EXPECT_EQ(prompts.shown[0].text, "O arquivo do recibo não existe ou foi excluído.");
    EXPECT_EQ(data.receiptFile, receipt.string());
}

TEST_F(ReceiptValidation, ALowerCaseReceiptNameIsFound) {
    writeBytes(delivery.parent_path() / (delivery.stem().string() + ".rec"), receiptFile(fields));
    EXPECT_TRUE(validate());
}

// Run-time faults ask the retry question; No gives false.
TEST_F(ReceiptValidation, ShortLinesAndAnEarlyEndAreRunTimeFaults) {
    for (const std::string& file :
         {std::string("HC\r\n"), chainedLines({"HCABC", "RC" + fields.cnpj + "05022024143015"})}) {
        prompts.shown.clear();
        writeBytes(receipt, file);
        EXPECT_FALSE(validate());
        ASSERT_EQ(prompts.shown.size(), 1u);
        EXPECT_EQ(prompts.shown[0].title, "Validar Recibo");
        EXPECT_EQ(prompts.shown[0].icon, Icon::Question);
        EXPECT_EQ(prompts.shown[0].text.rfind("Erro na validação do recibo.\n", 0), 0u);
        EXPECT_NE(prompts.shown[0].text.find("\nDeseja tentar novamente ?"), std::string::npos);
    }
}

// The forms of the receipt data, from a header and a receipt crafted field by field.
TEST(ReceiptData, FormsOfTheFields) {
    ScratchFolder folder;
    const fs::path delivery = folder.path() / "11222333000181-KOVALDF-2023-ORIGI-00.DEC";
    std::string header(kDeliveryHeaderLength, ' ');
    const auto put = [&](std::size_t first, const std::string& text) { header.replace(first - 1, text.size(), text); };
    put(102, "0000000000");
    put(128, "0000000000");
    put(164, std::string(37, '0') + "105");
    put(204, std::string(40, '0'));
    put(21, "1");
    writeBytes(delivery, header + "\r\n");

    ReceiptFields fields;
    fields.cnpj = "11222333000181";
    fields.detailSeal = "0000000000";
    fields.receptionText = "05020207090807";
    fields.code = "0000000000";
    writeBytes(folder.path() / "11222333000181-KOVALDF-2023-ORIGI-00.REC", receiptFile(fields));

    RecordingPrompts prompts;
    ReceiptData data;
    EXPECT_FALSE(validateReceipt(delivery, prompts, data));  // the code is not the agency's
    EXPECT_TRUE(prompts.shown.empty());
    EXPECT_DOUBLE_EQ(data.baseTotal, 1.05);
    EXPECT_DOUBLE_EQ(data.levyTotal, 0.0);
    EXPECT_EQ(data.receiptNumber, "000000000000");
    EXPECT_EQ(data.rectifiedReceipt, " ");
    EXPECT_EQ(data.rectifying, "Sim");
    EXPECT_EQ(data.receptionDate, "05/02/207");
    EXPECT_EQ(data.receptionTime, "09:08:07");
    EXPECT_EQ(data.entityCount, 0);  // blank

    put(128, std::string(10, ' '));
    writeBytes(delivery, header + "\r\n");
    validateReceipt(delivery, prompts, data);
    EXPECT_EQ(data.rectifiedReceipt, std::string(10, ' '));
}

TEST(ReceiptData, DigitosRecibo) {
    EXPECT_EQ(receiptCheckDigits("0000000000"), "00");
    EXPECT_EQ(receiptCheckDigits("1234567890"), "91");
    EXPECT_EQ(receiptCheckDigits("12345678901234"), "91");  // the first ten only
    EXPECT_EQ(receiptCheckDigits("A234567890"), "92");      // a non-digit counts 0
    EXPECT_EQ(receiptCheckDigits("3624802037"), "08");
    EXPECT_EQ(receiptCheckDigits("9999999999"), "90");
    EXPECT_EQ(receiptCheckDigits("123456789"), "-1");
}

}  // namespace
}  // namespace kova::testing
