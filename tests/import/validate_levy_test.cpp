#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "import/validator_fixture.h"
#include "support/declaration_builder.h"

namespace kova {
namespace {

using namespace kova::fixtures;
using namespace kova::validation_tests;

class LevyValidation : public ValidatorTest {
protected:
    LevyValidation() { state.declarationYear = "2023"; }
    bool validateLevy(const std::string& record, std::int64_t line) { return validate(record, line, "5"); }
};

// --- Type 5: one record -------------------------------------------------------------------------------------

struct LevyCase {
    const char* name;
    std::string record;
    std::vector<Finding> expected;
    std::string year = "2023";
};

void PrintTo(const LevyCase& c, std::ostream* os) { *os << c.name; }

LevyBuilder levy() { return LevyBuilder(3, 0, 2023); }

std::string wrongCheckDigit(std::string id) {
    id.back() = id.back() == '0' ? '1' : '0';
    return id;
}

const std::vector<LevyCase>& levyCases() {
    static const std::vector<LevyCase> cases = {
        {"ValidRecord", levy().build(), {}},
        {"CnpjWithALetter", levy().cnpj("1000000000001X").build(), {F(2, 10, 23)}},
        {"CnpjOfZeros", levy().cnpj("00000000000000").build(), {F(22, 10, 23)}},
        {"CnpjWithAWrongCheckDigit", levy().cnpj(wrongCheckDigit(nthCnpj(0))).build(), {F(22, 10, 23)}},
        {"DueDateWithALetter", levy().dueDate("1O012023").build(), {F(2, 24, 31)}},
        {"DueDateNotADate", levy().dueDate("29022023").build(), {F(24, 24, 31)}},
        {"DueDateOnTheLastDayOfTheYear", levy().dueDate("31122023").build(), {}},
        {"DueDateInTheNextYear", levy().dueDate("01012024").build(), {F(88, 24, 31)}},
        {"DueDateNineYearsBefore", levy().dueDate("01012014").build(), {}},
        {"DueDateTenYearsBefore", levy().dueDate("31122013").build(), {F(88, 24, 31)}},
        {"NonNumericYearSkipsTheLowerBound", levy().dueDate("01011990").build(), {}, "20A3"},
        {"BaseWithABlank", levy().baseAmount("0000000000 123456").build(), {F(2, 32, 48)}},
        {"LevyWithASign", levy().levyAmount("-0000000000012345").build(), {F(2, 49, 65)}},
        {"BothAmountsZeroIsNoError", levy().baseAmount(0).levyAmount(0).build(), {}},
        {"FillerWithACharacter", levy().put(66, "0").build(), {F(9, 66, 142)}},
        {"FillerWithANulByte", levy().put(120, std::string(1, '\0')).build(), {F(9, 66, 142)}},
    };
    return cases;
}

class LevyRules : public LevyValidation, public ::testing::WithParamInterface<LevyCase> {};

TEST_P(LevyRules, RecordsTheExpectedErrorsAndGoesOn) {
    state.declarationYear = GetParam().year;
    EXPECT_TRUE(validateLevy(GetParam().record, 3));
    EXPECT_EQ(findings(log), GetParam().expected);
    EXPECT_EQ(state.count5, 1);
}

INSTANTIATE_TEST_SUITE_P(Fields, LevyRules, ::testing::ValuesIn(levyCases()),
                         [](const auto& info) { return std::string(info.param.name); });

// --- Type 5: order over several records ---------------------------------------------------------------------

struct LevyOrderCase {
    const char* name;
    std::vector<std::string> records;  // lines 3, 4, ...
    std::vector<Expected> expected;
};

void PrintTo(const LevyOrderCase& c, std::ostream* os) { *os << c.name; }

std::string due(std::size_t line, std::size_t cnpj, const char* date) {
    return LevyBuilder(line).cnpj(nthCnpj(cnpj)).dueDate(date).build();
}

const std::vector<LevyOrderCase>& levyOrderCases() {
    static const std::vector<LevyOrderCase> cases = {
        {"LaterDueDateForTheSameCnpj", {due(3, 0, "10012023"), due(4, 0, "10022023")}, {}},
        {"SameDueDateForTheSameCnpj", {due(3, 0, "10012023"), due(4, 0, "10012023")}, {{4, F(86, 24, 31)}}},
        {"EarlierDueDateForTheSameCnpj", {due(3, 0, "10022023"), due(4, 0, "10012023")}, {{4, F(87, 24, 31)}}},
        {"HigherCnpjStartsItsOwnDates", {due(3, 0, "10122023"), due(4, 1, "10012023")}, {}},
        {"LowerCnpjDoesNotCompareDates", {due(3, 1, "10012023"), due(4, 0, "10012023")}, {{4, F(56, 10, 23)}}},
        {"NonNumericDueDateBecomesThePreviousOne",
         {due(3, 0, "1001202X"), due(4, 0, "10012023")}, {{3, F(2, 24, 31)}, {4, F(87, 24, 31)}}},
        {"ImpossibleDueDateIsStillOrdered",
         {due(3, 0, "10032023"), due(4, 0, "31022023")}, {{4, F(87, 24, 31)}, {4, F(24, 24, 31)}}},
        {"NonNumericCnpjIsStillTheKeyOfTheNextRecord",
         {LevyBuilder(3).cnpj("ZZZZZZZZZZZZZZ").build(), due(4, 0, "10012023")},
         {{3, F(2, 10, 23)}, {4, F(56, 10, 23)}}},
    };
    return cases;
}

class LevyOrder : public LevyValidation, public ::testing::WithParamInterface<LevyOrderCase> {};

TEST_P(LevyOrder, RecordsTheExpectedErrors) {
    std::int64_t line = 3;
    for (const auto& record : GetParam().records) EXPECT_TRUE(validateLevy(record, line++));
    EXPECT_EQ(numberedFindings(log), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Records, LevyOrder, ::testing::ValuesIn(levyOrderCases()),
                         [](const auto& info) { return std::string(info.param.name); });

// --- Type 5: totals and counts ------------------------------------------------------------------------------

TEST_F(LevyValidation, TotalsAreExactBeyondSixtyFourBits) {
    const std::string nines(17, '9');
    for (std::size_t k = 0; k < 200; ++k) {
        ASSERT_TRUE(validateLevy(LevyBuilder(3 + k, k).baseAmount(nines).levyAmount(k + 1).build(),
                                 static_cast<std::int64_t>(3 + k)));
    }
    EXPECT_TRUE(log.rows.empty());
    // 200 × (10^17 - 1) hundredths, and 1 + 2 + ... + 200.
    EXPECT_EQ(state.baseTotal.toDigits(), std::string(20, '0') + "19999999999999999800");
    EXPECT_EQ(state.levyTotal.toDigits(), std::string(35, '0') + "20100");
    EXPECT_EQ(state.count5, 200);
    EXPECT_EQ(state.zeroAmountCount, 0);
}

TEST_F(LevyValidation, ANonNumericAmountAddsNothingButTheRecordCounts) {
    EXPECT_TRUE(validateLevy(levy().baseAmount(150).levyAmount(7).build(), 3));
    EXPECT_TRUE(validateLevy(LevyBuilder(4, 1).baseAmount("00000000000000 99").levyAmount(3).build(), 4));
    EXPECT_EQ(state.baseTotal.toDigits(3), "150");
    EXPECT_EQ(state.levyTotal.toDigits(2), "10");
    EXPECT_EQ(state.count5, 2);
    EXPECT_EQ(findings(log), (std::vector<Finding>{F(2, 32, 48)}));
}

TEST_F(LevyValidation, OnlyRecordsWithBothAmountsZeroAreCounted) {
    validateLevy(LevyBuilder(3, 0).baseAmount(0).levyAmount(0).build(), 3);
    validateLevy(LevyBuilder(4, 1).baseAmount(0).levyAmount(1).build(), 4);
    validateLevy(LevyBuilder(5, 2).baseAmount(1).levyAmount(0).build(), 5);
    validateLevy(LevyBuilder(6, 3).baseAmount(0).levyAmount("0000000000000000 ").build(), 6);
    validateLevy(LevyBuilder(7, 4).baseAmount(0).levyAmount(0).build(), 7);
    EXPECT_EQ(state.zeroAmountCount, 2);
    EXPECT_EQ(state.count5, 5);
}

TEST_F(LevyValidation, ASequenceOtherThanTheLineNumberStopsWithoutCounting) {
    EXPECT_FALSE(validateLevy(LevyBuilder(4).baseAmount(5).build(), 3));
    EXPECT_FALSE(validateLevy(LevyBuilder(3).sequence("0000003 ").build(), 3));
    EXPECT_EQ(findings(log), (std::vector<Finding>{F(26, 1, 8), F(2, 1, 8)}));
    EXPECT_EQ(state.count5, 0);
    EXPECT_TRUE(state.baseTotal.isZero());
    EXPECT_FALSE(state.type5Seen);
}

// --- Trailer ------------------------------------------------------------------------------------------------

struct TrailerCase {
    const char* name;
    std::string record;
    std::vector<Finding> expected;
};

void PrintTo(const TrailerCase& c, std::ostream* os) { *os << c.name; }

class TrailerRules : public LevyValidation, public ::testing::WithParamInterface<TrailerCase> {};

TEST_P(TrailerRules, RecordsTheExpectedErrors) {
    EXPECT_TRUE(validate(GetParam().record, 9, "T"));
    EXPECT_EQ(findings(log), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Fields, TrailerRules,
    ::testing::Values(
        TrailerCase{"ValidTrailer", TrailerBuilder(2023).build(), {}},
        TrailerCase{"AnotherCharacterAmongTheNines", TrailerBuilder(2023).put(70, "8").build(), {F(17, 2, 138)}},
        TrailerCase{"ANulByteAmongTheNines", TrailerBuilder(2023).put(2, std::string(1, '\0')).build(),
                    {F(17, 2, 138)}},
        TrailerCase{"YearOfAnotherDeclaration", TrailerBuilder(2022).build(), {F(54, 139, 142)}},
        TrailerCase{"YearWithABlank", TrailerBuilder(2023).year("202 ").build(), {F(2, 139, 142)}}),
    [](const auto& info) { return std::string(info.param.name); });

// --- Cancel and run-time faults -----------------------------------------------------------------------------

TEST_F(LevyValidation, ACancelAtEntryRecordsNothing) {
    state.cancel.set = true;
    EXPECT_FALSE(validateLevy(levy().cnpj("X").build(), 3));
    EXPECT_FALSE(validate(TrailerBuilder(1999).build(), 4, "T"));
    EXPECT_TRUE(log.rows.empty());
    EXPECT_EQ(state.count5, 0);
}

}  // namespace
}  // namespace kova
