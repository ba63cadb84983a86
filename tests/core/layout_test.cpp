// Record accessors on short and odd records, dates, amounts, and the tables of fields.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/record_layout.h"

namespace kova {
namespace {

TEST(RecordLayout, FieldsReadTheirColumnsAndShortRecordsGiveEmptyOrCutTexts) {
    const std::string header = "00000001" "1" "11222333000181" "2023" "02012023" "30112023" "0" "00" "15062023" "SP";
    const HeaderRecord full(header);
    EXPECT_EQ(full.periodStartYmd() + full.periodEndYmd() + full.eventDateYmd(), "20230102" "20231130" "20230615");
    const std::string shortHeader = header.substr(0, 30);  // ends inside PERIODOINICIAL
    const HeaderRecord cut(shortHeader);
    EXPECT_EQ(cut.cnpj(), "11222333000181");
    EXPECT_EQ(cut.periodStart(), "020");
    EXPECT_EQ(cut.periodEndYmd() + std::string(cut.name()) + std::string(cut.filler()), "");
    EXPECT_EQ(RecordView("abc").field(4, 1), "");
    // The trailer is known by its first position, whatever the ninth says.
    EXPECT_TRUE(RecordView("T99999993").isTrailer());
    EXPECT_FALSE(RecordView("000000015").isTrailer());
    EXPECT_FALSE(TrailerRecord(std::string_view{}).isTrailer());
    const std::vector<std::pair<std::string, std::string>> dates = {
        {"31122023", "20231231"}, {"00000000", "00000000"},
        {"3112", "1231"},  // year missing: only the pieces that exist
        {"3", "3"},                {"", ""},
        {"311220231", "20231231"},  // anything past 8 characters is ignored
    };
    for (const auto& [in, out] : dates) EXPECT_EQ(toYearMonthDay(in), out) << in;
}

TEST(RecordLayout, AmountsAreWholeHundredths) {
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

}  // namespace
}  // namespace kova
