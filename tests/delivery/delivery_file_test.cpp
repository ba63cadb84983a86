// The delivery file, byte for byte: the expected bytes are put together here from the layout of the records,
// with the seals computed straight from zlib. The seals and the authentication code against known values.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>

#include "delivery/delivery_records.h"
#include "delivery/seals.h"
#include "delivery_fixtures.h"

namespace kova::testing {
namespace {

using fixtures::DeclarationBuilder;
using fixtures::LevyBuilder;

std::string digits(std::uint64_t value, int width) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%0*llu", width, static_cast<unsigned long long>(value));
    return buffer;
}

// Input positions (1-based, inclusive) of a record.
std::string at(const std::string& record, std::size_t first, std::size_t last) {
    return record.substr(first - 1, last - first + 1);
}

struct Shape {
    std::size_t type3, type4F, type4J, type5;
};

// The whole delivery file of `dec`, from the layout.
std::string expectedDeliveryFile(const DeclarationBuilder& dec, const Shape& shape) {
    const std::vector<std::string> input = dec.records();
    const std::string& in1 = input.at(0);
    const std::string& in2 = input.at(1);
    std::string body;
    unsigned long detail = 0;
    for (const std::string& line : input) {
        const std::string record = line + zlibSeal(line);
        detail = zlibCrc(record, detail);
        body += record + "\r\n";
    }
    const std::string cnpj = at(in1, 10, 23);
    const std::string name = at(in1, 57, 116);
    const std::string r1 = "R1" + cnpj + name + zlibSeal("R1" + cnpj + name);
    const std::string r9text = "R" + std::string(131, '9') + zlibSeal(r1, detail);
    body += r1 + "\r\n" + r9text + zlibSeal(r9text) + "\r\n";

    std::uint64_t base = 0, kova = 0;
    for (std::size_t k = 0; k < shape.type5; ++k) {
        base += LevyBuilder::levyBase(k);
        kova += LevyBuilder::levyKova(k);
    }
    std::string h = "KOVALDF " + std::string(4, ' ') + at(in1, 24, 27) + "1716" + at(in1, 44, 44) + cnpj + "2300";
    h += name + at(in1, 55, 56) + digits(detail, 10) + "1" + at(in2, 10, 20) + at(in1, 24, 27);
    h += std::string(10, '0') + at(in1, 45, 46) + at(in1, 28, 35) + at(in1, 36, 43) + at(in1, 47, 54);
    h += digits(base, 40) + digits(kova, 40) + at(in2, 21, 38);
    h += digits(shape.type3, 9) + digits(shape.type4F + shape.type4J, 9) + std::string(85, ' ');
    EXPECT_EQ(h.size(), 364u);
    h += zlibSeal(cnpj.substr(0, 8) + ".DEC" + h);  // the header seal is keyed by the ends of the file's name
    return h + "\r\n" + body;
}

TEST(DeliveryFile, BytesAreTheLayoutsRecordsWithTheirSeals) {
    for (const Shape& shape : {Shape{2, 1, 2, 14}, Shape{3, 2, 0, 0}}) {
        SCOPED_TRACE(shape.type3 * 1000 + shape.type5);
        DeclarationBuilder dec;
        dec.header().name("COMERCIAL DE TESTES LTDA");
        dec.type3(shape.type3).type4F(shape.type4F).type4J(shape.type4J).type5(shape.type5);
        GenerationHarness h;
        ASSERT_EQ(h.importAndGenerate(dec), ImportOutcome::Succeeded);
        EXPECT_EQ(readBytes(h.deliveryFile()), expectedDeliveryFile(dec, shape));
        EXPECT_EQ(h.deliveryFile().filename().string(), fixtures::declarantCnpj() + "-KOVALDF-2023-ORIGI-00.DEC");
        EXPECT_TRUE(h.leftovers().empty());
    }
}


TEST(Seals, KnownChecksumsTextsAndRunningSeals) {
    EXPECT_EQ(crc32("123456789"), 0xCBF43926u);
    EXPECT_EQ(sealText(0xFFFFFFFFu), "4294967295");
    std::uint32_t running = crc32("abc");
    EXPECT_EQ(accumulateSeal("def", running), continueSeal("def", "0891568578"));
    EXPECT_EQ(running, 1267612143u);
    // A seed above 2147483647 is the same 32 bits as its negative reading.
    EXPECT_EQ(continueSeal("x", sealText(crc32("123456789"))), sealText(crc32("x", 0xCBF43926u)));
}

// One CRC pass over a sealed line checks its seal and continues a running seal over it; the same 32 bits plus
// 2^32, still ten digits, are another seal.
TEST(Seals, ASealedLineMatchesOnlyItsOwnSeal) {
    const std::string text = std::string(142, '\xE9') + "\r";
    const std::string line = text + sealText(text);
    const SealedLineCrc check(line.size());
    std::uint32_t lineCrc = 0;
    EXPECT_TRUE(check.sealMatches(line, lineCrc));
    EXPECT_EQ(check.continued(lineCrc, 0xFFFFFFFFu), crc32(line, 0xFFFFFFFFu));
    EXPECT_FALSE(check.sealMatches(text + std::to_string(crc32(text) + 0x100000000ull), lineCrc));
    EXPECT_FALSE(check.sealMatches(text + "0" + sealText(text).substr(1), lineCrc));
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
}  // namespace kova::testing
