// The delivery receipt: its page, the checks before printing and the run-time error path.
#include <gtest/gtest.h>

#include "core/faults.h"
#include "print/print_format.h"
#include "print/receipt_print.h"
#include "delivery_fixture.h"
#include "print_fixtures.h"

namespace kova::print {
namespace {

namespace fs = std::filesystem;
using printtest::RecordingPrompts;

class ReceiptPrint : public ::testing::Test {
protected:
    PrintContext context() { return PrintContext{recorder, flags, prompts, clock, progress}; }
    fs::path deliveryWithReceipt(const printtest::ReceiptOptions& options = {}) {
        const fs::path dec = printtest::writeSealedDeliveryFile(scratch.path(), declaration);
        printtest::writeReceipt(dec, options);
        return dec;
    }
    // A ReceiptData as validateReceipt fills it for a small declaration.
    static ReceiptData sampleData() {
        ReceiptData d;
        d.receptionDate = "30/04/2024";
        d.receptionTime = "14:05:09";
        d.authenticationCode = "0A1B2C3D4E";
        d.certificateId = std::string(14, ' ');
        d.receiptNumber = "123456789012";
        d.cnpj = "11222333000181";
        d.name = "EMPRESA DECLARANTE" + std::string(42, ' ');
        d.year = "2023";
        d.rectifying = "Não";
        d.situationText = "00 - Normal";
        d.periodStart = "01/01/2023";
        d.periodEnd = "31/12/2023";
        d.rectifiedReceipt = " ";
        d.representativeCpf = "12345678909";
        d.phone = "001101234567801234";
        d.totalBaseDigits = std::string(35, '0') + "12345";
        d.levyTotalDigits = std::string(40, '0');
        d.entityCount = 1234;
        d.beneficiaryCount = 0;
        return d;
    }
    static RecordedPage drawnPage(const ReceiptData& d) {
        PageRecorder r;
        r.setFont("Courier New", 10);
        drawReceiptPage(r, d);
        r.endDocument();
        return r.pages().at(0);
    }

