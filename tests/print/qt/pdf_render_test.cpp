// The Qt back end: a document rendered to a PDF file, the file put in place only when complete.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include <sys/mount.h>

#include "core/faults.h"
#include "print/error_report.h"
#include "print/qt/print_output.h"
#include "print/qt/qt_printer.h"
#include "../print_fixtures.h"

namespace kova::print {
namespace {

namespace fs = std::filesystem;

// A log of `rows` errors on consecutive type-3 records.
void addErrors(printtest::TextErrorLog& log, int rows) {
    for (int i = 0; i < rows; ++i)
        log.recordError("3", 3 + i, "0025", "0142", 74, "11222333000181", "EMPRESA AÇÃO " + std::to_string(i), "X");
}

class PdfRendering : public ::testing::Test, public printtest::PrintDesk {
protected:
    static void SetUpTestSuite() { ensureGuiApplication(); }
    printtest::TempFolder scratch;
};

// A document is drawn page for page into a PDF left alone in its folder, its glyphs the characters of the
// records (accents and columns included) as a text extractor reads them.
TEST_F(PdfRendering, ADocumentIsDrawnIntoItsFile) {
    printtest::TextErrorLog log;
    addErrors(log, 60);
    const fs::path pdf = scratch / "erros.pdf";
    auto printer = QtPrinter::pdfFile(pdf);
    PrintContext c = context(*printer);
    ASSERT_EQ(printErrorReport(log, c), PrintOutcome::Printed);
    EXPECT_EQ(std::distance(fs::directory_iterator(scratch.path()), fs::directory_iterator()), 1);
    const fs::path extracted = scratch / "erros.txt";
    const std::string extract = "pdftotext -raw -enc UTF-8 '" + pdf.string() + "' '" + extracted.string() + "'";
    ASSERT_EQ(std::system(extract.c_str()), 0);
    const std::string text = printtest::readBytes(extracted);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\f'), 2);  // one form feed after each page
    EXPECT_NE(text.find("\nCNPJ: 11.222.333/0001-81 - EMPRESA AÇÃO 59\n"), std::string::npos) << text;
}

TEST_F(PdfRendering, AnAbortedDocumentLeavesNoFileAndKeepsAnEarlierOne) {
    const fs::path pdf = scratch / "saida.pdf";
    printtest::writeBytes(pdf, "anterior");
    {
        auto printer = QtPrinter::pdfFile(pdf);
        printer->line("texto");
        printer->newPage();
        printer->abortDocument();
    }
    EXPECT_EQ(printtest::readBytes(pdf), "anterior");
    EXPECT_EQ(std::distance(fs::directory_iterator(scratch.path()), fs::directory_iterator()), 1);
    try {
        QtPrinter::pdfFile(scratch / "nao" / "existe.pdf")->line("x");
        FAIL() << "no fault";
    } catch (const Fault& f) {
        EXPECT_EQ(f.number(), 76);
    }
}

// A disk that fills up in the middle of the document: the print fails and the earlier file is kept whole.
TEST_F(PdfRendering, AFullDiskFailsThePrintAndKeepsTheEarlierFile) {
    const fs::path disk = scratch / "disco";
    fs::create_directory(disk);
    if (::mount("tmpfs", disk.c_str(), "tmpfs", 0, "size=16k") != 0) GTEST_SKIP() << "cannot mount a small disk here";
    struct Unmount {
        fs::path at;
        ~Unmount() { ::umount(at.c_str()); }
    } unmount{disk};
    const fs::path pdf = disk / "erros.pdf";
    printtest::writeBytes(pdf, "anterior");
    printtest::TextErrorLog log;
    addErrors(log, 300);
    auto printer = QtPrinter::pdfFile(pdf);
    PrintContext c = context(*printer);
    EXPECT_EQ(printErrorReport(log, c), PrintOutcome::Failed);
    EXPECT_EQ(printtest::readBytes(pdf), "anterior");
    EXPECT_EQ(std::distance(fs::directory_iterator(disk), fs::directory_iterator()), 1);
}

}  // namespace
}  // namespace kova::print
