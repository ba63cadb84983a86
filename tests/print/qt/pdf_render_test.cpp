// The Qt back end: each document rendered to a PDF file, the file put in place only when complete, and the
// font probe.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <functional>
#include <regex>

#include <sys/mount.h>

#include <QFont>
#include <QFontInfo>
#include <QFontMetricsF>

#include "core/faults.h"
#include "print/declaration_report.h"
#include "print/error_report.h"
#include "print/page_recorder.h"
#include "print/qt/font_probe.h"
#include "print/qt/print_output.h"
#include "print/qt/qt_printer.h"
#include "print/receipt_print.h"
#include "../delivery_fixture.h"
#include "../print_fixtures.h"

namespace kova::print {
namespace {

namespace fs = std::filesystem;

// Pages of a PDF: pdfinfo when it is installed, else the page objects of the file.
int pdfPages(const fs::path& pdf) {
    const std::string command = "pdfinfo '" + pdf.string() + "' 2>/dev/null";
    if (FILE* pipe = ::popen(command.c_str(), "r")) {
        char buffer[512];
        int pages = -1;
        while (std::fgets(buffer, sizeof buffer, pipe))
            if (std::sscanf(buffer, "Pages: %d", &pages) == 1) break;
        const int status = ::pclose(pipe);
        if (status == 0 && pages >= 0) return pages;
    }
    const std::string bytes = printtest::readBytes(pdf);
    const std::regex page("/Type\\s*/Page[^s]");
    return static_cast<int>(std::distance(std::sregex_iterator(bytes.begin(), bytes.end(), page), std::sregex_iterator()));
}

// The text of a PDF as pdftotext reads it, one printed line a line; empty when pdftotext is not installed.
std::string pdfText(const fs::path& pdf) {
    std::string text;
    if (FILE* pipe = ::popen(("pdftotext -raw -enc UTF-8 '" + pdf.string() + "' - 2>/dev/null").c_str(), "r")) {
        char buffer[4096];
        for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) text.append(buffer, n);
        if (::pclose(pipe) != 0) text.clear();
    }
    return text;
}

// A line with its runs of blanks made one, as a text extractor reads words laid out in columns.
std::string words(const std::string& line) {
    std::string out;
    for (char c : line)
        if (c != ' ' || (!out.empty() && out.back() != ' ')) out += c;
    while (!out.empty() && out.back() == ' ') out.pop_back();
    return out;
}

class PdfRendering : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ensureGuiApplication(); }
    void expectPdf(const fs::path& pdf, int pages) {
        ASSERT_TRUE(fs::exists(pdf));
        const std::string bytes = printtest::readBytes(pdf);
        ASSERT_GT(bytes.size(), 1000u);
        EXPECT_EQ(bytes.substr(0, 5), "%PDF-");
        EXPECT_EQ(pdfPages(pdf), pages);
        // Nothing but the document is left in the folder (the temporary file is gone).
        int files = 0;
        for (const auto& e : fs::directory_iterator(pdf.parent_path())) files += e.path().extension() == ".tmp";
        EXPECT_EQ(files, 0);
    }

    printtest::ScratchFolder scratch;
    PrinterFlags flags;
    printtest::RecordingPrompts prompts;
    FixedClock clock{DateTime{2024, 5, 2, 9, 0, 0}};
    NullProgress progress;
};

TEST_F(PdfRendering, ErrorReportAndReceipt) {
    printtest::TextErrorLog log;
    for (int i = 0; i < 60; ++i)
        log.recordError("3", 3 + i, "0025", "0142", 74, "11222333000181", "EMPRESA AÇÃO ÇÉÊ", std::string("X"));
    const fs::path dec = printtest::writeSealedDeliveryFile(scratch.path() / "dec",
                                                            fixtures::DeclarationBuilder(2023).type3(2).type5(2));
    printtest::writeReceipt(dec, printtest::ReceiptOptions{"12345678909   "});
    ReceiptData data;
    const struct {
        const char* file;
        std::function<bool(PrintContext&)> print;
        int pages;
    } documents[] = {
        {"erros.pdf", [&](PrintContext& c) { return printErrorReport(log, c) == PrintOutcome::Printed; }, 2},
        {"recibo.pdf", [&](PrintContext& c) { return printReceipt(dec, c, data) == ReceiptPrintResult::Printed; }, 1},
    };
    for (const auto& document : documents) {
        const fs::path pdf = scratch.path() / document.file;
        auto printer = QtPrinter::pdfFile(pdf);
        PrintContext c{*printer, flags, prompts, clock, progress};
        ASSERT_TRUE(document.print(c)) << document.file;
        expectPdf(pdf, document.pages);
        EXPECT_FALSE(printer->drawnFamily().empty());
    }
}

