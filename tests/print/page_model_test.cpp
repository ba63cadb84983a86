// The column bookkeeping every back end shares, the recorder, and the number and text forms of the documents.
#include <gtest/gtest.h>

#include <functional>
#include <sstream>

#include "core/faults.h"
#include "print/line_composer.h"
#include "print/page_recorder.h"
#include "print/print_format.h"
#include "print/printer_check.h"

namespace kova::print {
namespace {

// b: some characters of the line bold, B: all of them; bold printed over by plain text is no longer bold.
TEST(PageModel, BoldIsRecordedPerCharacterAndEmptyLinesArePages) {
    PageRecorder r;
    r.setBold(true);
    r.write("NEGRITO");
    r.setBold(false);
    r.at(10, "normal");
    r.endLine();
    r.line();
    r.setBold(true);
    r.write("ÂB");
    r.carriageReturn();
    r.setBold(false);
    r.line("c");
    r.setBold(true);
    r.newPage();
    r.line("pagina 2");
    r.endDocument();
    EXPECT_EQ(annotatedText(r.pages()), "=== página 1 ===\nb|NEGRITO  normal\n |\nb|cB\n=== página 2 ===\nB|pagina 2\n");
}

TEST(PageModel, AbortDropsTheDocumentAndASinkGetsPagesAsTheyEnd) {
    std::vector<std::size_t> linesSeen;
    PageRecorder streamed([&](const RecordedPage& page, int) { linesSeen.push_back(page.lines.size()); });
    streamed.line("a");
    streamed.newPage();
    EXPECT_EQ(linesSeen, std::vector<std::size_t>{1});
    streamed.line("b");
    streamed.endDocument();
    EXPECT_EQ(linesSeen, (std::vector<std::size_t>{1, 1}));

    PageRecorder r;
    r.line("x");
    r.abortDocument();
    EXPECT_EQ(r.documentsAborted() - r.documentsEnded(), 1);
    EXPECT_TRUE(r.pages().empty());
}

// Columns count characters, not bytes: a tab moves to its column or to the next line when past it, and what is
// printed over a line (after a carriage return) replaces exactly the columns it covers.
TEST(PageModel, ColumnsOfTabsAndOfTextPrintedOverALine) {
    const struct {
        const char* first;
        bool overPrint;
        int column;
        const char* then;
        const char* text;
    } cases[] = {
        {"    abc", false, 8, "de", "    abcde"},     // exactly at the next column: same line
        {"    abc", false, 7, "X", "    abc\n      X"},  // the column is past: next line
        {"AÇÃO", false, 5, "|", "AÇÃO|"},
        {"ÇÃO", true, 2, "x", "ÇxO"},        // a two-byte character by a one-byte one
        {"abc", true, 2, "É", "aÉc"},        // and the other way round
        {"AÇÃO", true, 3, "ÉÊÍÓ", "AÇÉÊÍÓ"},  // over the end
        {"ab", true, 5, "Ü", "ab  Ü"},       // past the end: blanks between
    };
    for (const auto& c : cases) {
        PageRecorder r;
        r.write(c.first);
        if (c.overPrint) r.carriageReturn();
        r.at(c.column, c.then);
        r.endDocument();
        EXPECT_EQ(plainText(r.pages()), std::string(c.text) + "\n") << c.first << " / " << c.then;
    }
}

// The lines of a page are reused for the next one: nothing of one page shows on another. A closed stream and a
// device told to fail at its second text both are printer faults.
TEST(PageModel, TextOutputHasEachPageOnceAndAFailedWriteIsAPrinterFault) {
    std::ostringstream out;
    TextPageWriter writer(out);
    writer.line("primeira página, longa");
    writer.newPage();
    writer.line("x");
    writer.endDocument();
    EXPECT_EQ(out.str(), "primeira página, longa\n\fx\n");

    std::ostringstream closed;
    closed.setstate(std::ios::badbit);
    TextPageWriter failing(closed);
    PageRecorder device;
    device.failAtText = 2;
    const std::function<void()> faults[] = {[&] { failing.line("y"), failing.endDocument(); },
                                            [&] { device.write("1"), device.write("2"); }};
    for (const auto& fault : faults) {
        try {
            fault();
            ADD_FAILURE() << "no fault";
        } catch (const Fault& f) {
            EXPECT_EQ(f.number(), 482);
        }
    }
}

// A composed line prints what the same fields printed one by one print, line breaks included.
TEST(PageModel, AComposedLinePrintsAsItsFieldsOneByOne) {
    using Fields = std::vector<std::pair<int, std::string>>;
    const Fields cases[] = {
        {{1, "abc"}, {10, "dé"}, {12, "f"}},
        {{1, "abcdef"}, {4, "X"}},         // starts inside the line: the next line
        {{5, "ab"}, {8, "longo demais"}},  // ends past the last column: printed on its own
    };
    for (const Fields& fields : cases) {
        PageRecorder oneByOne, composed;
        oneByOne.setPageGrid(PageGrid{10, 66, 0.0});
        LineComposer line(composed, 10);
        for (const auto& [column, text] : fields) {
            oneByOne.at(column, text);
            line.at(column, text);
        }
        oneByOne.endLine();
        line.endLine();
        oneByOne.endDocument();
        composed.endDocument();
        EXPECT_EQ(plainText(composed.pages()), plainText(oneByOne.pages())) << fields[0].second;
    }
}

TEST(NumberForms, CentringGivesHalvesToTheEvenNumber) {
    const struct {
        int width, length, offset;
    } cases[] = {{100, 19, 40}, {100, 20, 40}, {100, 41, 30}, {120, 21, 50}, {120, 23, 48}, {10, 12, 0}};
    for (const auto& c : cases)
        EXPECT_EQ(centringOffset(c.width, c.length), c.offset) << c.length << " in " << c.width;
    EXPECT_EQ(centred("  RELATÓRIO DE CONSULTA  ", 120), std::string(50, ' ') + "RELATÓRIO DE CONSULTA");
}

TEST(NumberForms, AmountsInBrazilianGroupingAndAnythingButDigitsIsATypeMismatch) {
    const std::pair<const char*, const char*> cases[] = {
        {"00000000000000000", "0,00"},
        {"00000000000123456", "1.234,56"},
        {"99999999999999999", "999.999.999.999.999,99"},
        {"5", "0,05"},
    };
    for (const auto& [digits, shown] : cases) EXPECT_EQ(amountFromDigits(digits), shown) << digits;
    for (const char* bad : {"", "0000000000000001 ", "00000000000000-01"}) {
        try {
            amountFromDigits(bad);
            ADD_FAILURE() << bad;
        } catch (const Fault& f) {
            EXPECT_EQ(f.number(), 13) << bad;
        }
    }
}

// The forms the golden pages do not reach: long page numbers, overflowing widths, accents in a fitted field.
TEST(NumberForms, PatternsOfTheDocuments) {
    EXPECT_EQ(pageNumberGrouped(17858) + " " + zeroPadded(17858, 3), "17.858 17858");
    EXPECT_EQ(rightAligned("123.456.789", 9) + fitted("ÁÉ", 4) + fitted("ABCDEF", 3), "123.456.789ÁÉ  ABC");
    EXPECT_EQ(wholeNumber(" 0011"), 11);
    EXPECT_THROW(wholeNumber("1a"), Fault);
}

// The first font the printer knows of Courier New, Courier and Arial; the flags stay set once set.
TEST(Probe, FlagsAndTheChosenFont) {
    const struct {
        bool present;
        std::set<std::string> fonts;
        const char* chosen;  // "-": none
    } cases[] = {
        {true, {"Courier New", "Courier", "Arial"}, "Courier New"},
        {true, {"Courier", "Arial"}, "Courier"},
        {true, {"Arial"}, "Arial"},
        {true, {}, "-"},
        {false, {"Courier New", "Courier", "Arial"}, "-"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fonts.size());
        PageRecorder r;
        r.present = c.present;
        r.knownFonts = c.fonts;
        PrinterFlags flags;
        checkPrinterFonts(r, flags);
        EXPECT_EQ(flags.printerPresent, c.present);
        EXPECT_EQ(flags.arial, c.present && c.fonts.contains("Arial"));
        EXPECT_EQ(chooseFont(flags).value_or("-"), c.chosen);
        r.present = false;
        checkPrinterFonts(r, flags);
        EXPECT_EQ(flags.printerPresent, c.present);
    }
}

}  // namespace
}  // namespace kova::print
