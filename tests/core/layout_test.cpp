// Record accessors against the layout, and the test fixtures' records against the accessors and field checks.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "core/field_checks.h"
#include "core/record_layout.h"
#include "support/declaration_builder.h"

namespace kova {
namespace {

using namespace kova::fixtures;

// One field of a record: the accessor and the text laid there. The fields of a layout are listed in file order,
// so concatenating their texts gives the record, and each accessor must give back exactly its own piece.
template <class Record>
struct Piece {
    std::function<std::string_view(const Record&)> accessor;
    std::string text;
};

template <class Record>
void expectPiecesRoundTrip(const std::vector<Piece<Record>>& pieces) {
    std::string bytes;
    for (const auto& p : pieces) bytes += p.text;
    ASSERT_EQ(bytes.size(), kRecordLength);
    const Record record(bytes);
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        SCOPED_TRACE("field " + std::to_string(i + 1));
        EXPECT_EQ(pieces[i].accessor(record), pieces[i].text);
    }
}

TEST(RecordLayout, HeaderFieldsFollowEachOther) {
    expectPiecesRoundTrip<HeaderRecord>({
        {&HeaderRecord::sequence, "00000001"},
        {&HeaderRecord::recordType, "1"},
        {&HeaderRecord::cnpj, "11222333000181"},
        {&HeaderRecord::year, "2023"},
        {&HeaderRecord::periodStart, "01012023"},
        {&HeaderRecord::periodEnd, "31122023"},
        {&HeaderRecord::type, "0"},
        {&HeaderRecord::situation, "05"},
        {&HeaderRecord::eventDate, "30062023"},
        {&HeaderRecord::uf, "RJ"},
        {&HeaderRecord::name, "A" + std::string(58, 'b') + "Z"},
        {&HeaderRecord::fileTag, "KOVALDF"},
        {&HeaderRecord::filler, std::string(18, '-') + "!"},
    });
}

TEST(RecordLayout, ContactFieldsFollowEachOther) {
    expectPiecesRoundTrip<ContactRecord>({
        {&ContactRecord::sequence, "00000002"},
        {&ContactRecord::recordType, "2"},
        {&ContactRecord::representativeCpf, "11111111111"},
        {&ContactRecord::representativeAreaCode, "0011"},
        {&ContactRecord::representativePhone, "222222222"},
        {&ContactRecord::representativeExtension, "33333"},
        {&ContactRecord::responsibleCpf, "44444444444"},
        {&ContactRecord::responsibleAreaCode, "0055"},
        {&ContactRecord::responsiblePhone, "666666666"},
        {&ContactRecord::responsibleExtension, "77777"},
        {&ContactRecord::filler, "<" + std::string(73, ' ') + ">"},
    });
}

TEST(RecordLayout, EntityFieldsFollowEachOther) {
    expectPiecesRoundTrip<EntityRecord>({
        {&EntityRecord::sequence, "00000003"},
        {&EntityRecord::recordType, "4"},
        {&EntityRecord::type, "F"},
        {&EntityRecord::cpfPrefix, "000"},
        {&EntityRecord::cpf, "52998224725"},
        {&EntityRecord::name, "<" + std::string(116, 'N') + ">"},
    });
    // The CNPJ field spans the CPF prefix and the CPF.
    const std::string bytes = EntityBuilder::type4F(7, 0).cpf("52998224725").build();
    EXPECT_EQ(EntityRecord(bytes).cnpj(), "00052998224725");
}

TEST(RecordLayout, LevyFieldsFollowEachOther) {
    expectPiecesRoundTrip<LevyRecord>({
        {&LevyRecord::sequence, "00000009"},
        {&LevyRecord::recordType, "5"},
        {&LevyRecord::cnpj, "11222333000181"},
        {&LevyRecord::dueDate, "10012023"},
        {&LevyRecord::baseAmount, "12345678901234567"},
        {&LevyRecord::levyAmount, "76543210987654321"},
        {&LevyRecord::filler, "<" + std::string(75, ' ') + ">"},
    });
}

TEST(RecordLayout, TrailerFieldsFollowEachOther) {
    expectPiecesRoundTrip<TrailerRecord>({
        {[](const TrailerRecord& r) { return r.at(1); }, "T"},
        {&TrailerRecord::filler, std::string(137, '9')},
        {&TrailerRecord::year, "2023"},
    });
}

TEST(RecordLayout, ContactTelephoneBlockIsAreaCodeNumberAndExtension) {
    const std::string bytes = ContactBuilder()
                                  .representativeAreaCode("0011")
                                  .representativePhone("987654321")
                                  .representativeExtension("00042")
                                  .build();
    EXPECT_EQ(ContactRecord(bytes).representativePhoneBlock(), "001198765432100042");
}

TEST(RecordLayout, ShortRecordsGiveEmptyOrCutTexts) {
    const std::string cut = HeaderBuilder().build().substr(0, 30);  // ends inside PERIODOINICIAL
    const HeaderRecord header(cut);
    EXPECT_EQ(header.cnpj().size(), 14u);
    EXPECT_EQ(header.periodStart(), "010");
    EXPECT_EQ(header.periodEnd(), "");
    EXPECT_EQ(header.name(), "");
    EXPECT_EQ(header.filler(), "");
    EXPECT_EQ(header.periodEndYmd(), "");

    const TrailerRecord empty{std::string_view{}};
    EXPECT_FALSE(empty.isTrailer());
    EXPECT_EQ(empty.year(), "");
    EXPECT_EQ(empty.recordType(), "");
    EXPECT_EQ(RecordView("T").isTrailer(), true);
    EXPECT_EQ(RecordView("abc").field(0, 2), "");
    EXPECT_EQ(RecordView("abc").at(4), "");
}

TEST(RecordLayout, TrailerIsRecognisedByPositionOneWhateverPositionNine) {
    std::string bytes = TrailerBuilder().build();
    EXPECT_TRUE(RecordView(bytes).isTrailer());
    bytes[8] = '3';
    EXPECT_TRUE(RecordView(bytes).isTrailer());
    EXPECT_FALSE(RecordView(LevyBuilder().build()).isTrailer());
}

TEST(RecordLayout, DatesAreRearrangedToYearMonthDay) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"31122023", "20231231"}, {"01012006", "20060101"}, {"00000000", "00000000"},
        {"3112", "12" "31"},      // year missing: only the pieces that exist
        {"3", "3"},               {"", ""},
        {"311220231", "20231231"},  // anything past 8 characters is ignored
    };
    for (const auto& [in, out] : cases) EXPECT_EQ(toYearMonthDay(in), out) << in;
    EXPECT_EQ(LevyRecord(LevyBuilder().dueDate("28022024").build()).dueDateYmd(), "20240228");
    const std::string header = HeaderBuilder().eventDate("15062023").build();
    const HeaderRecord h(header);
    EXPECT_EQ(h.periodStartYmd(), "20230101");
    EXPECT_EQ(h.periodEndYmd(), "20231231");
    EXPECT_EQ(h.eventDateYmd(), "20230615");
}

