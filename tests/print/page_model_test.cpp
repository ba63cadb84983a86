// The column bookkeeping every back end shares, the recorder, and the number and text forms of the documents.
#include <gtest/gtest.h>

#include <functional>
#include <sstream>

#include "core/faults.h"
#include "print/line_composer.h"
#include "print/page_recorder.h"
#include "print/print_format.h"

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
    EXPECT_EQ(annotatedText(r.pages()),
              "=== página 1 ===\nb|NEGRITO  normal\n |\nb|cB\n=== página 2 ===\nB|pagina 2\n");
}

// Columns count characters, not bytes. A field at a column already passed goes to the next line; a composed line
// prints as its fields printed one by one, a field past the last column on its own. What is printed over a line
// (after a carriage return) replaces exactly the columns it covers.
TEST(PageModel, FieldsAtColumnsOneByOneComposedAndPrintedOver) {
    using Fields = std::vector<std::pair<int, std::string>>;
    const std::tuple<bool, Fields, std::string> cases[] = {
        {false, {{1, "    abc"}, {8, "de"}}, "    abcde"},
        {false, {{1, "    abc"}, {7, "X"}}, "    abc\n      X"},
        {false, {{1, "abc"}, {10, "dé"}, {12, "f"}}, "abc      déf"},
        {false, {{5, "ab"}, {8, "longo demais"}}, "    ab longo demais"},
        {true, {{1, "ÇÃO"}, {2, "x"}}, "ÇxO"},           // a two-byte character by a one-byte one
        {true, {{1, "AÇÃO"}, {3, "ÉÊÍÓ"}}, "AÇÉÊÍÓ"},    // over the end
        {true, {{1, "ab"}, {5, "Ü"}}, "ab  Ü"},          // past the end: blanks between
    };
    for (const auto& [overPrint, fields, text] : cases) {
        PageRecorder oneByOne, composed;
        oneByOne.setPageGrid(PageGrid{10, 66, 0.0});
        LineComposer line(composed, 10);
        for (const auto& [column, field] : fields) {
            oneByOne.at(column, field);
            if (overPrint) oneByOne.carriageReturn();
            line.at(column, field);
        }
        oneByOne.endLine();
        line.endLine();
        oneByOne.endDocument();
        composed.endDocument();
        EXPECT_EQ(plainText(oneByOne.pages()), text + "\n") << fields[0].second;
        if (!overPrint) {
            EXPECT_EQ(plainText(composed.pages()), text + "\n") << fields[0].second;
        }
    }
}

// The text back end: a stream that can no longer be written is a printer fault.
TEST(PageModel, AFailedTextWriteIsAPrinterFault) {
    std::ostringstream out;
    TextPageWriter writer(out);
    out.setstate(std::ios::badbit);
    try {
        writer.line("y");
        writer.endDocument();
        ADD_FAILURE() << "no fault";
    } catch (const Fault& f) {
        EXPECT_EQ(f.number(), 482);
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
    EXPECT_EQ(amountFromDigits("00000000000000000"), "0,00");
    EXPECT_EQ(amountFromDigits("999999999999999"), "9.999.999.999.999,99");
    try {
        amountFromDigits("00000000000000-01");
        ADD_FAILURE() << "no fault";
    } catch (const Fault& f) {
        EXPECT_EQ(f.number(), 13);
    }
}

}  // namespace
}  // namespace kova::print
