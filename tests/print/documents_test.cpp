// What every document shares: its pages against the golden ones, the message that closes it, and the refusal when
// there is no printer or it lacks the fonts.
#include <gtest/gtest.h>

#include "print/declaration_report.h"
#include "print/error_report.h"
#include "print/receipt_print.h"
#include "print_fixtures.h"

namespace kova::print {
namespace {

namespace fs = std::filesystem;

class Documents : public ::testing::Test, public printtest::PrintDesk {
protected:
    struct Document {
        const char* golden;
        DateTime today;
        std::function<bool()> print;
        std::vector<std::string> printedMessages;
        const char* printedTitle;
        std::string withoutFonts;
    };

    Documents() {
        const std::string cnpj = "11222333000181";
        const std::string name = "EMPRESA DECLARANTE DE TESTE LTDA" + std::string(28, ' ');
        log.recordError("1", 1, "0036", "0043", 20, cnpj, name, std::string("2023 p/ Sit Especial 00"));
        log.recordError("0", 0, "0000", "0000", 1, "00000000000000", std::string(40, ' '));
        log.recordError("2", 2, "0010", "0020", 23, cnpj, name);
        log.recordError("5", 123456, "10", "17", 88, cnpj, name);
        fixtures::DeclarationBuilder small(2023);
        small.type3(2).type4F(1).type4J(1).type5(3);
        small.header().name("EMPRESA DE TESTE COM NOME LONGO");
        smallReport = printtest::writeSealedDeliveryFile(scratch / "pequeno", small);
        longReport = printtest::writeSealedDeliveryFile(scratch / "longo",
                                                        fixtures::DeclarationBuilder(2023).type3(60).type4F(2).type5(58));
        receipt = printtest::writeSealedDeliveryFile(scratch / "recibo",
                                                     fixtures::DeclarationBuilder(2023).type3(2).type4F(1).type5(3));
        printtest::writeReceipt(receipt);
    }
    bool printReport(const fs::path& file) {
        PrintContext c = context();
        CancelFlag cancel;
        return DeclarationReport(c, cancel).printDeclarationReport(file);
    }
    std::vector<Document> documents() {
        const DateTime today = clock.now();
        const std::string fonts = "A impressora instalada não suporta as fontes utilizadas pelo sistema.";
        const auto question = [](int pages) {
            return "Serão impressas " + std::to_string(pages) + " páginas.\nConfirma impressão ?";
        };
        return {
            {"erros_pequeno", DateTime{2024, 3, 5, 10, 20, 30},
             [this] {
                 PrintContext c = context();
                 return printErrorReport(log, c) == PrintOutcome::Printed;
             },
             {"Impressão do Relatório de Erros concluída."}, "Impressão de Erros", fonts},
            {"relatorio_pequeno", today, [this] { return printReport(smallReport); }, {question(4)}, "Imprimir Declaração",
             "A impressora instalada não suporta as fontes de caracter utilizadas pelo sistema."},
            {"relatorio_varias_paginas", today, [this] { return printReport(longReport); }, {question(6)}, "Imprimir Declaração", ""},
            {"recibo", today,
             [this] {
                 PrintContext c = context();
                 ReceiptData data;
                 return printReceipt(receipt, c, data) == ReceiptPrintResult::Printed;
             },
             {"Confirma a impressão do recibo ?", "O recibo da declaração foi enviado para a impressora."},
             "Imprimir Recibo", fonts},
        };
    }

    printtest::TempFolder scratch;
    printtest::TextErrorLog log;
    fs::path smallReport, longReport, receipt;
};

TEST_F(Documents, PagesMatchTheGoldenOnesAndTheCloseIsTold) {
    for (const Document& document : documents()) {
        SCOPED_TRACE(document.golden);
        prompts.shown.clear();
        clock.set(document.today);
        ASSERT_TRUE(document.print());
        printtest::expectGolden(document.golden, recorder.pages());
        EXPECT_EQ(prompts.texts(), document.printedMessages);
        EXPECT_EQ(prompts.shown.back().title, document.printedTitle);
    }
    EXPECT_EQ(pageEstimateQuestion(1), "Será impressa 1 página.\nConfirma impressão ?");
}

TEST_F(Documents, NoPrinterOrNoFontsIsRefusedBeforePrinting) {
    for (const Document& document : documents()) {
        if (document.withoutFonts.empty()) continue;
        SCOPED_TRACE(document.golden);
        flags = PrinterFlags{};
        recorder.present = false;
        EXPECT_FALSE(document.print());
        EXPECT_EQ(prompts.shown.back().text, "Não existe impressora instalada.");
        EXPECT_EQ(prompts.shown.back().icon, Icon::Critical);
        flags = PrinterFlags{};
        recorder.present = true;
        recorder.knownFonts.clear();
        EXPECT_FALSE(document.print());
        EXPECT_EQ(prompts.shown.back().text, document.withoutFonts);
        EXPECT_EQ(prompts.shown.back().icon, Icon::Critical);
        recorder.knownFonts = {"Arial"};
    }
    EXPECT_EQ(recorder.documentsEnded() + recorder.documentsAborted(), 0);
}

}  // namespace
}  // namespace kova::print
