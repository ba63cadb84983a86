// The declaration report: its pages, the page estimate against the real page breaks, the selection of
// sections, the stop, and the refusals before printing.
#include <gtest/gtest.h>

#include "core/text.h"
#include "print/declaration_report.h"
#include "print/declaration_selection.h"
#include "print/print_format.h"
#include "delivery_fixture.h"
#include "print_fixtures.h"

namespace kova::print {
namespace {

namespace fs = std::filesystem;
using printtest::RecordingPrompts;

// Sets the cancel flag once the loops have pumped `after` times (the stop button pressed while printing).
class StopAfter : public Progress {
public:
    StopAfter(CancelFlag& flag, int after) : flag_(flag), after_(after) {}
    void setPercent(int) override {}
    void pump() override {
        if (++pumps_ == after_) flag_.set = true;
    }

private:
    CancelFlag& flag_;
    int after_;
    int pumps_ = 0;
};

class Report : public ::testing::Test {
protected:
    bool print(const fixtures::DeclarationBuilder& d, ReportSelection selection = {}, Progress* p = nullptr) {
        dec = printtest::writeSealedDeliveryFile(scratch.path(), d);
        PrintContext c{recorder, flags, prompts, clock, p ? *p : progress};
        DeclarationReport report(c, cancel);
        report.selection = selection;
        const bool ok = report.printDeclarationReport(dec);
        printed = report.pagesPrinted();
        estimated = report.estimatedTotal();
        return ok;
    }
    // The "Página: NNN/TTT" of every page.
    std::vector<std::string> pageNumbers() const {
        std::vector<std::string> out;
        for (const auto& page : recorder.pages()) {
            const std::string third = page.lines.at(2).text();
            out.push_back(third.substr(third.find("Página: ") + std::string("Página: ").size()));
        }
        return out;
    }
    // Lines of a page that start with a masked CNPJ or CPF or a sequence number: the record lines.
    static int recordLines(const RecordedPage& page) {
        int n = 0;
        for (const auto& l : page.lines) {
            const std::string t = l.text();
            if (t.size() > 14 && ((t[2] == '.' && t[6] == '.') || (t[3] == '.' && t[7] == '.') ||
                                  (t.substr(0, 8).find_first_not_of("0123456789") == std::string::npos)))
                ++n;
        }
        return n;
    }

