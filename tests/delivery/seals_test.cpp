#include <gtest/gtest.h>

#include <string>

#include "delivery/seals.h"

namespace kova {
namespace {

TEST(Seals, Crc32IsTheStandardChecksumAndChains) {
    EXPECT_EQ(Crc32("123456789"), 0xCBF43926u);
    EXPECT_EQ(Crc32(""), 0u);
    // Continuing from an earlier result equals one checksum over the joined texts.
    EXPECT_EQ(Crc32("def", Crc32("abc")), Crc32("abcdef"));
    EXPECT_EQ(Crc32("abcdef"), 1267612143u);
}

TEST(Seals, SealTextIsTenZeroPaddedDigits) {
    EXPECT_EQ(sealText(0), "0000000000");
    EXPECT_EQ(sealText(891568578u), "0891568578");
    EXPECT_EQ(sealText(0xFFFFFFFFu), "4294967295");
    EXPECT_EQ(CALCULACRC("123456789"), "3421780262");
}

TEST(Seals, AcumulacrcStoresTheRunningValue) {
    std::uint32_t running = 0;
    EXPECT_EQ(ACUMULACRC("abc", running), "0891568578");
    EXPECT_EQ(running, 891568578u);
    EXPECT_EQ(ACUMULACRC("def", running), "1267612143");
    EXPECT_EQ(running, 1267612143u);
}

TEST(Seals, ContinuacrcTakesTheSeedAsDecimalText) {
    EXPECT_EQ(CONTINUACRC("def", "0891568578"), "1267612143");
    EXPECT_EQ(CONTINUACRC("123456789", "0"), "3421780262");
    // A seed above 2147483647 is the same 32 bits as its negative reading.
    const std::string high = sealText(Crc32("123456789"));
    EXPECT_EQ(CONTINUACRC("x", high), sealText(Crc32("x", 0xCBF43926u)));
}

TEST(Seals, AuthenticationCodeIsTheKnownHmacPrefix) {
    // HMAC-SHA256 under the agency key of "11222333000181" "0123456789" "05022007143015", computed apart.
    ASSERT_EQ(agencyKey(), "KOVA-QOT-RECIBO-2007-CHAVE-DE-AUTENTICACAO") << "key replaced: renew this vector";
    EXPECT_EQ(authenticationCode("11222333000181", "0123456789", 5, 2, 2007, 14, 30, 15), "29A081F9CE");
}

TEST(Seals, Va5AcceptsOnlyTheAgencysCode) {
    const std::string code = authenticationCode("11222333000181", "0123456789", 5, 2, 2007, 14, 30, 15);
    EXPECT_EQ(VA5(code, "11222333000181", "0123456789", 5, 2, 2007, 14, 30, 15), 1);

    std::string lower = code;
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (lower != code) {
        EXPECT_EQ(VA5(lower, "11222333000181", "0123456789", 5, 2, 2007, 14, 30, 15), 0);
    }
    EXPECT_EQ(VA5(code.substr(0, 9), "11222333000181", "0123456789", 5, 2, 2007, 14, 30, 15), 0);
    EXPECT_EQ(VA5(code, "11222333000182", "0123456789", 5, 2, 2007, 14, 30, 15), 0);
    EXPECT_EQ(VA5(code, "11222333000181", "0123456780", 5, 2, 2007, 14, 30, 15), 0);
    EXPECT_EQ(VA5(code, "11222333000181", "0123456789", 6, 2, 2007, 14, 30, 15), 0);
    EXPECT_EQ(VA5(code, "11222333000181", "0123456789", 5, 2, 2007, 14, 30, 16), 0);
}

}  // namespace
}  // namespace kova
