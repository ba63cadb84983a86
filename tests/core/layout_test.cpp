// Record accessors on short and odd records, dates, amounts and their exact totals.
#include <gtest/gtest.h>

#include <limits>

#include "core/decimal_total.h"
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
    const std::vector<std::pair<std::string, std::string>> dates = {
        {"31122023", "20231231"}, {"3", "3"}, {"", ""},
        {"3112", "1231"},           // year missing: only the pieces that exist
        {"311220231", "20231231"},  // anything past 8 characters is ignored
    };
    for (const auto& [in, out] : dates) EXPECT_EQ(toYearMonthDay(in), out) << in;
}

TEST(DecimalTotal, SumsAreExactAcrossLimbsAndBeyondSixtyFourBits) {
    const std::uint64_t largest = std::numeric_limits<std::uint64_t>::max();
    const struct {
        std::vector<std::string> digits;
        std::vector<std::uint64_t> values;
        std::string total;
    } cases[] = {
        {{"", "00000000000000000"}, {0}, "0"},
        {{"999999999999999999", "1"}, {}, "1000000000000000000"},
        {{"12", "00000000000000034"}, {5}, "51"},
        // Wider than one limb: the text is read as a whole number.
        {{"123456789012345678901234567890123456", "876543210987654321098765432109876544"}, {},
         "1000000000000000000000000000000000000"},
        {{"1 2.3"}, {}, "10203"},  // non-digits count as zero
        {{}, {largest, largest}, "36893488147419103230"},
    };
    for (const auto& c : cases) {
        DecimalTotal total;
        for (const auto& amount : c.digits) total.addDigits(amount);
        for (const auto value : c.values) total.add(value);
        EXPECT_EQ(total.toDigits(0), c.total);
        EXPECT_EQ(total.isZero(), c.total == "0");
    }
}

}  // namespace
}  // namespace kova
