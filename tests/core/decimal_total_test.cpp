#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "core/decimal_total.h"

namespace kova {
namespace {

// Decimal text of a 128-bit value: the oracle for totals beyond 64 bits.
std::string decimal(unsigned __int128 v) {
    std::string s;
    do {
        s.insert(s.begin(), static_cast<char>('0' + static_cast<int>(v % 10)));
        v /= 10;
    } while (v != 0);
    return s;
}

std::string padded(const std::string& digits, std::size_t width) {
    return digits.size() >= width ? digits : std::string(width - digits.size(), '0') + digits;
}

TEST(DecimalTotal, EmptyTotalIsZero) {
    DecimalTotal t;
    EXPECT_TRUE(t.isZero());
    EXPECT_EQ(t.toDigits(), std::string(40, '0'));
    EXPECT_EQ(t.toDigits(0), "0");
    EXPECT_EQ(t.toDigits(3), "000");
    t.add(0);
    t.addDigits("00000000000000000");
    t.addDigits("");
    EXPECT_TRUE(t.isZero());
}

TEST(DecimalTotal, ManyMaximumAmountsAreExact) {
    const std::string maxAmount(17, '9');
    const std::uint64_t maxValue = 99'999'999'999'999'999ULL;
    constexpr std::uint64_t count = 1'000'003;
    DecimalTotal byDigits, byValue;
    for (std::uint64_t i = 0; i < count; ++i) {
        byDigits.addDigits(maxAmount);
        byValue.add(maxValue);
    }
    const std::string expected = decimal(static_cast<unsigned __int128>(maxValue) * count);
    EXPECT_EQ(expected, "100000299999999998999997");  // past 64 bits and past one limb
    EXPECT_EQ(byDigits.toDigits(), padded(expected, 40));
    EXPECT_TRUE(byDigits == byValue);
    EXPECT_FALSE(byDigits.isZero());
}

TEST(DecimalTotal, CarriesAcrossLimbs) {
    struct Case {
        std::vector<std::string> amounts;
        std::string total;
    };
    const std::vector<Case> cases = {
        {{"999999999999999999", "1"}, "1000000000000000000"},
        {{"999999999999999999", "999999999999999999"}, "1999999999999999998"},
        {{"12", "00000000000000034"}, "46"},
        // Wider than one limb: the text is read as a whole number.
        {{"123456789012345678901234567890123456", "876543210987654321098765432109876544"},
         "1000000000000000000000000000000000000"},
        {{"1 2.3"}, "10203"},  // non-digits count as zero
    };
    for (const auto& c : cases) {
        DecimalTotal t;
        for (const auto& a : c.amounts) t.addDigits(a);
        EXPECT_EQ(t.toDigits(0), c.total) << c.amounts[0];
    }
}

TEST(DecimalTotal, LargestSixtyFourBitValueIsSplitExactly) {
    DecimalTotal t;
    t.add(std::numeric_limits<std::uint64_t>::max());
    t.add(std::numeric_limits<std::uint64_t>::max());
    const auto expected = static_cast<unsigned __int128>(std::numeric_limits<std::uint64_t>::max()) * 2;
    EXPECT_EQ(t.toDigits(0), decimal(expected));
}

TEST(DecimalTotal, WideTotalIsNeverCut) {
    DecimalTotal t;
    t.addDigits("1" + std::string(44, '0'));
    EXPECT_EQ(t.toDigits(40), "1" + std::string(44, '0'));
    EXPECT_EQ(t.toDigits(50), "000001" + std::string(44, '0'));
}

TEST(DecimalTotal, ClearAndEquality) {
    DecimalTotal a, b;
    a.add(5);
    a.addDigits("7");
    b.add(12);
    EXPECT_TRUE(a == b);
    b.add(1'000'000'000'000'000'000ULL);
    EXPECT_FALSE(a == b);
    b.clear();
    EXPECT_TRUE(b.isZero());
    EXPECT_TRUE(b == DecimalTotal{});
}

}  // namespace
}  // namespace kova