TEST(RecordLayout, AmountsAreWholeHundredths) {
    EXPECT_EQ(amountValue("00000000000000000"), 0u);
    EXPECT_EQ(amountValue("00000000000000001"), 1u);
    EXPECT_EQ(amountValue("00000000000012345"), 12345u);
    EXPECT_EQ(amountValue("99999999999999999"), 99'999'999'999'999'999u);
    EXPECT_EQ(amountValue(""), 0u);
    // Bad input stays harmless: no overflow, non-digits count as zero.
    EXPECT_EQ(amountValue("0000000000000 1.5"), 105u);
    EXPECT_EQ(amountValue(std::string(40, '9')), 9'999'999'999'999'999'999u);
}

// --- The fixtures themselves: their records are valid by the field checks and sit at the layout positions. ---

TEST(DeclarationFixtures, IdentifiersAreValidAscendingAndCrossCheckTheFieldChecks) {
    EXPECT_EQ(makeCnpj(112223330001), "11222333000181");
    EXPECT_EQ(makeCpf(529982247), "52998224725");
    for (std::size_t n = 0; n < 2000; ++n) {
        const std::string cnpj = nthCnpj(n), cpf = nthCpf(n);
        ASSERT_TRUE(isValidCnpj(cnpj)) << cnpj;
        ASSERT_TRUE(isValidCpf(cpf)) << cpf;
        if (n > 0) {
            ASSERT_LT(nthCnpj(n - 1), cnpj);
            ASSERT_LT(nthCpf(n - 1), cpf);
        }
    }
    EXPECT_TRUE(isValidCnpj(declarantCnpj()));
    // Every 12-digit base with its own check digits, and only those, passes.
    for (std::uint64_t base = 0; base < 100'000'000'000ULL; base += 7'777'777'777ULL) {
        std::string cnpj = makeCnpj(base * 10 + 1);
        ASSERT_TRUE(isValidCnpj(cnpj)) << cnpj;
        cnpj[13] = static_cast<char>('0' + (cnpj[13] - '0' + 1) % 10);
        ASSERT_FALSE(isValidCnpj(cnpj)) << cnpj;
    }
}

TEST(DeclarationFixtures, DefaultRecordsHoldValidFields) {
    const std::string header = HeaderBuilder(2019).build();
    const HeaderRecord h(header);
    EXPECT_EQ(h.length(), kRecordLength);
    EXPECT_EQ(h.sequence(), "00000001");
    EXPECT_EQ(h.recordType(), "1");
    EXPECT_EQ(h.year(), "2019");
    EXPECT_EQ(h.periodEnd(), "31122019");
    EXPECT_EQ(h.situation(), "00");
    EXPECT_EQ(h.eventDate(), "00000000");
    EXPECT_TRUE(isValidUf(h.uf()));
    EXPECT_TRUE(hasOnlyNameCharacters(h.name()));
    EXPECT_EQ(h.fileTag(), "KOVALDF");
    EXPECT_EQ(h.filler(), std::string(19, ' '));

    const std::string contacts = ContactBuilder().build();
    const ContactRecord c(contacts);
    EXPECT_EQ(c.length(), kRecordLength);
    EXPECT_TRUE(isValidCpf(c.representativeCpf()));
    EXPECT_TRUE(isValidCpf(c.responsibleCpf()));
    EXPECT_TRUE(isNumeric(c.representativePhoneBlock()));
    EXPECT_EQ(c.filler(), std::string(75, ' '));

    const std::string person = EntityBuilder::type4F(5, 3).build();
    const EntityRecord f(person);
    EXPECT_EQ(f.sequence(), "00000005");
    EXPECT_EQ(f.type(), "F");
    EXPECT_EQ(f.cpfPrefix(), "000");
    EXPECT_EQ(f.cpf(), nthCpf(3));
    EXPECT_EQ(EntityRecord(EntityBuilder::type3(4, 2).build()).cnpj(), nthCnpj(2));

    const std::string levy = LevyBuilder(9, 13, 2020).build();
    const LevyRecord l(levy);
    EXPECT_EQ(l.sequence(), "00000009");
    EXPECT_EQ(l.cnpj(), nthCnpj(1));
    EXPECT_EQ(l.dueDate(), "10022020");
    EXPECT_EQ(amountValue(l.baseAmount()), LevyBuilder::levyBase(13));
    EXPECT_EQ(amountValue(l.levyAmount()), LevyBuilder::levyKova(13));
    EXPECT_EQ(l.filler(), std::string(77, ' '));

    const std::string trailer = TrailerBuilder(2019).build();
    const TrailerRecord t(trailer);
    EXPECT_EQ(t.filler(), std::string(137, '9'));
    EXPECT_EQ(t.year(), "2019");
}

TEST(DeclarationFixtures, SettersWriteOneFieldAndKeepTheRest) {
    const std::string before = HeaderBuilder().build();
    const std::string after = HeaderBuilder().uf("X").name(std::string(80, 'Q')).build();
    ASSERT_EQ(after.size(), kRecordLength);
    EXPECT_EQ(HeaderRecord(after).uf(), "X ");
    EXPECT_EQ(HeaderRecord(after).name(), std::string(60, 'Q'));
    EXPECT_EQ(after.substr(116), before.substr(116));
    EXPECT_EQ(after.substr(0, 54), before.substr(0, 54));

    EXPECT_EQ(LevyBuilder().resize(141).build().size(), 141u);
    EXPECT_EQ(LevyBuilder().resize(143).build().substr(140), "   ");
    EXPECT_EQ(TrailerBuilder().put(143, "XY").build().size(), 144u);
}

TEST(DeclarationFixtures, CleanDeclarationIsInLayoutOrderWithSequenceNumbers) {
    DeclarationBuilder dec(2022);
    dec.type3(2).type4F(2).type4J(1).type5(14);
    const std::vector<std::string> records = dec.records();
    ASSERT_EQ(records.size(), 22u);
    ASSERT_EQ(dec.recordCount(), 22u);
    const std::string types = "1233444" + std::string(14, '5');
    for (std::size_t i = 0; i + 1 < records.size(); ++i) {
        SCOPED_TRACE(i + 1);
        ASSERT_EQ(records[i].size(), kRecordLength);
        EXPECT_EQ(RecordView(records[i]).sequence(), zeroPadded(i + 1, 8));
        EXPECT_EQ(RecordView(records[i]).recordType(), std::string(1, types[i]));
    }
    EXPECT_TRUE(RecordView(records.back()).isTrailer());
    EXPECT_EQ(TrailerRecord(records.back()).year(), "2022");
    EXPECT_EQ(EntityRecord(records[4]).type(), "F");
    EXPECT_EQ(EntityRecord(records[6]).type(), "J");
    // Twelve type 5 records per CNPJ, due dates ascending within each.
    EXPECT_EQ(LevyRecord(records[7]).cnpj(), LevyRecord(records[18]).cnpj());
    EXPECT_LT(LevyRecord(records[18]).cnpj(), LevyRecord(records[19]).cnpj());
    EXPECT_LT(LevyRecord(records[7]).dueDateYmd(), LevyRecord(records[8]).dueDateYmd());

    std::string expected;
    for (const auto& r : records) expected += r + "\r\n";
    EXPECT_EQ(dec.str(), expected);
    EXPECT_EQ(dec.withoutFinalCrLf().str(), expected.substr(0, expected.size() - 2));
}

TEST(DeclarationFixtures, ReplacedRecordsAndShorthand) {
    DeclarationBuilder dec;
    dec.type3(1).replaceRecord(3, "BROKEN");
    dec.header().uf("ZZ");
    EXPECT_EQ(dec.recordAt(3), "BROKEN");
    EXPECT_EQ(HeaderRecord(dec.recordAt(1)).uf(), "ZZ");

    const std::string text = cleanDeclaration(1, 3, 2);
    EXPECT_EQ(text.size(), 9 * (kRecordLength + 2));
    EXPECT_EQ(EntityRecord(std::string_view(text).substr(3 * 144, 142)).type(), "F");
    EXPECT_EQ(EntityRecord(std::string_view(text).substr(4 * 144, 142)).type(), "J");
}

}  // namespace
}  // namespace kova
