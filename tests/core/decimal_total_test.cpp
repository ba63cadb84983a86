#include <gtest/gtest.h>

#include <limits>

#include "core/decimal_total.h"

namespace kova {
namespace {

TEST(DecimalTotal, SumsAreExactAcrossLimbsAndBeyondSixtyFourBits) {
    const std::uint64_t largest = std::numeric_limits<std::uint64_t>::max();
    const struct {
        std::vector<std::string> digits;
        std::vector<std::uint64_t> values;
        std::string total;
    } cases[] = {
        {{"", "00000000000000000"}, {0}, "0"},
        {{"999999999999999999", "1"}, {}, "1000000000000000000"},
        {{"999999999999999999"}, {999999999999999999}, "1999999999999999998"},
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

TEST(DecimalTotal, AMillionMaximumAmountsAreExactAndShownInAnyWidth) {
    DecimalTotal byDigits, byValue;
    for (int i = 0; i < 1'000'003; ++i) {
        byDigits.addDigits(std::string(17, '9'));
        byValue.add(99'999'999'999'999'999ULL);
    }
    EXPECT_EQ(byDigits.toDigits(), std::string(16, '0') + "100000299999999998999997");
    EXPECT_EQ(byDigits.toDigits(30), "000000100000299999999998999997");
    EXPECT_EQ(byDigits.toDigits(3), "100000299999999998999997");  // a wide total is never cut
    EXPECT_TRUE(byDigits == byValue);
    byValue.add(1);
    EXPECT_FALSE(byDigits == byValue);
    byValue.clear();
    EXPECT_TRUE(byValue == DecimalTotal{});
    EXPECT_EQ(byValue.toDigits(3), "000");
}

}  // namespace
}  // namespace kova
