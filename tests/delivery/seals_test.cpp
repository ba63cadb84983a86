#include <gtest/gtest.h>

#include <string>

#include "delivery/seals.h"

namespace kova {
namespace {

TEST(Seals, Crc32IsTheStandardChecksumAndChains) {
    EXPECT_EQ(crc32("123456789"), 0xCBF43926u);
    EXPECT_EQ(crc32(""), 0u);
    // Continuing from an earlier result equals one checksum over the joined texts.
    EXPECT_EQ(crc32("def", crc32("abc")), crc32("abcdef"));
}

TEST(Seals, SealTextIsTenZeroPaddedDigits) {
    EXPECT_EQ(sealText(0), "0000000000");
    EXPECT_EQ(sealText(891568578u), "0891568578");
    EXPECT_EQ(sealText(0xFFFFFFFFu), "4294967295");
    EXPECT_EQ(sealText("123456789"), "3421780262");
}

TEST(Seals, RunningSealsContinueFromAValueOrItsDecimalText) {
    std::uint32_t running = 0;
    EXPECT_EQ(accumulateSeal("abc", running), "0891568578");
    EXPECT_EQ(running, 891568578u);
    EXPECT_EQ(accumulateSeal("def", running), "1267612143");
    EXPECT_EQ(running, 1267612143u);
    EXPECT_EQ(continueSeal("def", "0891568578"), "1267612143");
    EXPECT_EQ(continueSeal("123456789", "0"), "3421780262");
    // A seed above 2147483647 is the same 32 bits as its negative reading.
    EXPECT_EQ(continueSeal("x", sealText(crc32("123456789"))), sealText(crc32("x", 0xCBF43926u)));
}

// One CRC pass over a sealed line checks its seal and continues a running seal over it, for any text and seed.
TEST(Seals, SealedLineCrcChecksTheSealAndContinuesFromOnePass) {
    const std::string texts[] = {"", "x", "KOVALDF 2025", std::string(142, '7'), std::string(142, '\xE9') + "\r"};
    for (const std::string& text : texts) {
        const std::string line = text + sealText(text);
        const SealedLineCrc check(line.size());
        std::uint32_t lineCrc = 0;
        EXPECT_TRUE(check.sealMatches(line, lineCrc)) << text;
        EXPECT_EQ(lineCrc, crc32(line));
        for (std::uint32_t seed : {0u, 1u, 0x80000000u, 0xFFFFFFFFu, crc32("abc")})
            EXPECT_EQ(check.continued(lineCrc, seed), crc32(line, seed)) << text << " " << seed;

        // Any other digit anywhere, a non-digit, or the same 32 bits plus 2^32 written in ten digits.
        for (std::size_t i = text.size(); i < line.size(); ++i) {
            std::string changed = line;
            changed[i] = static_cast<char>('0' + (changed[i] - '0' + 1) % 10);
            EXPECT_FALSE(check.sealMatches(changed, lineCrc)) << text << " digit " << i;
            changed[i] = ' ';
            EXPECT_FALSE(check.sealMatches(changed, lineCrc)) << text << " blank " << i;
        }
        const std::uint64_t above = crc32(text) + 0x100000000ull;  // always ten digits
        EXPECT_FALSE(check.sealMatches(text + std::to_string(above), lineCrc)) << text;
    }
}

TEST(Seals, AuthenticationCodeIsTheKnownHmacPrefix) {
    // HMAC-SHA256 under the agency key of "11222333000181" "0123456789" "05022007143015", computed apart.
    ASSERT_EQ(agencyKey(), "KOVA-QOT-RECIBO-2007-CHAVE-DE-AUTENTICACAO") << "key replaced: renew this vector";
    EXPECT_EQ(authenticationCode("11222333000181", "0123456789", 5, 2, 2007, 14, 30, 15), "29A081F9CE");
}

TEST(Seals, Va5AcceptsOnlyTheAgencysCode) {
    const std::string code = authenticationCode("11222333000181", "0123456789", 5, 2, 2007, 14, 30, 15);
    EXPECT_EQ(authenticateReceipt(code, "11222333000181", "0123456789", 5, 2, 2007, 14, 30, 15), 1);

    std::string lower = code;
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (lower != code) {
        EXPECT_EQ(authenticateReceipt(lower, "11222333000181", "0123456789", 5, 2, 2007, 14, 30, 15), 0);
    }
    EXPECT_EQ(authenticateReceipt(code.substr(0, 9), "11222333000181", "0123456789", 5, 2, 2007, 14, 30, 15), 0);
    EXPECT_EQ(authenticateReceipt(code, "11222333000182", "0123456789", 5, 2, 2007, 14, 30, 15), 0);
    EXPECT_EQ(authenticateReceipt(code, "11222333000181", "0123456780", 5, 2, 2007, 14, 30, 15), 0);
    EXPECT_EQ(authenticateReceipt(code, "11222333000181", "0123456789", 6, 2, 2007, 14, 30, 15), 0);
    EXPECT_EQ(authenticateReceipt(code, "11222333000181", "0123456789", 5, 2, 2007, 14, 30, 16), 0);
}

}  // namespace
}  // namespace kova