TEST_F(PdfRendering, DeclarationReport) {
    const fs::path dec = printtest::writeSealedDeliveryFile(scratch.path() / "dec",
                                                      fixtures::DeclarationBuilder(2023).type3(58).type4F(1).type5(3));
    const fs::path pdf = scratch.path() / "relatorio.pdf";
    auto printer = QtPrinter::pdfFile(pdf);
    PrintContext c{*printer, flags, prompts, clock, progress};
    CancelFlag cancel;
    DeclarationReport report(c, cancel);
    ASSERT_TRUE(report.printDeclarationReport(dec));
    expectPdf(pdf, 5);

    // The glyphs on the paper are the characters of the records, in their order (drawn without shaping).
    const std::string text = pdfText(pdf);
    if (text.empty()) GTEST_SKIP() << "pdftotext is not installed";
    PageRecorder recorder;
    PrintContext recorded{recorder, flags, prompts, clock, progress};
    DeclarationReport again(recorded, cancel);
    ASSERT_TRUE(again.printDeclarationReport(dec));
    int records = 0;
    for (const RecordedPage& page : recorder.pages())
        for (const std::string& line : printtest::lineTexts(page))
            if (!line.empty() && std::isdigit(static_cast<unsigned char>(line[0]))) {
                ++records;
                EXPECT_NE(text.find("\n" + words(line) + "\n"), std::string::npos) << line;
            }
    EXPECT_EQ(records, 58 + 1 + 3);
}

TEST_F(PdfRendering, AnAbortedDocumentLeavesNoFileAndKeepsAnEarlierOne) {
    const fs::path pdf = scratch.path() / "saida.pdf";
    printtest::writeBytes(pdf, "anterior");
    {
        auto printer = QtPrinter::pdfFile(pdf);
        printer->setFont("Courier New", 10);
        printer->line("texto");
        printer->newPage();
        printer->abortDocument();
    }
    EXPECT_EQ(printtest::readBytes(pdf), "anterior");
    EXPECT_EQ(std::distance(fs::directory_iterator(scratch.path()), fs::directory_iterator()), 1);

    auto nowhere = QtPrinter::pdfFile(scratch.path() / "nao" / "existe.pdf");
    try {
        nowhere->line("x");
        FAIL() << "no fault";
    } catch (const Fault& f) {
        EXPECT_EQ(f.number(), 76);
    }
}

// A disk that fills up in the middle of the document: the print fails and the earlier file is kept whole.
TEST_F(PdfRendering, AFullDiskFailsThePrintAndKeepsTheEarlierFile) {
    const fs::path disk = scratch.path() / "disco";
    fs::create_directory(disk);
    if (::mount("tmpfs", disk.c_str(), "tmpfs", 0, "size=16k") != 0) GTEST_SKIP() << "cannot mount a small disk here";
    struct Unmount {
        fs::path at;
        ~Unmount() { ::umount(at.c_str()); }
    } unmount{disk};
    const fs::path pdf = disk / "erros.pdf";
    printtest::writeBytes(pdf, "anterior");
    printtest::TextErrorLog log;
    for (int i = 0; i < 300; ++i)
        log.recordError("3", 3 + i, "0025", "0142", 74, "11222333000181", "EMPRESA " + std::to_string(i), "X");
    auto printer = QtPrinter::pdfFile(pdf);
    PrintContext c{*printer, flags, prompts, clock, progress};
    EXPECT_EQ(printErrorReport(log, c), PrintOutcome::Failed);
    EXPECT_TRUE(printtest::readBytes(pdf) == "anterior");
    EXPECT_EQ(std::distance(fs::directory_iterator(disk), fs::directory_iterator()), 1);
}

TEST_F(PdfRendering, FontProbeAcceptsOnlyFamiliesWithTheSameWidths) {
    EXPECT_FALSE(resolveFont("Fonte Que Nao Existe XYZ").usable);
    // scripts/setup installs fonts-liberation: Courier New is then drawn with a font of 0.6 em columns.
    const FontResolution courierNew = resolveFont(kCourierNew);
    ASSERT_TRUE(courierNew.usable);
    QFont font(courierNew.resolvedFamily);
    font.setPixelSize(1000);
    EXPECT_TRUE(QFontInfo(font).fixedPitch());
    EXPECT_NEAR(QFontMetricsF(font).horizontalAdvance(QLatin1Char('M')), 600.0, 6.0);
    EXPECT_NEAR(QFontMetricsF(font).horizontalAdvance(QStringLiteral("ÇÃ")), 1200.0, 12.0);
    // The PDF printer is present and answers for the fonts like the probe.
    auto printer = QtPrinter::pdfFile(scratch.path() / "x.pdf");
    EXPECT_TRUE(printer->printerPresent());
    EXPECT_EQ(printer->fontUsable(kCourierNew), resolveFont(kCourierNew).usable);
}

}  // namespace
}  // namespace kova::print
