// The delivery file, byte for byte. The expected bytes are put together here from the layout of the records,
// with the seals computed straight from zlib.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>

#include "core/decimal_total.h"
#include "delivery/delivery_records.h"
#include "delivery/integrity_check.h"
#include "generation_fixtures.h"

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
    const char* name;
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
    const std::string receiptSeal = zlibSeal(r1, detail);
    const std::string r9text = "R" + std::string(131, '9') + receiptSeal;
    body += r1 + "\r\n" + r9text + zlibSeal(r9text) + "\r\n";

    std::uint64_t base = 0, kova = 0;
    for (std::size_t k = 0; k < shape.type5; ++k) {
        base += LevyBuilder::levyBase(k);
        kova += LevyBuilder::levyKova(k);
    }
    std::string h;
    h += "KOVALDF " + std::string(4, ' ') + at(in1, 24, 27) + "1716" + at(in1, 44, 44) + cnpj + "2" + "300";
    h += name + at(in1, 55, 56) + digits(detail, 10) + "1" + at(in2, 10, 20) + at(in1, 24, 27);
    h += std::string(10, '0') + at(in1, 45, 46) + at(in1, 28, 35) + at(in1, 36, 43) + at(in1, 47, 54);
    h += digits(base, 40) + digits(kova, 40) + at(in2, 21, 38);
    h += digits(shape.type3, 9) + digits(shape.type4F + shape.type4J, 9) + std::string(85, ' ');
    EXPECT_EQ(h.size(), 364u);
    const std::string fileName = cnpj + "-KOVALDF-" + at(in1, 24, 27) + "-ORIGI-" + at(in1, 45, 46) + ".DEC";
    const std::string key = fileName.substr(0, 8) + ".DEC";
    h += zlibSeal(key + h);
    return h + "\r\n" + body;
}

class DeliveryFileBytes : public ::testing::TestWithParam<Shape> {};

TEST_P(DeliveryFileBytes, AreTheLayoutsRecordsWithTheirSeals) {
    const Shape shape = GetParam();
    DeclarationBuilder dec;
    dec.header().name("COMERCIAL DE TESTES LTDA");
    dec.type3(shape.type3).type4F(shape.type4F).type4J(shape.type4J).type5(shape.type5);
    GenerationHarness h;
    ASSERT_EQ(h.importAndGenerate(dec), ImportOutcome::Succeeded);

    const std::string file = readBytes(h.deliveryFile());
    EXPECT_EQ(file, expectedDeliveryFile(dec, shape));
    EXPECT_EQ(h.deliveryFile().filename().string(), fixtures::declarantCnpj() + "-KOVALDF-2023-ORIGI-00.DEC");
    EXPECT_EQ(h.session.generatedDeliveryFile, h.deliveryFile());
    EXPECT_TRUE(h.leftovers().empty());

}

INSTANTIATE_TEST_SUITE_P(Shapes, DeliveryFileBytes,
                         ::testing::Values(Shape{"EveryType", 2, 1, 2, 14}, Shape{"OnlyType5", 0, 0, 0, 3},
                                           Shape{"NoType5", 3, 2, 0, 0}, Shape{"OnlyType4", 0, 0, 1, 0}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(DeliveryRecords, ShortNameIsPaddedInTheHeaderButNotInR1) {
    const std::string cnpj = fixtures::declarantCnpj();
    const std::string r1 = receiptRecord(cnpj, "ACME SA");
    EXPECT_EQ(r1, "R1" + cnpj + "ACME SA" + zlibSeal("R1" + cnpj + "ACME SA"));
    EXPECT_EQ(r1.size(), 2u + 14 + 7 + 10);

    DeliveryHeaderFields fields;
    fields.year = "2023";
    fields.type = "1";
    fields.cnpj = cnpj;
    fields.name = "ACME SA";
    fields.uf = "RJ";
    fields.representativeCpf = fixtures::nthCpf(0);
    fields.situation = "01";
    fields.periodStart = "01012023";
    fields.periodEnd = "30062023";
    fields.eventDate = "30062023";
    fields.representativePhoneBlock = "001199998888800000";
    const std::string name = deliveryFileName(cnpj, "2023", "1", "01");
    EXPECT_EQ(name, cnpj + "-KOVALDF-2023-RETIF-01.DEC");
    const std::string header = headerRecord(fields, "0123456789", name);
    ASSERT_EQ(header.size(), kDeliveryHeaderLength);
    const DeliveryHeaderView view(header);
    EXPECT_EQ(view.name(), "ACME SA" + std::string(53, ' '));
    EXPECT_EQ(view.uf(), "RJ");
    EXPECT_EQ(view.detailSeal(), "0123456789");
    EXPECT_EQ(view.rectifiedReceipt(), "0000000000");
    EXPECT_EQ(view.eventDate(), "30062023");
    EXPECT_EQ(view.headerSeal(), zlibSeal(cnpj.substr(0, 8) + ".DEC" + header.substr(0, 364)));
}

TEST(DeliveryRecords, TheHeaderSealKeyIsTheUpperCasedEndsOfTheName) {
    EXPECT_EQ(headerSealKey("11222333000181-KOVALDF-2023-ORIGI-00.DEC"), "11222333.DEC");
    EXPECT_EQ(headerSealKey("abcdefghij.dec"), "ABCDEFGH.DEC");
    EXPECT_EQ(headerSealKey("ab.c"), "AB.CAB.C");
}

// The header seal binds the file to its name: stored under a name whose first 8 or last 4 characters differ,
// the file no longer passes; other changes of the name, or of its case, are not seen.
struct Rename {
    const char* label;
    std::string (*rename)(const std::string&);
    bool intact;
};

class HeaderSealAndName : public ::testing::TestWithParam<Rename> {};

TEST_P(HeaderSealAndName, DecidesTheIntegrityCheck) {
    DeclarationBuilder dec;
    dec.type3(1).type5(2);
    GenerationHarness h;
    ASSERT_EQ(h.importAndGenerate(dec), ImportOutcome::Succeeded);
    const std::string original = h.deliveryFile().filename().string();
    const std::string renamed = GetParam().rename(original);
    ASSERT_EQ(renamed.size(), original.size());
    const fs::path copy = h.folder.path() / renamed;
    fs::copy_file(h.deliveryFile(), copy);

    RecordingPrompts prompts;
    DeclarationCheck check;
    EXPECT_EQ(checkDeclaration(copy.string(), prompts, check), GetParam().intact);
    EXPECT_TRUE(prompts.shown.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Names, HeaderSealAndName,
    ::testing::Values(
        Rename{"SameName", [](const std::string& n) { return n; }, true},
        Rename{"LowerCaseExtension", [](const std::string& n) { return n.substr(0, n.size() - 4) + ".dec"; }, true},
        Rename{"OtherYearInTheMiddle", [](const std::string& n) { return n.substr(0, 23) + "2099" + n.substr(27); },
               true},
        Rename{"FirstDigitChanged", [](const std::string& n) { return (n[0] == '9' ? "8" : "9") + n.substr(1); },
               false},
        Rename{"EighthDigitChanged",
               [](const std::string& n) { return n.substr(0, 7) + (n[7] == '9' ? "8" : "9") + n.substr(8); }, false},
        Rename{"OtherExtension", [](const std::string& n) { return n.substr(0, n.size() - 4) + ".DEX"; }, false}),
    [](const auto& info) { return std::string(info.param.label); });

}  // namespace
}  // namespace kova::testing
