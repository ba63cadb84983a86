// The validation error report: its layout, its page breaks and every refusal.
#include <gtest/gtest.h>

#include "core/clock.h"
#include "print/error_report.h"
#include "print/print_format.h"
#include "print_fixtures.h"

namespace kova::print {
namespace {

using printtest::RecordingPrompts;
using printtest::TextErrorLog;

const std::string kCnpj = "11222333000181";
const std::string kNome = "EMPRESA DECLARANTE DE TESTE LTDA" + std::string(28, ' ');

class ErrorReport : public ::testing::Test {
protected:
    PrintOutcome run() {
        PrintContext c{recorder, flags, prompts, clock, progress};
        return printErrorReport(log, c);
    }
    // `n` rows of a type-3 name error on consecutive records.
    void addRows(int n) {
        for (int i = 0; i < n; ++i) log.recordError("3", 3 + i, "0025", "0142", 74, kCnpj, kNome);
    }

    TextErrorLog log;
    PageRecorder recorder;
    PrinterFlags flags;
    RecordingPrompts prompts;
    FixedClock clock{DateTime{2024, 3, 5, 10, 20, 30}};
    NullProgress progress;
};

TEST_F(ErrorReport, SmallReportMatchesGolden) {
    log.recordError("1", 1, "0036", "0043", 20, kCnpj, kNome, std::string("2023 p/ Sit Especial 00"));
    log.recordError("0", 0, "0000", "0000", 1, "00000000000000", std::string(40, ' '));
    log.recordError("2", 2, "0010", "0020", 23, kCnpj, kNome);
    log.recordError("5", 123456, "10", "17", 88, kCnpj, kNome);
    ASSERT_EQ(run(), PrintOutcome::Printed);
    ASSERT_EQ(recorder.documentsEnded(), 1);
    printtest::expectGolden("erros_pequeno", recorder.pages());
    EXPECT_EQ(recorder.documentFont().family, "Courier New");
    EXPECT_EQ(recorder.documentFont().points, 10.0);
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].text, "Impressão do Relatório de Erros concluída.");
    EXPECT_EQ(prompts.shown[0].title, "Impressão de Erros");
    EXPECT_EQ(prompts.shown[0].icon, Icon::Exclamation);
}

TEST_F(ErrorReport, ComplementFollowsTheFirst32CharactersOfTheText) {
    ErrorListing row;
    row.description = "Período final deve ser 31/12/";
    row.complement = "2023 p/ Sit Especial 00";
    EXPECT_EQ(errorDescription(row), fitted("Período final deve ser 31/12/2023 p/ Sit Especial 00", 55));
    row.description = std::string(40, 'D') + "   ";
    row.complement = "  " + std::string(30, 'C');
    EXPECT_EQ(errorDescription(row), std::string(32, 'D') + std::string(21, 'C') + "  ");
    row.complement.clear();
    EXPECT_EQ(errorDescription(row), std::string(40, 'D') + std::string(15, ' '));
}

// Fifty-nine rows a page, each page ended by a rule, the last one by a double rule too.
TEST_F(ErrorReport, PageBreaks) {
    const struct {
        int rows;
        std::vector<int> detailLinesPerPage;
    } cases[] = {{1, {1}}, {59, {59}}, {60, {59, 1}}, {118, {59, 59}}, {119, {59, 59, 1}}};
    const std::string dashes = "  " + std::string(90, '-');
    const std::string equals = "  " + std::string(90, '=');
    int rowsSoFar = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.rows);
        addRows(c.rows - rowsSoFar);
        rowsSoFar = c.rows;
        ASSERT_EQ(run(), PrintOutcome::Printed);
        const auto& pages = recorder.pages();
        ASSERT_EQ(pages.size(), c.detailLinesPerPage.size());
        for (std::size_t i = 0; i < pages.size(); ++i) {
            const auto lines = printtest::lineTexts(pages[i]);
            const bool last = i + 1 == pages.size();
            const std::size_t details = static_cast<std::size_t>(c.detailLinesPerPage[i]);
            ASSERT_EQ(lines.size(), 13 + details + (last ? 2 : 1)) << "page " << i + 1;
            EXPECT_NE(lines[7].find("Pag.: " + zeroPadded(static_cast<int>(i) + 1, 3)), std::string::npos);
            EXPECT_EQ(lines[13 + details], dashes);
            EXPECT_EQ(lines[13 + details + (last ? 1 : 0)], last ? equals : dashes);
        }
    }
}

// Nothing is sent to the printer when the log is empty, there is no printer or it lacks the fonts.
TEST_F(ErrorReport, RefusalsBeforePrinting) {
    EXPECT_EQ(run(), PrintOutcome::NothingToPrint);
    addRows(1);
    flags = PrinterFlags{};
    recorder.present = false;
    EXPECT_EQ(run(), PrintOutcome::Refused);
    recorder.present = true;
    flags = PrinterFlags{};
    recorder.knownFonts.clear();
    EXPECT_EQ(run(), PrintOutcome::Refused);
    EXPECT_EQ(prompts.texts(),
              (std::vector<std::string>{"Não existem erros para impressão.", "Não existe impressora instalada.",
                                        "A impressora instalada não suporta as fontes utilizadas pelo sistema."}));
    EXPECT_EQ(prompts.titles(), (std::vector<std::string>{"Imprimir Erros", "Imprimir", "Imprimir"}));
    EXPECT_EQ(prompts.shown.back().icon, Icon::Critical);
    EXPECT_EQ(prompts.shown[1].icon, Icon::Critical);
    EXPECT_EQ(recorder.documentsEnded() + recorder.documentsAborted(), 0);
}

TEST_F(ErrorReport, APrinterThatKnowsOnlyArialPrintsInArial) {
    addRows(2);
    recorder.knownFonts = {"Arial"};
    ASSERT_EQ(run(), PrintOutcome::Printed);
    EXPECT_EQ(recorder.documentFont().family, "Arial");
}

// A printer fault and a fault reading the log both drop the document, each told for what it is.
TEST_F(ErrorReport, FaultsWhilePrintingDropTheDocumentAndSayWhoseTheyAre) {
    addRows(70);
    const struct {
        int failAtText, failAtRow;
        std::string text;
        Icon icon;
    } cases[] = {
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
        EXPECT_EQ(prompts.shown[0].title, "Imprimir Erros");
        EXPECT_EQ(prompts.shown[0].icon, fault.icon);
    }
    EXPECT_EQ(recorder.documentsEnded(), 0);
    EXPECT_EQ(recorder.documentsAborted(), 2);
}

}  // namespace
}  // namespace kova::print
