// Seals against known values: the standard checksum, its ten-digit text, and the agency's authentication code.
#include <gtest/gtest.h>

#include <string>

#include "delivery/seals.h"

namespace kova {
namespace {

TEST(Seals, KnownChecksumsTextsAndRunningSeals) {
    EXPECT_EQ(crc32("123456789"), 0xCBF43926u);
    EXPECT_EQ(crc32("def", crc32("abc")), crc32("abcdef"));
    EXPECT_EQ(sealText(0), "0000000000");
    EXPECT_EQ(sealText(0xFFFFFFFFu), "4294967295");
    std::uint32_t running = crc32("abc");
    EXPECT_EQ(accumulateSeal("def", running), "1267612143");
    EXPECT_EQ(continueSeal("def", "0891568578"), "1267612143");
    // A seed above 2147483647 is the same 32 bits as its negative reading.
    EXPECT_EQ(continueSeal("x", sealText(crc32("123456789"))), sealText(crc32("x", 0xCBF43926u)));
}

// One CRC pass over a sealed line checks its seal and continues a running seal over it, for any text and seed.
TEST(Seals, SealedLineCrcChecksTheSealAndContinuesFromOnePass) {
    for (const std::string& text : {std::string(), std::string(142, '7'), std::string(142, '\xE9') + "\r"}) {
        const std::string line = text + sealText(text);
        const SealedLineCrc check(line.size());
        std::uint32_t lineCrc = 0;
        EXPECT_TRUE(check.sealMatches(line, lineCrc)) << text;
        EXPECT_EQ(lineCrc, crc32(line));
        for (std::uint32_t seed : {0u, 0x80000000u, 0xFFFFFFFFu})
            EXPECT_EQ(check.continued(lineCrc, seed), crc32(line, seed)) << text << " " << seed;
        for (std::size_t i = text.size(); i < line.size(); ++i) {
            std::string changed = line;
            changed[i] = static_cast<char>('0' + (changed[i] - '0' + 1) % 10);
            EXPECT_FALSE(check.sealMatches(changed, lineCrc)) << text << " digit " << i;
        }
        // The same 32 bits plus 2^32, still ten digits.
        EXPECT_FALSE(check.sealMatches(text + std::to_string(crc32(text) + 0x100000000ull), lineCrc)) << text;
    }
}

TEST(Seals, AuthenticationAcceptsOnlyTheAgencysCode) {
    // HMAC-SHA256 under the agency key, computed apart.
    ASSERT_EQ(agencyKey(), "KOVA-QOT-RECIBO-2007-CHAVE-DE-AUTENTICACAO") << "key replaced: renew this vector";
    const std::string code = authenticationCode("11222333000181", "0123456789", 5, 2, 2007, 14, 30, 15);
    EXPECT_EQ(code, "29A081F9CE");
    EXPECT_EQ(authenticateReceipt(code, "11222333000181", "0123456789", 5, 2, 2007, 14, 30, 15), 1);
    EXPECT_EQ(authenticateReceipt("29a081f9ce", "11222333000181", "0123456789", 5, 2, 2007, 14, 30, 15), 0);
    EXPECT_EQ(authenticateReceipt(code.substr(0, 9), "11222333000181", "0123456789", 5, 2, 2007, 14, 30, 15), 0);
    EXPECT_EQ(authenticateReceipt(code, "11222333000181", "0123456789", 5, 2, 2007, 14, 30, 16), 0);
}

}  // namespace
}  // namespace kova
