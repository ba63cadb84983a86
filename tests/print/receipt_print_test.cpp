// The delivery receipt: its page, the checks before printing and the run-time error path.
#include <gtest/gtest.h>

#include "print/receipt_print.h"
#include "print_fixtures.h"

namespace kova::print {
namespace {

namespace fs = std::filesystem;

class ReceiptPrint : public ::testing::Test, public printtest::PrintDesk {
protected:
    // The delivery file of `declaration` in its own folder, with its receipt beside it.
    fs::path deliveryWithReceipt(const std::string& folder, const fixtures::DeclarationBuilder& declaration) {
        const fs::path dec = printtest::writeSealedDeliveryFile(scratch / folder, declaration);
        printtest::writeReceipt(dec);
        return dec;
    }

    printtest::TempFolder scratch;
    ReceiptData data;
};

// A blank area code with the rest of the telephone filled is a run-time error, offered again until No.
TEST_F(ReceiptPrint, ABlankAreaCodeIsARunTimeErrorOfTheReceiptPage) {
    PrintContext c = context();
    fixtures::DeclarationBuilder blankArea(2023);
    blankArea.type3(1).contacts().representativeAreaCode("    ");
    prompts.answers = {Answer::Yes, Answer::No};
    EXPECT_FALSE(printReceiptPage(deliveryWithReceipt("sem-ddd", blankArea), c, data));
    const std::string runTimeError = "Erro na impressão do recibo.\nErro: 13\nTipo de dados incompatível.\nTenta "
                                     "novamente ?";
    EXPECT_EQ(prompts.texts(), (std::vector<std::string>{runTimeError, runTimeError}));
    EXPECT_EQ(recorder.documentsEnded(), 0);
}

// The golden page; then declined, a receipt altered after it was written, a delivery file altered: nothing printed,
// each told.
TEST_F(ReceiptPrint, PageMatchesGoldenAndIsPrintedOnlyFromIntactFiles) {
    const fs::path dec = deliveryWithReceipt("", fixtures::DeclarationBuilder(2023).type3(2).type4F(1).type5(3));
    PrintContext c = context();
    ASSERT_EQ(printReceipt(dec, c, data), ReceiptPrintResult::Printed);
    printtest::expectGolden("recibo", recorder.pages());
    EXPECT_EQ(prompts.texts(), (std::vector<std::string>{"Confirma a impressão do recibo ?",
                                                          "O recibo da declaração foi enviado para a impressora."}));
    prompts.answers = {Answer::No};
    EXPECT_EQ(printReceipt(dec, c, data), ReceiptPrintResult::Declined);
    EXPECT_EQ(prompts.shown.size(), 3u);

    std::string receipt = printtest::readBytes(receiptPathOf(dec));
    receipt[3] ^= 1;
    printtest::writeBytes(receiptPathOf(dec), receipt);
    EXPECT_EQ(printReceipt(dec, c, data), ReceiptPrintResult::ReceiptCorrupted);
    EXPECT_EQ(prompts.shown.back().text,
              "As informações do recibo de entrega foram corrompidas após a sua gravação.\n"
              "O recibo não será impresso.");

    std::string file = printtest::readBytes(dec);
    file[file.find("\r\n") + 2 + 60] ^= 1;
    printtest::writeBytes(dec, file);
    EXPECT_EQ(printReceipt(dec, c, data), ReceiptPrintResult::Altered);
    EXPECT_EQ(prompts.shown.back().text, alteredFileMessage());
    EXPECT_EQ(recorder.documentsEnded(), 1);
}

}  // namespace
}  // namespace kova::print
