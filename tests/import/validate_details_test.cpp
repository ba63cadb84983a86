#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "import/validator_fixture.h"
#include "support/declaration_builder.h"

namespace kova {
namespace {

using namespace kova::fixtures;
using namespace kova::validation_tests;

// --- Type 2: the contact record -----------------------------------------------------------------------------

struct ContactCase {
    const char* name;
    std::string record;
    std::vector<Finding> expected;
};

void PrintTo(const ContactCase& c, std::ostream* os) { *os << c.name; }

const std::vector<ContactCase>& contactCases() {
    static const std::vector<ContactCase> cases = {
        {"ValidContacts", ContactBuilder().build(), {}},
        {"RepresentativeCpfWithALetter", ContactBuilder().representativeCpf("1234567890X").build(), {F(2, 10, 20)}},
        {"RepresentativeCpfOfZerosIsNotACheckDigitError",
         ContactBuilder().representativeCpf("00000000000").build(), {F(76, 10, 20)}},
        {"RepresentativeCpfWithWrongCheckDigits",
         ContactBuilder().representativeCpf(makeCpf(123456789).substr(0, 9) + "00").build(), {F(23, 10, 20)}},
        {"RepresentativeAreaCodeBelow10", ContactBuilder().representativeAreaCode("0009").build(), {F(84, 21, 24)}},
        {"RepresentativeAreaCode10", ContactBuilder().representativeAreaCode("0010").build(), {}},
        {"RepresentativeAreaCodeOfZeros", ContactBuilder().representativeAreaCode("0000").build(), {F(76, 21, 24)}},
        {"RepresentativeAreaCodeWithABlank", ContactBuilder().representativeAreaCode("  11").build(), {F(2, 21, 24)}},
        {"RepresentativeTelephoneOfZeros", ContactBuilder().representativePhone("000000000").build(),
         {F(76, 25, 33)}},
        {"RepresentativeTelephoneWithAHyphen", ContactBuilder().representativePhone("9876-5432").build(),
         {F(2, 25, 33)}},
        {"ExtensionOfZerosIsAccepted", ContactBuilder().representativeExtension("00000").responsibleExtension("00000").build(),
         {}},
        {"RepresentativeExtensionWithABlank", ContactBuilder().representativeExtension("12 45").build(), {F(2, 34, 38)}},
        {"ResponsibleCpfOfZeros", ContactBuilder().responsibleCpf("00000000000").build(), {F(76, 39, 49)}},
        {"ResponsibleCpfWithWrongCheckDigits",
         ContactBuilder().responsibleCpf(makeCpf(987654321).substr(0, 9) + "99").build(), {F(23, 39, 49)}},
        {"ResponsibleAreaCodeBelow10", ContactBuilder().responsibleAreaCode("0001").build(), {F(84, 50, 53)}},
        {"ResponsibleAreaCodeOfZeros", ContactBuilder().responsibleAreaCode("0000").build(), {F(76, 50, 53)}},
        {"ResponsibleTelephoneOfZeros", ContactBuilder().responsiblePhone("000000000").build(), {F(76, 54, 62)}},
        {"ResponsibleTelephoneWithALetter", ContactBuilder().responsiblePhone("03456789O").build(),
         {F(2, 54, 62)}},
        {"ResponsibleExtensionWithALetter", ContactBuilder().responsibleExtension("0123A").build(), {F(2, 63, 67)}},
        {"FillerWithACharacter", ContactBuilder().put(142, "X").build(), {F(9, 68, 142)}},
        {"FillerWithALoneLf", ContactBuilder().put(100, "\n").build(), {F(9, 68, 142)}},
        {"EveryFieldWrong",
         ContactBuilder()
             .representativeCpf("00000000000").representativeAreaCode("0009").representativePhone("000000000")
             .representativeExtension("X").responsibleCpf("A").responsibleAreaCode("0000").responsiblePhone("X")
             .responsibleExtension("X").filler("X").build(),
         {F(76, 10, 20), F(84, 21, 24), F(76, 25, 33), F(2, 34, 38), F(2, 39, 49), F(76, 50, 53), F(2, 54, 62),
          F(2, 63, 67), F(9, 68, 142)}},
    };
    return cases;
}

class ContactRules : public ValidatorTest, public ::testing::WithParamInterface<ContactCase> {};

TEST_P(ContactRules, RecordsTheExpectedErrorsAndGoesOn) {
    EXPECT_TRUE(validate(GetParam().record, 2, "2"));
    EXPECT_EQ(findings(log), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Fields, ContactRules, ::testing::ValuesIn(contactCases()),
                         [](const auto& info) { return std::string(info.param.name); });

class ContactValidation : public ValidatorTest {};

TEST_F(ContactValidation, TheSequenceMustBeTwoOrTheImportStops) {
    EXPECT_FALSE(validate(ContactBuilder().sequence("00000003").representativeCpf("X").build(), 2, "2"));
    EXPECT_EQ(findings(log), (std::vector<Finding>{F(26, 1, 8)}));
    log.rows.clear();
    EXPECT_FALSE(validate(ContactBuilder().sequence("0000000Z").build(), 2, "2"));
    EXPECT_EQ(findings(log), (std::vector<Finding>{F(2, 1, 8)}));
}

TEST_F(ContactValidation, TheRepresentativeDataAreKeptEvenWhenWrong) {
    validate(ContactBuilder().representativeCpf("00000000000").representativeAreaCode("0009").build(), 2, "2");
    EXPECT_EQ(state.representativeCpf, "00000000000");
    EXPECT_EQ(state.representativeTelephoneBlock, "0009" "987654321" "00000");
    const auto& row = log.rows.at(0);
    EXPECT_EQ(row.recordType, "2");
    EXPECT_EQ(row.recordNumber, 2);
}

// --- Types 3 and 4: identification order over several records -----------------------------------------------

struct OrderCase {
    const char* name;
    std::vector<std::string> records;  // lines 3, 4, ...
    std::vector<Expected> expected;
};

void PrintTo(const OrderCase& c, std::ostream* os) { *os << c.name; }

std::string withCnpj(EntityBuilder b, const std::string& cnpj) { return b.cnpj(cnpj).build(); }
std::string wrongCheckDigit(std::string id) {
    id.back() = id.back() == '0' ? '1' : '0';
    return id;
}

const std::vector<OrderCase>& orderCases() {
    using E = EntityBuilder;
    static const std::vector<OrderCase> cases = {
        {"AscendingEntities", {E::type3(3, 0).build(), E::type3(4, 1).build(), E::type3(5, 7).build()}, {}},
        {"SameEntityTwice", {E::type3(3, 2).build(), E::type3(4, 2).build()}, {{4, F(66, 11, 24)}}},
        {"LowerEntity", {E::type3(3, 2).build(), E::type3(4, 1).build()}, {{4, F(56, 11, 24)}}},
        {"InvalidEntityCnpjIsStillOrdered",
         {E::type3(3, 2).build(), withCnpj(E::type3(4), wrongCheckDigit(nthCnpj(1)))},
         {{4, F(22, 11, 24)}, {4, F(56, 11, 24)}}},
        {"NonNumericEntityCnpjBecomesThePreviousOne",
         {withCnpj(E::type3(3), "9999999999999X"), E::type3(4, 0).build()},
         {{3, F(2, 11, 24)}, {4, F(56, 11, 24)}}},
        {"EntityOfANaturalPersonIsStillCheckedAsALegalEntity",
         {E::type3(3, 0).type("F").build(), E::type3(4, 0).build()}, {{3, F(11, 10, 10)}, {4, F(66, 11, 24)}}},
        {"NaturalThenLegalBeneficiaries",
         {E::type4F(3, 0).build(), E::type4F(4, 1).build(), E::type4J(5, 0).build(), E::type4J(6, 1).build()}, {}},
        {"LegalAndNaturalAreOrderedApart", {E::type4F(3, 9).build(), E::type4J(4, 0).build()}, {}},
        {"SameLegalBeneficiaryTwice", {E::type4J(3, 1).build(), E::type4J(4, 1).build()}, {{4, F(85, 11, 24)}}},
        {"LowerLegalBeneficiary", {E::type4J(3, 1).build(), E::type4J(4, 0).build()}, {{4, F(56, 11, 24)}}},
        {"SameNaturalBeneficiaryTwice", {E::type4F(3, 1).build(), E::type4F(4, 1).build()}, {{4, F(67, 11, 24)}}},
        {"LowerNaturalBeneficiary", {E::type4F(3, 1).build(), E::type4F(4, 0).build()}, {{4, F(64, 11, 24)}}},
        {"NaturalAfterLegalStillOrdersTheCpfs",
         {E::type4F(3, 1).build(), E::type4J(4, 0).build(), E::type4F(5, 0).build()},
         {{5, F(57, 11, 24)}, {5, F(64, 11, 24)}}},
        {"NaturalBeneficiaryWithWrongCpf", {E::type4F(3).cpf(wrongCheckDigit(nthCpf(0))).build()},
         {{3, F(23, 11, 24)}}},
        {"NaturalBeneficiaryWithoutLeadingZerosSkipsTheCpf",
         {E::type4F(3, 1).build(), E::type4F(4).cpfPrefix("001").cpf(wrongCheckDigit(nthCpf(0))).build(),
          E::type4F(5, 2).build()},
         {{4, F(45, 11, 24)}}},
        {"LegalBeneficiaryWithWrongCnpj", {withCnpj(E::type4J(3), wrongCheckDigit(nthCnpj(0)))},
         {{3, F(22, 11, 24)}}},
        {"UnknownPersonTypeSkipsTheIdentification",
         {E::type4J(3, 0).type("X").cnpj("00000000000000").build()}, {{3, F(11, 10, 10)}}},
        {"NonNumericBeneficiaryIsNotRemembered",
         {E::type4J(3, 5).build(), withCnpj(E::type4J(4), "ABC"), E::type4J(5, 1).build()},
         {{4, F(2, 11, 24)}, {5, F(56, 11, 24)}}},
    };
    return cases;
}

class IdentificationOrder : public ValidatorTest, public ::testing::WithParamInterface<OrderCase> {};

TEST_P(IdentificationOrder, RecordsTheExpectedErrors) {
    const OrderCase& c = GetParam();
    std::int64_t line = 3;
    for (const auto& record : c.records) {
        EXPECT_TRUE(validate(record, line, std::string(1, record[8])));
        ++line;
    }
    EXPECT_EQ(numberedFindings(log), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Records, IdentificationOrder, ::testing::ValuesIn(orderCases()),
                         [](const auto& info) { return std::string(info.param.name); });

// --- Types 3 and 4: the name -------------------------------------------------------------------------------

struct NameCase {
    const char* name;
    std::string text;
    int entityCode;       // type 3
    int beneficiaryCode;  // type 4
};

void PrintTo(const NameCase& c, std::ostream* os) { *os << c.name; }

class NameRules : public ValidatorTest, public ::testing::WithParamInterface<NameCase> {};

TEST_P(NameRules, GiveAtMostOneErrorWithTheCodeOfTheType) {
    const NameCase& c = GetParam();
    const auto expect = [](int code) {
        return code == 0 ? std::vector<Finding>{} : std::vector<Finding>{F(code, 25, 142)};
    };
    validate(EntityBuilder::type3(3).name(c.text).build(), 3, "3");
    EXPECT_EQ(findings(log), expect(c.entityCode));
    log.rows.clear();
    validate(EntityBuilder::type4F(4).name(c.text).build(), 4, "4");
    EXPECT_EQ(findings(log), expect(c.beneficiaryCode));
    log.rows.clear();
    validate(EntityBuilder::type4J(5).name(c.text).build(), 5, "4");
    EXPECT_EQ(findings(log), expect(c.beneficiaryCode));
}

INSTANTIATE_TEST_SUITE_P(
    Names, NameRules,
    ::testing::Values(NameCase{"Valid", "ASSOCIACAO BENEFICENTE 2", 0, 0},
                      NameCase{"DigitsOnlyAreAccepted", "123", 0, 0},
                      NameCase{"AllBlanks", "", 92, 92},
                      NameCase{"LeadingBlankEvenIfTooShort", " AB", 72, 72},
                      NameCase{"TwoCharacters", "AB", 74, 77},
                      NameCase{"TwoCharactersAmongBlanks", "A B", 0, 0},
                      NameCase{"Hyphen", "ALFA-BETA", 93, 94},
                      NameCase{"AccentedLetter", "ASSOCIA\xC7\xC3O", 93, 94},
                      NameCase{"NulByte", std::string("ALFA\0BETA", 9), 93, 94},
                      NameCase{"LoneCr", "ALFA\rBETA", 93, 94},
                      NameCase{"LowerCase", "Associacao Alfa", 75, 78}),
    [](const auto& info) { return std::string(info.param.name); });

// --- Sequence, counts, cancel and faults, for the three validators -----------------------------------------

class DetailValidation : public ValidatorTest {};

TEST_F(DetailValidation, ASequenceOtherThanTheLineNumberStopsWithoutCounting) {
    EXPECT_FALSE(validate(EntityBuilder::type3(5).cnpj("X").build(), 4, "3"));
    EXPECT_FALSE(validate(EntityBuilder::type4J(5).build(), 6, "4"));
    EXPECT_FALSE(validate(EntityBuilder::type4F(6).sequence("0000000A").build(), 6, "4"));
    EXPECT_EQ(findings(log), (std::vector<Finding>{F(26, 1, 8), F(26, 1, 8), F(2, 1, 8)}));
    EXPECT_EQ(state.count3, 0);
    EXPECT_EQ(state.count4, 0);
    EXPECT_FALSE(state.entitySeen);
}

TEST_F(DetailValidation, CountsIncludeRecordsWithErrors) {
    EXPECT_TRUE(validate(EntityBuilder::type3(3).name("").build(), 3, "3"));
    EXPECT_TRUE(validate(EntityBuilder::type3(4, 1).build(), 4, "3"));
    EXPECT_TRUE(validate(EntityBuilder::type4F(5).type("Z").build(), 5, "4"));
    EXPECT_EQ(state.count3, 2);
    EXPECT_EQ(state.count4, 1);
    EXPECT_EQ(log.rows.size(), 2u);
}

TEST_F(DetailValidation, ACancelAtEntryRecordsAndCountsNothing) {
    state.cancel.set = true;
    EXPECT_FALSE(validate(ContactBuilder().representativeCpf("X").build(), 2, "2"));
    EXPECT_FALSE(validate(EntityBuilder::type3(3).name("").build(), 3, "3"));
    EXPECT_FALSE(validate(EntityBuilder::type4J(4).name("").build(), 4, "4"));
    EXPECT_TRUE(log.rows.empty());
    EXPECT_EQ(state.count3 + state.count4, 0);
}

// --- A whole clean declaration -----------------------------------------------------------------------------

TEST_F(DetailValidation, ACleanDeclarationGivesNoRowsAndItsCountsAndTotals) {
    const DeclarationBuilder dec = DeclarationBuilder(2023).type3(3).type4F(2).type4J(2).type5(30);
    const auto records = dec.records();
    for (std::size_t i = 0; i < records.size(); ++i) {
        const std::string& r = records[i];
        const std::string recordType = r[0] == 'T' ? "T" : std::string(1, r[8]);
        ASSERT_TRUE(validate(r, static_cast<std::int64_t>(i + 1), recordType)) << "record " << i + 1;
    }
    EXPECT_TRUE(log.rows.empty());
    EXPECT_EQ(state.count3, 3);
    EXPECT_EQ(state.count4, 4);
    EXPECT_EQ(state.count5, 30);
    EXPECT_EQ(state.declarationYear, "2023");
    EXPECT_EQ(state.declarationType, "0");
    DecimalTotal base, levyTotal;
    for (std::size_t k = 0; k < 30; ++k) {
        base.add(LevyBuilder::levyBase(k));
        levyTotal.add(LevyBuilder::levyKova(k));
    }
    EXPECT_EQ(state.baseTotal, base);
    EXPECT_EQ(state.levyTotal, levyTotal);
}

}  // namespace
}  // namespace kova
