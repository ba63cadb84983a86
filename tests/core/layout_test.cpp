// Record accessors on short and odd records, dates, amounts, and the tables of fields.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/record_layout.h"
#include "support/declaration_builder.h"

namespace kova {
namespace {

using namespace kova::fixtures;

TEST(RecordLayout, ShortRecordsGiveEmptyOrCutTexts) {
    const std::string cut = HeaderBuilder().build().substr(0, 30);  // ends inside PERIODOINICIAL
    const HeaderRecord header(cut);
    EXPECT_EQ(header.cnpj().size(), 14u);
    EXPECT_EQ(header.periodStart(), "010");
    EXPECT_EQ(header.periodEnd(), "");
    EXPECT_EQ(header.name(), "");
    EXPECT_EQ(header.filler(), "");
    EXPECT_EQ(header.periodEndYmd(), "");

    const TrailerRecord empty{std::string_view{}};
    EXPECT_FALSE(empty.isTrailer());
    EXPECT_EQ(empty.year(), "");
    EXPECT_EQ(empty.recordType(), "");
    EXPECT_EQ(RecordView("T").isTrailer(), true);
    EXPECT_EQ(RecordView("abc").field(0, 2), "");
    EXPECT_EQ(RecordView("abc").field(4, 1), "");
}

TEST(RecordLayout, TrailerIsRecognisedByPositionOneWhateverPositionNine) {
    std::string bytes = TrailerBuilder().build();
    EXPECT_TRUE(RecordView(bytes).isTrailer());
    bytes[8] = '3';
    EXPECT_TRUE(RecordView(bytes).isTrailer());
    EXPECT_FALSE(RecordView(LevyBuilder().build()).isTrailer());
}

TEST(RecordLayout, DatesAreRearrangedToYearMonthDay) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"31122023", "20231231"}, {"01012006", "20060101"}, {"00000000", "00000000"},
        {"3112", "12" "31"},      // year missing: only the pieces that exist
        {"3", "3"},               {"", ""},
        {"311220231", "20231231"},  // anything past 8 characters is ignored
    };
    for (const auto& [in, out] : cases) EXPECT_EQ(toYearMonthDay(in), out) << in;
    EXPECT_EQ(LevyRecord(LevyBuilder().dueDate("28022024").build()).dueDateYmd(), "20240228");
    const std::string header =
        HeaderBuilder().periodStart("02012023").periodEnd("30112023").eventDate("15062023").build();
    const HeaderRecord h(header);
    EXPECT_EQ(h.periodStartYmd() + h.periodEndYmd() + h.eventDateYmd(), "20230102" "20231130" "20230615");
}

TEST(RecordLayout, AmountsAreWholeHundredths) {
    EXPECT_EQ(amountValue("00000000000000000"), 0u);
    EXPECT_EQ(amountValue("00000000000000001"), 1u);
    EXPECT_EQ(amountValue("00000000000012345"), 12345u);
    EXPECT_EQ(amountValue("99999999999999999"), 99'999'999'999'999'999u);
    EXPECT_EQ(amountValue(""), 0u);
    // Bad input stays harmless: no overflow, non-digits count as zero.
    EXPECT_EQ(amountValue("0000000000000 1.5"), 105u);
    EXPECT_EQ(amountValue(std::string(40, '9')), 9'999'999'999'999'999'999u);
}

TEST(RecordLayout, WriteFieldPadsCutsAndGrowsTheRecord) {
    std::string record = "0123456789";
    writeField(record, Field{3, 4, "", ""}, "ab");
    EXPECT_EQ(record, "01ab  6789");
    writeField(record, Field{9, 2, "", ""}, "XYZ");
    EXPECT_EQ(record, "01ab  67XY");
    writeField(record, Field{12, 2, "", ""}, "Q");
    EXPECT_EQ(record, "01ab  67XY Q ");
}

// Error rows name their record by the type the error log keeps and their columns as numbers.
struct Covering {
    const char* recordType;
    std::size_t first, last;
    std::vector<std::string_view> names;
};

TEST(RecordLayout, ColumnsOfAnErrorRowNameTheFieldsTheyCover) {
    const std::vector<Covering> cases = {
        {"1", 10, 23, {"CNPJDECL"}},
        {"1", 10, 15, {"CNPJDECL"}},  // part of a field
        {"1", 1, 9, {"sequence", "TipoREGISTRO"}},
        {"2", 20, 21, {"CPFREPRESENTANTE", "DDDREPRESENTANTE"}},
        {"3", 25, 142, {"NOME"}},
        {"5", 1, 8, {"SEQ"}},
        {"5", 66, 142, {"filler"}},
        {"T", 9, 9, {"filler"}},
        {"T", 139, 142, {"year"}},
        {"9", 1, 142, {"registro inteiro"}},  // whole record, whatever the type
        {"9", 10, 23, {}},
        {"0", 0, 0, {}},  // a read failure names no record
        {"1", 143, 150, {}},
    };
    for (const Covering& c : cases) {
        std::vector<std::string_view> names;
        for (const Field& field : fieldsCovering(c.recordType, c.first, c.last)) names.push_back(field.name);
        EXPECT_EQ(names, c.names) << c.recordType << " " << c.first << "-" << c.last;
    }
    EXPECT_EQ(fieldsCovering("4", 11, 24).front().label, "CNPJ ou CPF do beneficiário");
    EXPECT_EQ(fieldsCovering("3", 11, 24).front().label, "CNPJ da entidade");
}

}  // namespace
}  // namespace kova
