// The validation error report: its page, its page breaks, the refusals, the font it falls back to, and the faults
// while printing.
#include <gtest/gtest.h>

#include "print/error_report.h"
#include "print/print_format.h"
#include "print_fixtures.h"

namespace kova::print {
namespace {

class ErrorReport : public ::testing::Test, public printtest::PrintDesk {
protected:
    PrintOutcome run() {
        PrintContext c = context();
        return printErrorReport(log, c);
    }
    // `n` more rows of a type-3 name error on consecutive records.
    void addRows(int n) {
        for (int i = 0; i < n; ++i) log.recordError("3", 3 + i, "0025", "0142", 74, "11222333000181", "EMPRESA");
    }

    printtest::TextErrorLog log;
};

TEST_F(ErrorReport, SmallReportMatchesGolden) {
    clock.set(DateTime{2024, 3, 5, 10, 20, 30});
    const std::string cnpj = "11222333000181";
    const std::string name = "EMPRESA DECLARANTE DE TESTE LTDA" + std::string(28, ' ');
    log.recordError("1", 1, "0036", "0043", 20, cnpj, name, std::string("2023 p/ Sit Especial 00"));
    log.recordError("0", 0, "0000", "0000", 1, "00000000000000", std::string(40, ' '));
    log.recordError("2", 2, "0010", "0020", 23, cnpj, name);
    log.recordError("5", 123456, "10", "17", 88, cnpj, name);
    ASSERT_EQ(run(), PrintOutcome::Printed);
    printtest::expectGolden("erros_pequeno", recorder.pages());
    EXPECT_EQ(recorder.documentFont().family, "Courier New");
    EXPECT_EQ(recorder.documentFont().points, 10.0);
    EXPECT_EQ(prompts.texts(), std::vector<std::string>{"Impressão do Relatório de Erros concluída."});
}

// Fifty-nine rows a page, each page ended by a rule, the last one by a double rule too.
TEST_F(ErrorReport, PageBreaks) {
    addRows(60);
    ASSERT_EQ(run(), PrintOutcome::Printed);
    ASSERT_EQ(recorder.pages().size(), 2u);
    const auto first = printtest::lineTexts(recorder.pages()[0]);
    const auto last = printtest::lineTexts(recorder.pages()[1]);
    EXPECT_EQ(first.size(), 13u + 59 + 1);
    EXPECT_EQ(first.back(), "  " + std::string(90, '-'));
    EXPECT_TRUE(last[7].ends_with("Pag.: 002"));
    EXPECT_EQ(last.size(), 13u + 1 + 2);
    EXPECT_EQ(last.back(), "  " + std::string(90, '='));
}

// Nothing is sent to a missing printer or one that lacks the fonts; a printer without Courier New prints in the
// Arial when it has neither it nor Courier.
TEST_F(ErrorReport, RefusalsAndTheFallbackFonts) {
    addRows(1);
    recorder.present = false;
    EXPECT_EQ(run(), PrintOutcome::Refused);
    recorder.present = true;
    flags = PrinterFlags{};
    recorder.knownFonts.clear();
    EXPECT_EQ(run(), PrintOutcome::Refused);
    EXPECT_EQ(prompts.texts(), (std::vector<std::string>{"Não existe impressora instalada.", "A impressora instalada "
                                                         "não suporta as fontes utilizadas pelo sistema."}));
    recorder.knownFonts = {"Arial"};
    flags = PrinterFlags{};
    ASSERT_EQ(run(), PrintOutcome::Printed);
    EXPECT_EQ(recorder.documentFont().family, "Arial");
}

// A printer fault and a fault reading the log both drop the document, each told for what it is.
TEST_F(ErrorReport, FaultsWhilePrintingDropTheDocumentAndSayWhoseTheyAre) {
    addRows(70);
    const struct { int failAtText, failAtRow; std::string text; Icon icon; } cases[] = {
        {100, 0, "Erro de impressão. Verifique se a impressora está em linha.", Icon::Exclamation},
        {0, 61,
         "Não foi possível ler os erros no banco de dados.\nErro: 3049\n"
         "Banco de Dados está corrompido ou não é um banco de dados Microsoft Access.",
         Icon::Critical},
    };
    for (const auto& fault : cases) {
        recorder.failAtText = fault.failAtText;  // 100: on the second page
        log.failAtRow = fault.failAtRow;
        prompts.shown.clear();
        EXPECT_EQ(run(), PrintOutcome::Failed);
        ASSERT_EQ(prompts.shown.size(), 1u);
        EXPECT_EQ(prompts.shown[0].text, fault.text);
        EXPECT_EQ(prompts.shown[0].icon, fault.icon);
    }
    EXPECT_EQ(recorder.documentsEnded(), 0);
    EXPECT_EQ(recorder.documentsAborted(), 2);
}

}  // namespace
}  // namespace kova::print
