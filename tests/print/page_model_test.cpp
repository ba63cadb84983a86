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

TEST(PageModel, BoldIsRecordedPerCharacterAndEmptyLinesArePages) {
    PageRecorder r;
    r.setBold(true);
    r.write("NEGRITO");
    r.setBold(false);
    r.at(10, "normal");
    r.endLine();
    r.line();
    r.setBold(true);
    r.line("TODO");
    r.newPage();
    r.line("pagina 2");
    r.endDocument();
    // b: some characters bold, B: all of them.
    EXPECT_EQ(plainText(r.pages()), "NEGRITO  normal\n\nTODO\n\fpagina 2\n");
    EXPECT_EQ(annotatedText(r.pages()),
              "=== página 1 ===\nb|NEGRITO  normal\n |\nB|TODO\n=== página 2 ===\nB|pagina 2\n");
}

TEST(PageModel, AbortDropsTheDocumentAndASinkGetsPagesAsTheyEnd) {
    std::vector<int> seen;
    PageRecorder streamed([&](const RecordedPage& page, int n) {
        seen.push_back(n);
        EXPECT_EQ(page.lines.size(), 1u);
    });
    streamed.line("a");
    streamed.newPage();
    EXPECT_EQ(seen, std::vector<int>{1});
    streamed.line("b");
    streamed.endDocument();
    EXPECT_EQ(seen, (std::vector<int>{1, 2}));

    PageRecorder r;
    r.line("x");
    r.abortDocument();
    EXPECT_FALSE(r.documentOpen());
    EXPECT_EQ(r.documentsAborted(), 1);
    EXPECT_EQ(r.documentsEnded(), 0);
    EXPECT_TRUE(r.pages().empty());
}

// Columns count characters, not bytes: a tab moves to its column or to the next line when past it, and what is
// printed over a line (after a carriage return) replaces exactly the columns it covers.
TEST(PageModel, ColumnsOfTabsAndOfTextPrintedOverALine) {
    struct Case {
        const char* first;
        bool overPrint;
        int column;
        const char* then;
        const char* text;
    };
    const Case cases[] = {
        {"    abc", false, 8, "de", "    abcde"},     // exactly at the next column: same line
        {"    abc", false, 7, "X", "    abc\n      X"},  // the column is past: next line
        {"AÇÃO", false, 5, "|", "AÇÃO|"},
        {"ÇÃO", true, 2, "x", "ÇxO"},                  // a two-byte character by a one-byte one
        {"abc", true, 2, "É", "aÉc"},                  // and the other way round
        {"AÇÃO", true, 3, "ÉÊÍÓ", "AÇÉÊÍÓ"},            // over the end
        {"ab", true, 5, "Ü", "ab  Ü"},                 // past the end: blanks between
    };
    for (const Case& c : cases) {
        PageRecorder r;
        r.write(c.first);
        if (c.overPrint) r.carriageReturn();
        r.at(c.column, c.then);
        r.endDocument();
        EXPECT_EQ(plainText(r.pages()), std::string(c.text) + "\n") << c.first << " / " << c.then;
    }
    PageRecorder r;
    r.setBold(true);
    r.write("ÂB");
    r.setBold(false);
    r.carriageReturn();
    r.write("c");
    r.endDocument();
    EXPECT_TRUE(r.pages()[0].lines[0].anyBold());
    EXPECT_FALSE(r.pages()[0].lines[0].allBold());
}

// The lines of a page handed to the sink are reused for the next pages: nothing of one page shows on another.
TEST(PageModel, TextOutputHasEachPageOnceAndAFailedWriteIsAPrinterFault) {
    std::ostringstream out;
    TextPageWriter writer(out);
    writer.setBold(true);
    writer.line("primeira página, longa");
    writer.line("segunda linha");
    writer.newPage();
    writer.line("x");
    writer.endDocument();
    EXPECT_EQ(out.str(), "primeira página, longa\nsegunda linha\n\fx\n");

    // A closed stream and a device told to fail at its second text both are printer faults.
    std::ostringstream closed;
    closed.setstate(std::ios::badbit);
    TextPageWriter failing(closed);
    PageRecorder device;
    device.failAtText = 2;
    const std::vector<std::function<void()>> faults = {[&] { failing.line("y"), failing.endDocument(); },
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
        {{3, ""}, {2, "x"}},
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
    } cases[] = {{100, 19, 40}, {100, 20, 40}, {100, 41, 30}, {120, 21, 50}, {120, 23, 48}, {10, 12, 0}, {7, 0, 4}};
    for (const auto& c : cases)
        EXPECT_EQ(centringOffset(c.width, c.length), c.offset) << c.length << " in " << c.width;
    EXPECT_EQ(centred("  RELATÓRIO DE CONSULTA  ", 120), std::string(50, ' ') + "RELATÓRIO DE CONSULTA");
    EXPECT_EQ(centred("", 120), std::string(120, ' '));
    EXPECT_EQ(centred("   ", 5), std::string(5, ' '));
}

