// The declaration report: its pages, the page estimate against the real page breaks, the selection of
// sections, the stop, and the refusals before printing.
#include <gtest/gtest.h>

#include "print/declaration_report.h"
#include "print/declaration_selection.h"
#include "print/print_format.h"
#include "print_fixtures.h"

namespace kova::print {
namespace {

namespace fs = std::filesystem;

// Sets the cancel flag once the loops have pumped `after` times (the stop button pressed while printing).
struct StopAfter : NullProgress {
    StopAfter(CancelFlag& flag, int after) : flag(flag), after(after) {}
    void pump() override { flag.set = flag.set || --after == 0; }
    CancelFlag& flag;
    int after;
};

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
    // Lines of a page that start with a masked CNPJ or CPF or a sequence number: the record lines.
    static int recordLines(const RecordedPage& page) {
        int n = 0;
        for (const std::string& t : printtest::lineTexts(page))
            n += t.size() > 14 && ((t[2] == '.' && t[6] == '.') || (t[3] == '.' && t[7] == '.') ||
                                   t.substr(0, 8).find_first_not_of("0123456789") == std::string::npos);
        return n;
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
    const struct {
        const char* golden;
        fixtures::DeclarationBuilder declaration;
        int pages;
    } cases[] = {{"relatorio_pequeno", small, 4},
                 {"relatorio_varias_paginas", fixtures::DeclarationBuilder(2023).type3(60).type4F(2).type5(58), 6}};
    for (const auto& c : cases) {
        prompts.shown.clear();
        ASSERT_TRUE(print(c.declaration));
        printtest::expectGolden(c.golden, recorder.pages());
        EXPECT_EQ(recorder.documentFont().points, 8.0);
        EXPECT_EQ(prompts.texts(), std::vector<std::string>{"Serão impressas " + std::to_string(c.pages) +
                                                            " páginas.\nConfirma impressão ?"});
    }
    EXPECT_EQ(pageEstimateQuestion(1), "Será impressa 1 página.\nConfirma impressão ?");
}

// Fifty-seven records a section page against an estimate of 56; every section page ends with a rule.
TEST_F(Report, PageBreaksAndPageNumbers) {
    const struct {
        int records;
        int estimate;
        std::vector<int> recordsPerSectionPage;
    } cases[] = {{56, 2, {56}}, {57, 3, {57}}, {58, 3, {57, 1}}, {115, 4, {57, 57, 1}}};
    for (const auto& k : cases) {
        SCOPED_TRACE(k.records);
        ASSERT_TRUE(print(fixtures::DeclarationBuilder(2023).type3(static_cast<std::size_t>(k.records))));
        EXPECT_EQ(estimated, k.estimate);
        const auto& pages = recorder.pages();
        ASSERT_EQ(pages.size(), 1 + k.recordsPerSectionPage.size());
        for (std::size_t i = 1; i < pages.size(); ++i) {
            EXPECT_EQ(recordLines(pages[i]), k.recordsPerSectionPage[i - 1]) << "page " << i + 1;
            EXPECT_EQ(pages[i].lines.back().text(), std::string(kReportColumns, '-'));
            const std::string number = zeroPadded(static_cast<int>(i) + 1, 3) + "/" + zeroPadded(k.estimate, 3);
            EXPECT_TRUE(pages[i].lines.at(2).text().ends_with("Página: " + number));
        }
    }
}

// Only the ticked section is printed and estimated; an empty one ticked alone has the identification page only.
// A stop in the first section still opens the later ones, empty.
TEST_F(Report, SelectionAndStop) {
    fixtures::DeclarationBuilder d(2023);
    d.type3(3).type4J(2).type5(60);
    ASSERT_TRUE(print(d, ReportSelection{false, false, false, true}));
    EXPECT_EQ(estimated, 1 + 2);
    ASSERT_EQ(recorder.pages().size(), 3u);
    EXPECT_EQ(recordLines(recorder.pages()[1]) + recordLines(recorder.pages()[2]), 60);
    EXPECT_EQ(plainText(recorder.pages()).find("ENTIDADE"), std::string::npos);
    EXPECT_NE(plainText(recorder.pages()).find("DADOS DA KOVA NÃO RETIDA E NÃO RECOLHIDA"), std::string::npos);
    DeclarationCheck counts;
    counts.count3 = 56;
    counts.count5 = 57;
    EXPECT_EQ(estimatePages(counts, ReportSelection{false, false, true, false}), 1);

    StopAfter stop(cancel, 10);
    PrintContext c{recorder, flags, prompts, clock, stop};
    d.type3(100).type4J(5).type5(5);
    const fs::path longer = printtest::writeSealedDeliveryFile(scratch.path() / "b", d);
    ASSERT_TRUE(DeclarationReport(c, cancel).printDeclarationReport(longer));
    const auto& pages = recorder.pages();
    ASSERT_EQ(pages.size(), 4u);  // identification, one page of each section
    EXPECT_EQ(recordLines(pages[1]) + recordLines(pages[2]) + recordLines(pages[3]), 10);
    const auto last = printtest::lineTexts(pages[3]);
    EXPECT_EQ(last.back(), "IMPRESSÃO INTERROMPIDA");
    EXPECT_EQ(last[last.size() - 2], std::string(kReportColumns, '-'));
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
    const Message& last = prompts.shown.back();
    EXPECT_EQ(last.text, "Erro na impressão do relatório.\nErro: 482\nErro de impressão ou impressora não instalada."
                         "\nTenta novamente ?");
    EXPECT_EQ(last.title, "Imprimir Declaração");
    EXPECT_EQ(last.icon, Icon::Question);
}

TEST_F(Report, RefusalsBeforePrinting) {
    fixtures::DeclarationBuilder d(2023);
    d.type3(1);
    recorder.present = false;
    EXPECT_FALSE(print(d));
    recorder.present = true;
    recorder.knownFonts.clear();
    EXPECT_FALSE(print(d));
    recorder.knownFonts = {"Courier New"};
    prompts.unansweredYesNo = Answer::No;
    EXPECT_FALSE(print(d));  // the page estimate declined
    std::string bytes = printtest::readBytes(dec);
    bytes[bytes.size() - 200] ^= 1;
    printtest::writeBytes(dec, bytes);
    EXPECT_FALSE(printFile(dec));
    EXPECT_FALSE(printFile(scratch.path() / "nao-existe.DEC"));
    EXPECT_EQ(prompts.texts(),
              (std::vector<std::string>{"Não existe impressora instalada.",
                                        "A impressora instalada não suporta as fontes de caracter utilizadas pelo "
                                        "sistema.",
                                        "Serão impressas 2 páginas.\nConfirma impressão ?", alteredFileMessage(),
                                        "O arquivo de declaração selecionado não existe."}));
    EXPECT_EQ(recorder.documentsEnded() + recorder.documentsAborted(), 0);
}

TEST(Selection, ShowFieldsAcceptsOnlyADeliveryFile) {
    printtest::TempFolder scratch;
    testing_support::RecordingPrompts prompts;
    ReportLabels labels;
    CatalogueRow row;
    row.cnpj = "11222333000181";
    row.type = "Original";
    const auto show = [&](const fs::path& file) {
        row.fileName = file.string();
        return showFields(row, prompts, labels);
    };
    EXPECT_TRUE(show(printtest::writeSealedDeliveryFile(scratch.path(), fixtures::DeclarationBuilder(2023).type3(1))));
    EXPECT_EQ(labels.cnpj + " " + labels.type, "11.222.333/0001-81 Original");
    printtest::writeBytes(scratch.path() / "vazio.DEC", "");
    EXPECT_FALSE(show(scratch.path() / "vazio.DEC"));  // silently
    printtest::writeBytes(scratch.path() / "outro.DEC", "KOVALDFX resto\r\n");
    EXPECT_FALSE(show(scratch.path() / "outro.DEC"));
    EXPECT_FALSE(show(scratch.path() / "sumiu.DEC"));
    EXPECT_EQ(prompts.texts(),
              (std::vector<std::string>{
                  "O campo Nome do Arquivo do primeiro registro é diferente de KOVALDF ou o arquivo foi corrompido.",
                  "O arquivo selecionado não existe."}));
    EXPECT_EQ(prompts.titles(), (std::vector<std::string>(2, "Valida arquivo")));
}

}  // namespace
}  // namespace kova::print
