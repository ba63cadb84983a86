#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "core/text.h"

namespace kova {
namespace {

using TextPairs = std::vector<std::pair<std::string, std::string>>;

TEST(Cp1252, EveryByteRoundTripsAndWhatHasNoByteBecomesAQuestionMark) {
    std::string all;
    for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
    EXPECT_EQ(utf8ToCp1252(cp1252ToUtf8(all)), all);
    const TextPairs both = {
        {"CISAO \xC3", "CISAO Ã"}, {"\x80", "€"}, {"\x9F", "Ÿ"}, {std::string("\0", 1), std::string("\0", 1)},
        {"\x81", "\u0081"},  // undefined in the code page: kept as the control of the same value
    };
    for (const auto& [bytes, utf8] : both) {
        EXPECT_EQ(cp1252ToUtf8(bytes), utf8) << utf8;
        EXPECT_EQ(utf8ToCp1252(utf8), bytes) << utf8;
    }
    const TextPairs toBytes = {
        {"😀", "?"}, {"\xFF", "?"}, {"A\xC3", "A?"}, {"\xC3(", "?("}, {"\xC0\x80", "??"}, {"\xED\xA0\x80", "???"},
        {"\xF4\x8F\xBF\xBF", "?"},  // U+10FFFF, the last code point: one character
    };
    for (const auto& [utf8, bytes] : toBytes) EXPECT_EQ(utf8ToCp1252(utf8), bytes) << utf8;
}

TEST(Masks, EachPlaceholderTakesOneCharacterFromTheRight) {
    const std::vector<std::tuple<std::string_view, std::string, std::string>> cases = {
        {kCpfMask, "12345", "   .   .123-45"},  // shorter: blanks on the left
        {"@@-@@", "1234567", "12345-67"},       // longer: extra characters in front
        {"(@)", "ÇÃ", "Ç(Ã)"},                  // characters, not bytes
        {"(@)", "\xFFÃ", "\xFF(Ã)"},            // a malformed byte is a character of its own
    };
    for (const auto& [mask, text, shown] : cases) EXPECT_EQ(applyMask(mask, text), shown) << mask << " " << text;
}

TEST(Thousands, BrazilianGroupingAndBlanksTrimmed) {
    const std::vector<std::pair<std::int64_t, std::string>> cases = {
        {0, "0"}, {999, "999"}, {-12, "-12"}, {std::numeric_limits<std::int64_t>::min(), "-9.223.372.036.854.775.808"},
    };
    for (const auto& [value, text] : cases) EXPECT_EQ(formatThousands(value), text) << value;
    EXPECT_EQ(trimLeftBlanks("  A B  "), "A B  ");
    EXPECT_EQ(trimRightBlanks("  A B  "), "  A B");
    EXPECT_EQ(trimBlanks("\tA\t"), "\tA\t");  // only byte 32 is a blank
}

TEST(Printable, ControlBytesAreShownEscapedAndTheRestKept) {
    const struct {
        std::string_view in;
        bool keepLineFeeds;
        std::string_view out;
    } cases[] = {
        {std::string_view("\0\a\x7f", 3), false, "\\x00\\x07\\x7F"},
        {"linha\nlinha\r", true, "linha\nlinha\\x0D"},
        {"S\xC3\xA3o \xC2\x9B" "x \xC2\xA0", false, "S\xC3\xA3o \\x9Bx \xC2\xA0"},  // C1 escaped, other UTF-8 kept
        {"fim\xC2", false, "fim\xC2"},
        // inside long plain runs, where bytes are skipped eight at a time
        {"0123456789ABCDE\x01GHIJKLMNOPQRSTUVWXYZ", false, "0123456789ABCDE\\x01GHIJKLMNOPQRSTUVWXYZ"},
        {"1234567\xC2\x85" "89abcdefgh\x7f", false, "1234567\\x8589abcdefgh\\x7F"},
    };
    for (const auto& c : cases) EXPECT_EQ(printable(c.in, c.keepLineFeeds), c.out) << c.in;
}

}  // namespace
}  // namespace kova