TEST(NumberForms, AmountsInBrazilianGroupingAndAnythingButDigitsIsATypeMismatch) {
    const std::pair<const char*, const char*> cases[] = {
        {"00000000000000000", "0,00"},
        {"00000000000000105", "1,05"},
        {"00000000000123456", "1.234,56"},
        {"99999999999999999", "999.999.999.999.999,99"},
        {"5", "0,05"},
        {"0000000000000000000000000000000012345678", "123.456,78"},
    };
    for (const auto& [digits, shown] : cases) EXPECT_EQ(amountFromDigits(digits), shown) << digits;
    for (const char* bad : {"", "0000000000000001 ", "00000000000000-01", "abc"}) {
        try {
            amountFromDigits(bad);
            ADD_FAILURE() << bad;
        } catch (const Fault& f) {
            EXPECT_EQ(f.number(), 13) << bad;
        }
    }
}

TEST(NumberForms, PatternsOfTheDocuments) {
    EXPECT_EQ(pageNumberGrouped(1), "001");
    EXPECT_EQ(pageNumberGrouped(999), "999");
    EXPECT_EQ(pageNumberGrouped(1000), "1.000");
    EXPECT_EQ(pageNumberGrouped(17858), "17.858");
    EXPECT_EQ(zeroPadded(7, 3), "007");
    EXPECT_EQ(zeroPadded(17858, 3), "17858");
    EXPECT_EQ(zeroPadded(123456, 5), "123456");
    EXPECT_EQ(rightAligned("1.234", 9), "    1.234");
    EXPECT_EQ(rightAligned("123.456.789", 9), "123.456.789");
    EXPECT_EQ(fitted("ÁÉ", 4), "ÁÉ  ");
    EXPECT_EQ(fitted("ABCDEF", 3), "ABC");
    EXPECT_EQ(dropChars("05 - Cisão Total", 5), "Cisão Total");
    EXPECT_EQ(wholeNumber(" 0011"), 11);
    EXPECT_EQ(wholeNumber("00000"), 0);
    EXPECT_THROW(wholeNumber("    "), Fault);
    EXPECT_THROW(wholeNumber("1a"), Fault);
}

TEST(Probe, FlagsAndTheChosenFont) {
    const struct {
        bool present;
        std::set<std::string> fonts;
        bool courierNew, courier, arial;
        const char* chosen;  // nullptr: none
    } cases[] = {
        {true, {"Courier New", "Courier", "Arial"}, true, true, true, "Courier New"},
        {true, {"Courier", "Arial"}, false, true, true, "Courier"},
        {true, {"Arial"}, false, false, true, "Arial"},
        {true, {}, false, false, false, nullptr},
        {false, {"Courier New", "Courier", "Arial"}, false, false, false, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fonts.size());
        PageRecorder r;
        r.present = c.present;
        r.knownFonts = c.fonts;
        PrinterFlags flags;
        checkPrinterFonts(r, flags);
        EXPECT_EQ(flags.printerPresent, c.present);
        EXPECT_EQ(flags.courierNew, c.courierNew);
        EXPECT_EQ(flags.courier, c.courier);
        EXPECT_EQ(flags.arial, c.arial);
        const auto font = chooseFont(flags);
        EXPECT_EQ(font.value_or("-"), c.chosen ? c.chosen : "-");
    }
}

TEST(Probe, FlagsStaySetOnceSet) {
    PageRecorder r;
    PrinterFlags flags;
    checkPrinterFonts(r, flags);
    r.present = false;
    checkPrinterFonts(r, flags);
    EXPECT_TRUE(flags.printerPresent);
    EXPECT_TRUE(flags.courierNew);
}

}  // namespace
}  // namespace kova::print