    printtest::ScratchFolder scratch;
    fs::path dec;
    PageRecorder recorder;
    PrinterFlags flags;
    RecordingPrompts prompts;
    FixedClock clock{DateTime{2024, 5, 2, 9, 0, 0}};
    NullProgress progress;
    CancelFlag cancel;
    std::int64_t printed = 0, estimated = 0;
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
        EXPECT_EQ(estimated, c.pages);
        EXPECT_EQ(prompts.texts(), std::vector<std::string>{"Serão impressas " + std::to_string(c.pages) +
                                                            " páginas.\nConfirma impressão ?"});
    }
}

// Fifty-seven records a section page, against an estimate of 56; every section page ends with a rule.
TEST_F(Report, PageBreaksAndPageNumbers) {
    const struct {
        int records;
        int estimate;
        std::vector<int> recordsPerSectionPage;
    } cases[] = {{56, 2, {56}}, {57, 3, {57}}, {58, 3, {57, 1}}, {114, 4, {57, 57}}, {115, 4, {57, 57, 1}}};
    for (const auto& k : cases) {
        SCOPED_TRACE(k.records);
        ASSERT_TRUE(print(fixtures::DeclarationBuilder(2023).type3(static_cast<std::size_t>(k.records))));
        EXPECT_EQ(estimated, k.estimate);
        const auto& pages = recorder.pages();
        ASSERT_EQ(pages.size(), 1 + k.recordsPerSectionPage.size());
        std::vector<std::string> expectedNumbers;
        for (std::size_t i = 0; i < pages.size(); ++i)
            expectedNumbers.push_back(zeroPadded(static_cast<int>(i) + 1, 3) + "/" + zeroPadded(k.estimate, 3));
        EXPECT_EQ(pageNumbers(), expectedNumbers);
        for (std::size_t i = 0; i < k.recordsPerSectionPage.size(); ++i) {
            EXPECT_EQ(recordLines(pages[i + 1]), k.recordsPerSectionPage[i]) << "section page " << i + 1;
            EXPECT_EQ(pages[i + 1].lines.back().text(), std::string(kReportColumns, '-'));
        }
    }
}

TEST_F(Report, OnlyTheTickedSectionIsPrinted) {
    fixtures::DeclarationBuilder d(2023);
    d.type3(3).type4J(2).type5(60);
    ReportSelection only5;
    only5.wholeDeclaration = false;
    only5.type5 = true;
    ASSERT_TRUE(print(d, only5));
    EXPECT_EQ(estimated, 1 + 2);
    const auto& pages = recorder.pages();
    ASSERT_EQ(pages.size(), 3u);
    for (std::size_t i = 1; i < pages.size(); ++i) {
        EXPECT_NE(pages[i].lines.at(4).text().find("DADOS DA KOVA NÃO RETIDA E NÃO RECOLHIDA"), std::string::npos);
        for (const auto& l : pages[i].lines) EXPECT_EQ(l.text().find("ENTIDADE"), std::string::npos);
    }
    EXPECT_EQ(recordLines(pages[1]) + recordLines(pages[2]), 60);
}

TEST_F(Report, StopDuringTheFirstSectionStillOpensTheLaterOnes) {
    fixtures::DeclarationBuilder d(2023);
    d.type3(100).type4J(5).type5(5);
    StopAfter stop(cancel, 10);
    ASSERT_TRUE(print(d, {}, &stop));
    const auto& pages = recorder.pages();
    ASSERT_EQ(pages.size(), 4u);  // identification, one page of each section
    EXPECT_EQ(recordLines(pages[1]), 10);
    EXPECT_EQ(recordLines(pages[2]), 0);
    EXPECT_EQ(recordLines(pages[3]), 0);
    const auto last = printtest::lineTexts(pages[3]);
    EXPECT_EQ(last.back(), "IMPRESSÃO INTERROMPIDA");
    EXPECT_EQ(last[last.size() - 2], std::string(kReportColumns, '-'));
    EXPECT_EQ(recorder.documentsEnded(), 1);
}

TEST_F(Report, PrinterFaultOnARecordAsksAndRepeatsThatRecord) {
    fixtures::DeclarationBuilder d(2023);
    d.type3(5).type5(2);
    ASSERT_TRUE(print(d));
    const auto clean = recorder.pages();

    // The name of the third type-3 record fails: its line is printed again after Yes.
    const auto thirdName = [](std::string_view t) { return t == "ENTIDADE BENEFICENTE 3"; };
    recorder.failOnceWhen = thirdName;
    int asked = 0;
    prompts.answer = [&](const Message& m) {
        if (m.text.ends_with("Tenta novamente ?")) return ++asked == 1 ? Answer::Yes : Answer::No;
        return m.buttons == Buttons::YesNo ? Answer::Yes : Answer::Ok;
    };
    ASSERT_TRUE(print(d));
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(plainText(recorder.pages()), plainText(clean));

    // No abandons the report: nothing is sent.
    asked = 1;
    recorder.failOnceWhen = thirdName;
    prompts.shown.clear();
    EXPECT_FALSE(print(d));
    EXPECT_EQ(recorder.documentsAborted(), 1);
    EXPECT_EQ(recorder.documentsEnded(), 2);
    const Message& last = prompts.shown.back();
    EXPECT_EQ(last.text,
              "Erro na impressão do relatório.\nErro: 482\nErro de impressão ou impressora não instalada.\nTenta "
              "novamente ?");
    EXPECT_EQ(last.title, "Imprimir Declaração");
    EXPECT_EQ(last.icon, Icon::Question);
}

TEST_F(Report, RefusalsBeforePrinting) {
    fixtures::DeclarationBuilder d(2023);
    d.type3(1);
    recorder.present = false;
    EXPECT_FALSE(print(d));
    recorder.present = true;
    flags = PrinterFlags{};
    recorder.knownFonts.clear();
    EXPECT_FALSE(print(d));
    recorder.knownFonts = {"Courier New"};
    prompts.answer = [](const Message& m) { return m.buttons == Buttons::YesNo ? Answer::No : Answer::Ok; };
    EXPECT_FALSE(print(d));  // the page estimate declined
    prompts.answer = nullptr;
    std::string bytes = printtest::readBytes(dec);
    bytes[bytes.size() - 200] ^= 1;
    printtest::writeBytes(dec, bytes);
    PrintContext c{recorder, flags, prompts, clock, progress};
    DeclarationReport report(c, cancel);
    EXPECT_FALSE(report.printDeclarationReport(dec));
    EXPECT_FALSE(report.printDeclarationReport(scratch.path() / "nao-existe.DEC"));
    EXPECT_EQ(prompts.texts(),
              (std::vector<std::string>{"Não existe impressora instalada.",
                                        "A impressora instalada não suporta as fontes de caracter utilizadas pelo "
                                        "sistema.",
                                        "Serão impressas 2 páginas.\nConfirma impressão ?", alteredFileMessage(),
                                        "O arquivo de declaração selecionado não existe."}));
    EXPECT_EQ(recorder.documentsEnded() + recorder.documentsAborted(), 0);
}

// The plural is on the golden pages' question; an empty section ticked alone gives the identification page only.
TEST(PageEstimate, OnePageIsSingularAndAnEmptySectionHasNoPage) {
    EXPECT_EQ(pageEstimateQuestion(1), "Será impressa 1 página.\nConfirma impressão ?");
    DeclarationCheck counts;
    counts.count3 = 56;
    counts.count4 = 0;
    counts.count5 = 57;
    EXPECT_EQ(estimatePages(counts, ReportSelection{}), 1 + 1 + 0 + 2);
    EXPECT_EQ(estimatePages(counts, ReportSelection{false, false, true, false}), 1);
}

class Selection : public ::testing::Test {
protected:
    CatalogueRow row(const fs::path& file) {
        CatalogueRow r;
        r.cnpj = "11222333000181";
        r.name = "EMPRESA";
        r.year = "2023";
        r.situation = "00 - Normal";
        r.type = "Original";
        r.eventDate = "";
        r.fileName = file.string();
        return r;
    }
    printtest::ScratchFolder scratch;
    RecordingPrompts prompts;
    ReportLabels labels;
};

TEST_F(Selection, ShowFieldsAcceptsOnlyADeliveryFile) {
    const fs::path good = printtest::writeSealedDeliveryFile(scratch.path(), fixtures::DeclarationBuilder(2023).type3(1));
    EXPECT_TRUE(showFields(row(good), prompts, labels));
    EXPECT_EQ(labels.cnpj, "11.222.333/0001-81");
    EXPECT_EQ(labels.type, "Original");
    EXPECT_TRUE(prompts.shown.empty());

    const fs::path empty = scratch.path() / "vazio.DEC";
    printtest::writeBytes(empty, "");
    EXPECT_FALSE(showFields(row(empty), prompts, labels));
    EXPECT_TRUE(prompts.shown.empty());

    const fs::path foreign = scratch.path() / "outro.DEC";
    printtest::writeBytes(foreign, "KOVALDFX resto\r\n");
    EXPECT_FALSE(showFields(row(foreign), prompts, labels));
    EXPECT_FALSE(showFields(row(scratch.path() / "sumiu.DEC"), prompts, labels));
    EXPECT_EQ(prompts.texts(),
              (std::vector<std::string>{
                  "O campo Nome do Arquivo do primeiro registro é diferente de KOVALDF ou o arquivo foi corrompido.",
                  "O arquivo selecionado não existe."}));
    for (const auto& m : prompts.shown) EXPECT_EQ(m.title, "Valida arquivo");
}

}  // namespace
}  // namespace kova::print
