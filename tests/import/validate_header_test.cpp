#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "import/validator_fixture.h"
#include "support/declaration_builder.h"

namespace kova {
namespace {

using namespace kova::fixtures;
using namespace kova::validation_tests;

class HeaderValidation : public ValidatorTest {
protected:
    bool validateHeader(const std::string& record) { return validate(record, 0, "1"); }
};

// --- Field rules --------------------------------------------------------------------------------------------

struct HeaderCase {
    const char* name;
    std::string record;
    std::vector<Finding> expected;
    int clockYear = 2024;
};

void PrintTo(const HeaderCase& c, std::ostream* os) { *os << c.name; }

HeaderBuilder header() { return HeaderBuilder(2023); }

const std::vector<HeaderCase>& headerCases() {
    static const std::vector<HeaderCase> cases = {
        {"ValidHeader", header().build(), {}},
        {"FileNameIsNotThisValidatorsBusiness", header().fileTag("OUTRO").build(), {}},
        {"CnpjWithALetter", header().cnpj("1234567800019A").build(), {F(2, 10, 23)}},
        {"CnpjOfZerosIsACheckDigitError", header().cnpj("00000000000000").build(), {F(22, 10, 23)}},
        {"CnpjWithAWrongCheckDigit", header().cnpj(makeCnpj(123456780001).substr(0, 13) + "9").build(),
         {F(22, 10, 23)}},
        // Year: the clock's year is "today".
        {"YearOfToday", HeaderBuilder(2024).build(), {}},
        {"FutureYear", HeaderBuilder(2025).build(), {F(10, 24, 27)}},
        {"FutureYearAccordingToTheClock", HeaderBuilder(2024).build(), {F(10, 24, 27)}, 2023},
        {"Year2006", HeaderBuilder(2006).build(), {}},
        {"YearBefore2006", HeaderBuilder(2005).build(), {F(10, 24, 27)}},
        {"YearOfZeros", header().year("0000").build(), {F(89, 24, 27), F(12, 24, 27), F(13, 36, 43), F(20, 36, 43)}},
        {"YearWithALetter", header().year("20A3").build(), {F(2, 24, 27), F(12, 24, 27), F(13, 36, 43)}},
        // Period.
        {"StartDateNotADate", header().periodStart("31022023").build(), {F(24, 28, 35)}},
        {"StartDateInAnotherYearReportedOnTheYearColumns",
         header().periodStart("31122022").build(), {F(12, 24, 27)}},
        {"NonNumericStartStillOrdered", header().periodStart("0101202X").build(), {F(2, 28, 35), F(15, 36, 43)}},
        {"EndDateNotADate", header().periodEnd("31042023").situation("01").eventDate("31042023").build(),
         {F(24, 36, 43), F(81, 47, 54)}},
        {"EndInThePreviousYear", header().periodEnd("30062022").situation("01").eventDate("30062022").build(),
         {F(13, 36, 43), F(15, 36, 43)}},
        // " 0231231" sorts before the start date.
        {"EndDateWithABlank", header().periodEnd("3112 023").build(), {F(2, 36, 43), F(15, 36, 43), F(20, 36, 43)}},
        // Declaration type.
        {"DeclarationTypeAmending", header().type("1").build(), {}},
        {"DeclarationTypeNotADigit", header().type("R").build(), {F(2, 44, 44)}},
        {"DeclarationTypeUnknownDigit", header().type("2").build(), {F(8, 44, 44)}},
        // Situation and event date.
        {"NormalSituationEndingBefore31December", header().periodEnd("30112023").build(), {F(20, 36, 43)}},
        {"NormalSituationWithAnEventDate", header().eventDate("31122023").build(), {F(29, 47, 54)}},
        {"NormalSituationWithAnImpossibleEventDate", header().eventDate("31042023").build(),
         {F(81, 47, 54), F(29, 47, 54)}},
        {"SpecialSituationEndingOnTheEvent",
         header().situation("03").periodEnd("15082023").eventDate("15082023").build(), {}},
        {"SpecialSituationWithoutEventDate", header().situation("01").build(), {F(47, 47, 54)}},
        {"SpecialSituationEventDifferentFromTheEnd", header().situation("05").eventDate("30122023").build(),
         {F(47, 47, 54)}},
        {"UnknownSituation", header().situation("04").build(), {F(16, 45, 46), F(47, 47, 54)}},
        {"SituationOfTwoBlanks", header().situation("  ").eventDate("31122023").build(), {F(2, 45, 46)}},
        {"SituationWithALetterStillComparesTheEventDate", header().situation("0A").build(),
         {F(2, 45, 46), F(47, 47, 54)}},
        {"EventDateWithALetter", header().eventDate("0000000O").build(), {F(2, 47, 54)}},
        // State.
        {"StateStraddlingTwoCodes", header().uf("CA").build(), {F(40, 55, 56)}},
        {"StateInLowerCase", header().uf("sp").build(), {F(40, 55, 56)}},
        // Name: at most one error, the first that applies.
        {"NameWithLeadingBlank", header().name(" EMPRESA").build(), {F(72, 57, 116)}},
        {"NameWithLeadingBlankAndTooShort", header().name(" AB").build(), {F(72, 57, 116)}},
        {"NameOfTwoLetters", header().name("AB").build(), {F(28, 57, 116)}},
        {"NameOfBlanks", header().name("").build(), {F(92, 57, 116)}},
        {"NameWithAnAmpersand", header().name("ALFA & BETA").build(), {F(79, 57, 116)}},
        {"NameWithAnAccentedLetter", header().name("CONFEC\xC7OES ALFA").build(), {F(79, 57, 116)}},
        {"NameWithANulByte", header().name(std::string("ALFA\0BETA", 9)).build(), {F(79, 57, 116)}},
        {"NameWithALoneLf", header().name("ALFA\nBETA").build(), {F(79, 57, 116)}},
        {"NameWithALoneCr", header().name("ALFA\rBETA").build(), {F(79, 57, 116)}},
        {"NameOfDigitsOnly", header().name("123 456").build(), {F(80, 57, 116)}},
        {"NameInLowerCase", header().name("Empresa Alfa").build(), {F(97, 57, 116)}},
        // Filler.
        {"FillerWithOneCharacter", header().put(130, "X").build(), {F(9, 124, 142)}},
        {"FillerWithANulByte", header().put(142, std::string(1, '\0')).build(), {F(9, 124, 142)}},
    };
    return cases;
}

class HeaderRules : public HeaderValidation, public ::testing::WithParamInterface<HeaderCase> {};

TEST_P(HeaderRules, RecordsTheExpectedErrorsAndGoesOn) {
    const HeaderCase& c = GetParam();
    clock.set(DateTime{c.clockYear, 6, 15, 10, 0, 0});
    EXPECT_TRUE(validateHeader(c.record));
    EXPECT_EQ(findings(log), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Fields, HeaderRules, ::testing::ValuesIn(headerCases()),
                         [](const auto& info) { return std::string(info.param.name); });

// --- Sequence: the only errors that stop the import ---------------------------------------------------------

TEST_F(HeaderValidation, ASequenceWithALetterGivesOneErrorAndStops) {
    // Everything else is wrong too: nothing after the sequence is looked at.
    EXPECT_FALSE(validateHeader(header().sequence("0000000I").cnpj("X").name("").build()));
    EXPECT_EQ(findings(log), (std::vector<Finding>{F(2, 1, 8)}));
}

TEST_F(HeaderValidation, ASequenceOtherThanOneGivesError26AndStops) {
    EXPECT_FALSE(validateHeader(header().sequence("00000002").cnpj("X").build()));
    EXPECT_EQ(findings(log), (std::vector<Finding>{F(26, 1, 8)}));
    EXPECT_TRUE(state.declarationYear.empty());
}

// --- State for later records --------------------------------------------------------------------------------

TEST_F(HeaderValidation, RowsNameTheHeaderAndTheDeclarant) {
    state.recordNumber = 7;
    state.declarantName = "CONFEC\xC7\xD5" "ES";
    EXPECT_TRUE(validateHeader(header().uf("XX").build()));
    ASSERT_EQ(log.rows.size(), 1u);
    EXPECT_EQ(state.recordNumber, 1);
    EXPECT_EQ(log.rows[0].recordType, "1");
    EXPECT_EQ(log.rows[0].recordNumber, 1);
    EXPECT_EQ(log.rows[0].cnpj, "12345678000195");
    EXPECT_EQ(log.rows[0].name, "CONFEC\xC3\x87\xC3\x95" "ES");
    EXPECT_FALSE(log.rows[0].complement.has_value());
}

TEST_F(HeaderValidation, TheYearIsKeptEvenWhenWrong) {
    validateHeader(header().year("20A3").build());
    EXPECT_EQ(state.declarationYear, "20A3");
}

TEST_F(HeaderValidation, TheDeclarationTypeIsKeptOnlyWhenKnown) {
    state.declarationType = "0";
    validateHeader(header().type("1").build());
    EXPECT_EQ(state.declarationType, "1");
    validateHeader(header().type("7").build());
    EXPECT_EQ(state.declarationType, "1");
}

TEST_F(HeaderValidation, TheEndOfPeriodErrorOfANormalSituationCarriesTheYear) {
    validateHeader(header().periodEnd("30112023").build());
    ASSERT_EQ(log.rows.size(), 1u);
    EXPECT_EQ(log.rows[0].code, 20);
    EXPECT_EQ(log.rows[0].complement, std::optional<std::string>("2023 p/ Sit Especial 00"));
}

// --- Cancel and run-time faults -----------------------------------------------------------------------------

TEST_F(HeaderValidation, ACancelBeforeTheStartRecordsNothing) {
    state.cancel.set = true;
    EXPECT_FALSE(validateHeader(header().cnpj("X").build()));
    EXPECT_TRUE(log.rows.empty());
}

TEST_F(HeaderValidation, ACancelDuringTheValidationStopsBeforeTheSituation) {
    log.onWrite = [&] { state.cancel.set = true; };
    EXPECT_FALSE(validateHeader(header().cnpj("X").uf("XX").build()));
    EXPECT_EQ(findings(log), (std::vector<Finding>{F(2, 10, 23)}));
}

TEST_F(HeaderValidation, ACancelDuringTheNameStopsBeforeTheFiller) {
    log.onWrite = [&] { state.cancel.set = true; };
    EXPECT_FALSE(validateHeader(header().name("").put(130, "X").build()));
    EXPECT_EQ(findings(log), (std::vector<Finding>{F(92, 57, 116)}));
}

}  // namespace
}  // namespace kova
