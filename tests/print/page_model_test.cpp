// The column bookkeeping every back end shares, the recorder, and the number and text forms of the documents.
#include <gtest/gtest.h>

#include <sstream>

#include "core/faults.h"
#include "print/line_composer.h"
#include "print/page_recorder.h"
#include "print/print_format.h"
#include "print/printer_check.h"
#include "support/printed_name.h"

namespace kova::print {
namespace {

TEST(PageModel, TabMovesToColumnOrToTheNextLineWhenPastIt) {
    PageRecorder r;
    r.at(5, "abc");    // columns 5-7, next column 8
    r.at(8, "de");     // exactly at the next column: same line
    r.at(9, "X");      // column 10 is past 9: next line
    r.endLine();
    r.endDocument();
    ASSERT_EQ(r.pages().size(), 1u);
    const auto& lines = r.pages()[0].lines;
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].text(), "    abcde");
    EXPECT_EQ(lines[1].text(), "        X");
}

TEST(PageModel, ColumnsCountCharactersNotBytes) {
    PageRecorder r;
    r.write("AÇÃO");
    r.at(5, "|");
    r.endLine();
    r.endDocument();
    EXPECT_EQ(r.pages()[0].lines[0].text(), "AÇÃO|");
}

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
    ASSERT_EQ(r.pages().size(), 2u);
    const auto& p1 = r.pages()[0].lines;
    ASSERT_EQ(p1.size(), 3u);
    EXPECT_TRUE(p1[0].anyBold());
    EXPECT_FALSE(p1[0].allBold());
    EXPECT_FALSE(p1[1].anyBold());
    EXPECT_TRUE(p1[2].allBold());
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

// What is printed over a line replaces exactly the columns it covers, whatever their bytes.
TEST(PageModel, TextPrintedOverALineReplacesItsColumns) {
    struct Case {
        const char* first;
        int column;
        const char* over;
        const char* line;
    };
    const Case cases[] = {
        {"ÇÃO", 2, "x", "ÇxO"},       // a two-byte character by a one-byte one
        {"abc", 2, "É", "aÉc"},        // and the other way round
        {"AÇÃO", 3, "ÉÊÍÓ", "AÇÉÊÍÓ"},  // over the end
        {"ab", 5, "Ü", "ab  Ü"},       // past the end: blanks between
    };
    for (const Case& c : cases) {
        PageRecorder r;
        r.write(c.first);
        r.carriageReturn();
        r.at(c.column, c.over);
        r.endDocument();
        EXPECT_EQ(r.pages()[0].lines[0].text(), c.line) << c.first << " / " << c.over;
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

    std::ostringstream closed;
    closed.setstate(std::ios::badbit);
    TextPageWriter failing(closed);
    failing.line("y");
    try {
        failing.endDocument();
        FAIL() << "no fault";
    } catch (const Fault& f) {
        EXPECT_EQ(f.number(), 482);
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

TEST(PageModel, InjectedDeviceFaultCarriesThePrinterFaultNumber) {
    PageRecorder r;
    r.failAtText = 2;
    r.write("1");
    try {
        r.write("2");
        FAIL() << "no fault";
    } catch (const Fault& f) {
        EXPECT_EQ(f.number(), 482);
    }
}

struct CentringCase {
    int width;
    int length;
    int offset;
};
void PrintTo(const CentringCase& c, std::ostream* os) { *os << c.length << " in " << c.width; }
class Centring : public ::testing::TestWithParam<CentringCase> {};
TEST_P(Centring, HalvesGoToTheEvenNumber) {
    EXPECT_EQ(centringOffset(GetParam().width, GetParam().length), GetParam().offset);
}
INSTANTIATE_TEST_SUITE_P(Cases, Centring,
                         ::testing::Values(CentringCase{100, 19, 40},   // 40.5 → 40
                                           CentringCase{100, 20, 40},   // 40
                                           CentringCase{100, 41, 30},   // 29.5 → 30
                                           CentringCase{120, 21, 50},   // 49.5 → 50
                                           CentringCase{120, 23, 48},   // 48.5 → 48
                                           CentringCase{10, 12, 0},     // wider than the page
                                           CentringCase{7, 0, 4}),
    kova::testing_support::PrintedName());     // 3.5 → 4

TEST(Centring, CentredTrimsAndPrecedesWithBlanks) {
    EXPECT_EQ(centred("  RELATÓRIO DE CONSULTA  ", 120), std::string(50, ' ') + "RELATÓRIO DE CONSULTA");
    EXPECT_EQ(centred("", 120), std::string(120, ' '));
    EXPECT_EQ(centred("   ", 5), std::string(5, ' '));
}

struct AmountCase {
    const char* digits;
    const char* shown;
};
void PrintTo(const AmountCase& c, std::ostream* os) { *os << c.digits; }
class Amounts : public ::testing::TestWithParam<AmountCase> {};
TEST_P(Amounts, BrazilianGroupingAndTwoDecimals) {
    EXPECT_EQ(amountFromDigits(GetParam().digits), GetParam().shown);
}
INSTANTIATE_TEST_SUITE_P(Cases, Amounts,
                         ::testing::Values(AmountCase{"00000000000000000", "0,00"},
                                           AmountCase{"00000000000000105", "1,05"},
                                           AmountCase{"00000000000123456", "1.234,56"},
                                           AmountCase{"99999999999999999", "999.999.999.999.999,99"},
                                           AmountCase{"5", "0,05"},
                                           AmountCase{"0000000000000000000000000000000012345678", "123.456,78"}),
                         [](const auto& info) { return std::string("digits_") + info.param.digits; });

TEST(Amounts, AnythingButDigitsIsATypeMismatch) {
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

struct ProbeCase {
    bool present;
    std::set<std::string> fonts;
    bool flagPresent, courierNew, courier, arial;
    const char* chosen;  // nullptr: none
};
void PrintTo(const ProbeCase& c, std::ostream* os) {
    *os << (c.present ? "printer with" : "no printer,");
    for (const auto& f : c.fonts) *os << " " << f;
}
class Probe : public ::testing::TestWithParam<ProbeCase> {};
TEST_P(Probe, FlagsAndTheChosenFont) {
    const auto& c = GetParam();
    PageRecorder r;
    r.present = c.present;
    r.knownFonts = c.fonts;
    PrinterFlags flags;
    checkPrinterFonts(r, flags);
    EXPECT_EQ(flags.printerPresent, c.flagPresent);
    EXPECT_EQ(flags.courierNew, c.courierNew);
    EXPECT_EQ(flags.courier, c.courier);
    EXPECT_EQ(flags.arial, c.arial);
    const auto font = chooseFont(flags);
    if (c.chosen)
        EXPECT_EQ(font.value_or("-"), c.chosen);
    else
        EXPECT_FALSE(font);
}
INSTANTIATE_TEST_SUITE_P(
    Cases, Probe,
    ::testing::Values(ProbeCase{true, {"Courier New", "Courier", "Arial"}, true, true, true, true, "Courier New"},
                      ProbeCase{true, {"Courier", "Arial"}, true, false, true, true, "Courier"},
                      ProbeCase{true, {"Arial"}, true, false, false, true, "Arial"},
                      ProbeCase{true, {}, true, false, false, false, nullptr},
                      ProbeCase{false, {"Courier New", "Courier", "Arial"}, false, false, false, false, nullptr}),
    kova::testing_support::PrintedName());

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
