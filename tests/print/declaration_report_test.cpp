// The declaration report: its pages, the page estimate against the real page breaks, the selection of
// sections, and the refusals before printing.
#include <gtest/gtest.h>

#include "print/declaration_report.h"
#include "print/declaration_selection.h"
#include "print/print_format.h"
#include "print_fixtures.h"

namespace kova::print {
namespace {

namespace fs = std::filesystem;

const char* const kPrinterFault =
    "Erro na impressão do relatório.\nErro: 482\nErro de impressão ou impressora não instalada.\nTenta novamente ?";

class Report : public ::testing::Test, public printtest::PrintDesk {
protected:
    bool print(const fixtures::DeclarationBuilder& d, ReportSelection selection = {}) {
        dec = printtest::writeSealedDeliveryFile(scratch.path(), d);
        return printFile(dec, selection);
    }
    bool printFile(const fs::path& file, ReportSelection selection = {}) {
        PrintContext c = context();
        DeclarationReport report(c, cancel);
        report.selection = selection;
        const bool ok = report.printDeclarationReport(file);
        estimated = report.estimatedTotal();
        return ok;
    }

    printtest::TempFolder scratch;
    fs::path dec;
    CancelFlag cancel;
    std::int64_t estimated = 0;
};

TEST_F(Report, DeclarationsMatchTheirGoldenPages) {
    fixtures::DeclarationBuilder small(2023);
    small.type3(2).type4F(1).type4J(1).type5(3);
    small.header().name("EMPRESA DE TESTE COM NOME LONGO");
    const fixtures::DeclarationBuilder longer = fixtures::DeclarationBuilder(2023).type3(60).type4F(2).type5(58);
    const std::tuple<const char*, fixtures::DeclarationBuilder, int> cases[] = {
        {"relatorio_pequeno", small, 4}, {"relatorio_varias_paginas", longer, 6}};
    for (const auto& [golden, declaration, pages] : cases) {
        prompts.shown.clear();
        ASSERT_TRUE(print(declaration));
        printtest::expectGolden(golden, recorder.pages());
        EXPECT_EQ(recorder.documentFont().points, 8.0);
        EXPECT_EQ(prompts.texts(), std::vector<std::string>{pageEstimateQuestion(pages)});
    }
    EXPECT_EQ(pageEstimateQuestion(1), "Será impressa 1 página.\nConfirma impressão ?");
}

// Fifty-seven records a section page against an estimate of 56 a page; every section page ends with a rule.
TEST_F(Report, PageBreaksAndPageNumbers) {
    ASSERT_TRUE(print(fixtures::DeclarationBuilder(2023).type3(57)));
    EXPECT_EQ(estimated, 3);
    ASSERT_EQ(recorder.pages().size(), 2u);
    EXPECT_TRUE(recorder.pages().back().lines.at(2).text().ends_with("Página: 002/003"));
    EXPECT_EQ(recorder.pages().back().lines.back().text(), std::string(kReportColumns, '-'));
}

// Only the ticked section is printed and estimated.
TEST_F(Report, OnlyTheTickedSectionIsPrinted) {
    fixtures::DeclarationBuilder d(2023);
    d.type3(3).type4J(2).type5(60);
    ASSERT_TRUE(print(d, ReportSelection{false, false, false, true}));
    EXPECT_EQ(estimated, 1 + 2);
    ASSERT_EQ(recorder.pages().size(), 3u);
    EXPECT_EQ(plainText(recorder.pages()).find("ENTIDADE"), std::string::npos);
}

// A printer fault on a record asks; Yes prints that record again, No abandons the report and sends nothing.
TEST_F(Report, PrinterFaultOnARecordAsksAndRepeatsThatRecord) {
    fixtures::DeclarationBuilder d(2023);
    d.type3(5).type5(2);
    ASSERT_TRUE(print(d));
    const std::string clean = plainText(recorder.pages());
    for (const Answer answer : {Answer::Yes, Answer::No}) {
        recorder.failOnceWhen = [](std::string_view t) { return t == "ENTIDADE BENEFICENTE 3"; };
        prompts.answers = {Answer::Yes, answer};
        prompts.shown.clear();
        EXPECT_EQ(print(d), answer == Answer::Yes);
        if (answer == Answer::Yes) {
            EXPECT_EQ(plainText(recorder.pages()), clean);
        }
    }
    EXPECT_EQ(recorder.documentsAborted(), 1);
    EXPECT_EQ(prompts.shown.back().text, kPrinterFault);
}

// No printer, no fonts, no default printer, the page estimate declined, a delivery file altered after generation:
// nothing is sent.
TEST_F(Report, RefusalsBeforePrinting) {
    recorder.present = false;
    EXPECT_FALSE(print(fixtures::DeclarationBuilder(2023).type3(1)));
    recorder.present = true;
    recorder.knownFonts.clear();
    EXPECT_FALSE(printFile(dec));
    recorder.knownFonts = {"Courier New"};
    prompts.unansweredYesNo = Answer::No;
    recorder.defaultPrinter = std::nullopt;
    EXPECT_FALSE(printFile(dec));
    recorder.defaultPrinter = "Registro de páginas";
    EXPECT_FALSE(printFile(dec));
    std::string bytes = printtest::readBytes(dec);
    bytes[bytes.size() - 200] ^= 1;
    printtest::writeBytes(dec, bytes);
    EXPECT_FALSE(printFile(dec));
    EXPECT_EQ(prompts.texts(),
              (std::vector<std::string>{"Não existe impressora instalada.",
                                        "A impressora instalada não suporta as fontes de caracter utilizadas pelo "
                                        "sistema.",
                                        kPrinterFault,
                                        "Serão impressas 2 páginas.\nConfirma impressão ?", alteredFileMessage()}));
    EXPECT_EQ(recorder.documentsEnded() + recorder.documentsAborted(), 0);
}

// The report screen refuses all but a delivery file: an empty one silently, a foreign or a missing one told.
TEST(Selection, ShowFieldsRefusesAllButADeliveryFile) {
    printtest::TempFolder scratch;
    testing_support::RecordingPrompts prompts;
    ReportLabels labels;
    CatalogueRow row;
    printtest::writeBytes(scratch / "vazio.DEC", "");
    printtest::writeBytes(scratch / "outro.DEC", "KOVALDFX resto\r\n");
    for (const char* refused : {"vazio.DEC", "outro.DEC", "sumiu.DEC"}) {
        row.fileName = (scratch / refused).string();
        EXPECT_FALSE(showFields(row, prompts, labels)) << refused;
    }
    EXPECT_EQ(prompts.texts(),
              (std::vector<std::string>{
                  "O campo Nome do Arquivo do primeiro registro é diferente de KOVALDF ou o arquivo foi corrompido.",
                  "O arquivo selecionado não existe."}));
}

}  // namespace
}  // namespace kova::print