    printtest::ScratchFolder scratch;
    fixtures::DeclarationBuilder declaration = fixtures::DeclarationBuilder(2023).type3(2).type4F(1).type5(3);
    PageRecorder recorder;
    PrinterFlags flags;
    RecordingPrompts prompts;
    FixedClock clock{DateTime{2024, 5, 2, 9, 0, 0}};
    NullProgress progress;
    ReceiptData data;
};

TEST_F(ReceiptPrint, PageMatchesGoldenWithTheStampFrame) {
    const fs::path dec = deliveryWithReceipt();
    auto c = context();
    EXPECT_EQ(printReceipt(dec, c, data), ReceiptPrintResult::Printed);
    ASSERT_EQ(recorder.documentsEnded(), 1);
    printtest::expectGolden("recibo", recorder.pages());
    const auto& rects = recorder.pages().at(0).rectangles;
    ASSERT_EQ(rects.size(), 1u);
    EXPECT_DOUBLE_EQ(rects[0].left, 12.5);
    EXPECT_DOUBLE_EQ(rects[0].top, 16.0);
    EXPECT_DOUBLE_EQ(rects[0].right, 19.5);
    EXPECT_DOUBLE_EQ(rects[0].bottom, 20.9);
    EXPECT_EQ(prompts.texts(), (std::vector<std::string>{"Confirma a impressão do recibo ?",
                                                          "O recibo da declaração foi enviado para a impressora."}));
    EXPECT_EQ(prompts.shown[1].icon, Icon::Information);
}

// The page of an unsigned declaration is the golden one; a signed one has a line more, with the NI.
TEST_F(ReceiptPrint, SignedDeclarationShowsTheNiWithTheMaskOfItsKind) {
    for (const auto& [ni, line50] : {std::pair<std::string, std::string>{"12345678909   ", "digital do NI 123.456.789-09"},
                                     {"11222333000181", "digital do NI 11.222.333/0001-81"}}) {
        ReceiptData d = sampleData();
        d.certificateId = ni;
        const RecordedPage page = drawnPage(d);
        const auto lines = printtest::lineTexts(page);
        ASSERT_EQ(lines.size(), 54u);
        EXPECT_EQ(lines[48], "Esta declaração foi assinada com o certificado" + std::string(15 + 9, ' ') + "0A1B2C3D4E");
        EXPECT_EQ(lines[49], line50);
        EXPECT_EQ(lines[53], std::string(69, ' ') + "12.34.56.78.90-12");
        EXPECT_TRUE(page.lines[49].allBold());
    }
}

TEST_F(ReceiptPrint, FieldForms) {
    ReceiptData d = sampleData();
    d.rectifiedReceipt = "1234567890";
    d.situationText = "05 - Cisão Total";
    d.phone = "001101234567800000";
    d.entityCount = 123456789;
    const auto lines = printtest::lineTexts(drawnPage(d));
    EXPECT_EQ(lines[12], "Situação: Cisão Total");
    EXPECT_EQ(lines[14], "Número da Declaração Retificada: 1234567890");
    EXPECT_EQ(lines[38], "Telefone: (11) 1234-5678     Ramal: 0");
    EXPECT_EQ(lines[20].substr(lines[20].size() - 11), "123.456.789");
    EXPECT_EQ(lines[25], "Total da base de cálculo de KOVA" + std::string(15, ' ') +
                             rightAligned("R$ 123,45", 40));
    EXPECT_EQ(lines[27], "Total da KOVA não retida" + std::string(23, ' ') + rightAligned("R$ 0,00", 40));
    EXPECT_EQ(lines[47], "Versão " + std::to_string(versionMajor()) + "." + zeroPadded(versionMinor(), 2) +
                             std::string(61 - 11, ' ') + "  em 30/04/2024 às 14:05:09");
}

TEST_F(ReceiptPrint, BlankAreaCodeEndsInTheRunTimeErrorPath) {
    // A delivery file built from a contact record whose area code is blank, the rest of the telephone filled.
    fixtures::DeclarationBuilder blankArea(2023);
    blankArea.type3(1).contacts().representativeAreaCode("    ");
    const fs::path other = printtest::writeSealedDeliveryFile(scratch.path() / "b", blankArea);
    printtest::writeReceipt(other);
    int asked = 0;
    prompts.answer = [&](const Message& m) {
        if (m.buttons != Buttons::YesNo) return Answer::Ok;
        if (m.text.ends_with("Tenta novamente ?")) return ++asked < 2 ? Answer::Yes : Answer::No;
        return Answer::Yes;
    };
    auto c = context();
    EXPECT_FALSE(printReceiptPage(other, c, data));
    EXPECT_EQ(asked, 2);
    EXPECT_EQ(prompts.shown.back().text, "Erro na impressão do recibo.\nErro: 13\nTipo de dados incompatível.\nTenta "
                                         "novamente ?");
    EXPECT_EQ(prompts.shown.back().title, "Imprimir Recibo");
    EXPECT_EQ(recorder.documentsEnded(), 0);
}

TEST_F(ReceiptPrint, RefusalsOfTheReceiptPage) {
    const fs::path dec = printtest::writeSealedDeliveryFile(scratch.path(), declaration);
    auto c = context();
    // No receipt beside the delivery file.
    EXPECT_FALSE(printReceiptPage(dec, c, data));
    EXPECT_EQ(prompts.texts(),
              (std::vector<std::string>{"O arquivo do recibo não existe ou foi excluído.",
                                        "Erro na recuperação do registro de cabeçalho da declaração.\nArquivo: " +
                                            dec.string()}));
    printtest::writeReceipt(dec);
    prompts.shown.clear();
    recorder.present = false;
    EXPECT_FALSE(printReceiptPage(dec, c, data));
    recorder.present = true;
    recorder.knownFonts.clear();
    EXPECT_FALSE(printReceiptPage(dec, c, data));
    EXPECT_EQ(prompts.texts(),
              (std::vector<std::string>{"Não existe impressora instalada.",
                                        "A impressora instalada não suporta as fontes utilizadas pelo sistema."}));
    for (const auto& m : prompts.shown) {
        EXPECT_EQ(m.title, "Imprimir Recibo");
        EXPECT_EQ(m.icon, Icon::Critical);
    }

    // A header without the representative's telephone.
    fixtures::DeclarationBuilder noPhone(2023);
    noPhone.type3(1).contacts().representativeAreaCode("    ").representativePhone("         ").representativeExtension(
        "     ");
    const fs::path withoutPhone = printtest::writeSealedDeliveryFile(scratch.path() / "sem-telefone", noPhone);
    printtest::writeReceipt(withoutPhone);
    recorder.knownFonts = {"Courier New"};
    prompts.shown.clear();
    EXPECT_FALSE(printReceiptPage(withoutPhone, c, data));
    EXPECT_EQ(prompts.texts(), std::vector<std::string>{
                                   "Não consta o Telefone do representante da empresa no registro Header da "
                                   "declaração.\nArquivo: " + withoutPhone.string() + "\nAtualize a versão do MVR."});
    EXPECT_EQ(prompts.shown[0].title, "Imprimir recibo");
    EXPECT_EQ(recorder.documentsEnded() + recorder.documentsAborted(), 0);
}

TEST_F(ReceiptPrint, OkChecksIntegrityAndReceiptBeforePrinting) {
    const fs::path dec = deliveryWithReceipt();
    auto c = context();

    prompts.answer = [](const Message& m) { return m.buttons == Buttons::YesNo ? Answer::No : Answer::Ok; };
    EXPECT_EQ(printReceipt(dec, c, data), ReceiptPrintResult::Declined);
    EXPECT_EQ(prompts.shown.size(), 1u);
    prompts.answer = nullptr;

    // One byte of the receipt's HC line changed.
    const fs::path rec = receiptPathOf(dec);
    std::string receipt = printtest::readBytes(rec);
    receipt[3] ^= 1;
    printtest::writeBytes(rec, receipt);
    prompts.shown.clear();
    EXPECT_EQ(printReceipt(dec, c, data), ReceiptPrintResult::ReceiptCorrupted);
    EXPECT_EQ(prompts.shown.back().text,
              "As informações do recibo de entrega foram corrompidas após a sua gravação.\nO recibo não será impresso.");
    EXPECT_EQ(prompts.shown.back().title, "Validar Arquivo");

    // One byte of a detail record changed.
    std::string file = printtest::readBytes(dec);
    file[file.find("\r\n") + 2 + 60] ^= 1;
    printtest::writeBytes(dec, file);
    prompts.shown.clear();
    std::vector<std::string> statuses;
    EXPECT_EQ(printReceipt(dec, c, data, [&](const std::string& s) { statuses.push_back(s); }),
              ReceiptPrintResult::Altered);
    EXPECT_EQ(prompts.shown.back().text, alteredFileMessage());
    EXPECT_EQ(prompts.shown.back().icon, Icon::Critical);
    EXPECT_EQ(statuses, std::vector<std::string>{""});
    EXPECT_EQ(recorder.documentsEnded(), 0);
}

}  // namespace
}  // namespace kova::print
