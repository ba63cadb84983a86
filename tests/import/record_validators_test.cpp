#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "import/import_fakes.h"
#include "support/declaration_builder.h"

namespace kova {
namespace {

using namespace kova::fixtures;
using namespace kova::import_tests;

HeaderBuilder header() { return HeaderBuilder(2023); }
LevyBuilder levy() { return LevyBuilder(3, 0, 2023); }
EntityBuilder entity() { return EntityBuilder::type3(3); }

std::string wrongCheckDigit(std::string id) {
    id.back() = id.back() == '0' ? '1' : '0';
    return id;
}

// The record's own sequence number, 9 for the trailer.
std::int64_t lineOf(const std::string& record) { return record[0] == 'T' ? 9 : std::stoll(record.substr(0, 8)); }

struct RecordCase {
    const char* name;
    std::vector<std::string> records;  // one record, or several at lines 3, 4, ...
    std::vector<Finding> expected;
};

// Every field's error code and columns; a validator records its errors and goes on to the next record.
TEST(RecordValidators, FieldRulesOfEveryRecordType) {
    const std::vector<RecordCase> cases = {
        {"header CNPJ, type, state and name",
         {header().cnpj(wrongCheckDigit(makeCnpj(123456780001))).type("2").uf("sp").name("").build()},
         {{1, 22, 10, 23}, {1, 8, 44, 44}, {1, 40, 55, 56}, {1, 92, 57, 116}}},
        {"year of today", {HeaderBuilder(2024).build()}, {}},
        {"future year", {HeaderBuilder(2025).build()}, {{1, 10, 24, 27}}},
        {"year before 2006", {HeaderBuilder(2005).build()}, {{1, 10, 24, 27}}},
        {"year of zeros", {header().year("0000").build()},
         {{1, 89, 24, 27}, {1, 12, 24, 27}, {1, 13, 36, 43}, {1, 20, 36, 43}}},
        {"end not a date", {header().periodEnd("31042023").situation("01").eventDate("31042023").build()},
         {{1, 24, 36, 43}, {1, 81, 47, 54}}},
        {"end in the previous year", {header().periodEnd("30062022").situation("01").eventDate("30062022").build()},
         {{1, 13, 36, 43}, {1, 15, 36, 43}}},
        {"normal situation with an event", {header().eventDate("31122023").build()}, {{1, 29, 47, 54}}},
        {"special situation ending on the event",
         {header().situation("03").periodEnd("15082023").eventDate("15082023").build()}, {}},
        {"special situation without event", {header().situation("01").build()}, {{1, 47, 47, 54}}},
        {"unknown situation", {header().situation("04").build()}, {{1, 16, 45, 46}, {1, 47, 47, 54}}},
        {"situation of blanks", {header().situation("  ").eventDate("31122023").build()}, {{1, 2, 45, 46}}},
        {"area code 10", {ContactBuilder().representativeAreaCode("0010").build()}, {}},
        {"every contact field wrong",
         {ContactBuilder()
              .representativeCpf("00000000000").representativeAreaCode("0009").representativePhone("000000000")
              .representativeExtension("X").responsibleCpf("A").responsibleAreaCode("0000").responsiblePhone("X")
              .responsibleExtension("X").filler("X").build()},
         {{2, 76, 10, 20}, {2, 84, 21, 24}, {2, 76, 25, 33}, {2, 2, 34, 38}, {2, 2, 39, 49}, {2, 76, 50, 53},
          {2, 2, 54, 62}, {2, 2, 63, 67}, {2, 9, 68, 142}}},
        {"entity name of digits", {entity().name("123").build()}, {}},
        {"entity type and name", {entity().type("F").name("ALFA-BETA").build()}, {{3, 11, 10, 10}, {3, 93, 25, 142}}},
        {"beneficiary CPF", {EntityBuilder::type4F(3).cpf(wrongCheckDigit(nthCpf(0))).build()}, {{3, 23, 11, 24}}},
        {"due date and filler", {levy().dueDate("29022023").put(66, "0").build()}, {{3, 24, 24, 31}, {3, 9, 66, 142}}},
        {"due in the next year", {levy().dueDate("01012024").build()}, {{3, 88, 24, 31}}},
        {"due ten years before", {levy().dueDate("31122013").build()}, {{3, 88, 24, 31}}},
        {"nines and year of the trailer", {TrailerBuilder(2022).put(70, "8").build()},
         {{9, 17, 2, 138}, {9, 54, 139, 142}}},
    };
    for (const RecordCase& c : cases) {
        SCOPED_TRACE(c.name);
        ValidatorBench bench;
        EXPECT_TRUE(bench.validate(c.records[0], lineOf(c.records[0])));
        EXPECT_EQ(findings(bench.log), c.expected);
    }
}

std::string due(std::size_t line, std::size_t cnpj, const char* date) {
    return LevyBuilder(line).cnpj(nthCnpj(cnpj)).dueDate(date).build();
}

// Identifications and due dates are compared with those of the records before.
TEST(RecordValidators, OrderOverSeveralRecords) {
    using E = EntityBuilder;
    const std::vector<RecordCase> cases = {
        {"same entity twice", {E::type3(3, 2).build(), E::type3(4, 2).build()}, {{4, 66, 11, 24}}},
        {"non-numeric entity CNPJ becomes the previous one",
         {E::type3(3).cnpj("9999999999999X").build(), E::type3(4, 0).build()},
         {{3, 2, 11, 24}, {4, 56, 11, 24}}},
        {"same legal beneficiary twice", {E::type4J(3, 1).build(), E::type4J(4, 1).build()}, {{4, 85, 11, 24}}},
        {"lower natural beneficiary", {E::type4F(3, 1).build(), E::type4F(4, 0).build()}, {{4, 64, 11, 24}}},
        {"CPF without leading zeros is not checked",
         {E::type4F(3, 1).build(), E::type4F(4).cpfPrefix("001").cpf(wrongCheckDigit(nthCpf(0))).build(),
          E::type4F(5, 2).build()},
         {{4, 45, 11, 24}}},
        {"same due date", {due(3, 0, "10012023"), due(4, 0, "10012023")}, {{4, 86, 24, 31}}},
        {"earlier due date", {due(3, 0, "10022023"), due(4, 0, "10012023")}, {{4, 87, 24, 31}}},
        {"lower levy CNPJ", {due(3, 1, "10012023"), due(4, 0, "10012023")}, {{4, 56, 10, 23}}},
        {"non-numeric due date becomes the previous one", {due(3, 0, "1001202X"), due(4, 0, "10012023")},
         {{3, 2, 24, 31}, {4, 87, 24, 31}}},
    };
    for (const RecordCase& c : cases) {
        SCOPED_TRACE(c.name);
        ValidatorBench bench;
        for (std::size_t i = 0; i < c.records.size(); ++i) EXPECT_TRUE(bench.validate(c.records[i], 3 + i));
        EXPECT_EQ(findings(bench.log), c.expected);
    }
}

// A sequence other than the record's number is the only field error that stops the import; nothing after it
// is looked at and nothing is counted.
TEST(RecordValidators, AWrongSequenceStopsWithOneError) {
    // The record, its number, the error code.
    const std::vector<std::tuple<std::string, std::int64_t, int>> cases = {
        {header().sequence("0000000I").cnpj("X").name("").build(), 1, 2},
        {ContactBuilder().sequence("00000003").representativeCpf("X").build(), 2, 26},
        {EntityBuilder::type4F(6).sequence("0000000A").build(), 6, 2},
        {LevyBuilder(4).baseAmount(5).build(), 3, 26},
    };
    for (const auto& [record, recordNumber, code] : cases) {
        SCOPED_TRACE(record.substr(0, 9));
        ValidatorBench bench;
        EXPECT_FALSE(bench.validate(record, recordNumber));
        EXPECT_EQ(findings(bench.log), (std::vector<Finding>{{recordNumber, code, 1, 8}}));
        EXPECT_FALSE(bench.state.entitySeen || bench.state.type5Seen || !bench.state.baseTotal.isZero());
    }
}

TEST(RecordValidators, ACancelStopsEveryValidator) {
    const std::vector<std::string> records = {
        header().cnpj("X").build(), ContactBuilder().representativeCpf("X").build(), entity().name("").build(),
        EntityBuilder::type4J(3).name("").build(), levy().cnpj("X").build(), TrailerBuilder(1999).build()};
    for (const std::string& record : records) {
        SCOPED_TRACE(record.substr(0, 9));
        ValidatorBench bench;
        bench.state.cancel.set = true;
        EXPECT_FALSE(bench.validate(record, lineOf(record)));
        EXPECT_TRUE(bench.log.rows.empty());
        EXPECT_EQ(bench.state.count3 + bench.state.count4 + bench.state.count5, 0);
    }
    // "Cancelar" pressed while the header's errors are written: the checks after the next cancel point are skipped.
    ValidatorBench duringName;
    duringName.log.onWrite = [&] { duringName.state.cancel.set = true; };
    EXPECT_FALSE(duringName.validate(header().name("").put(130, "X").build(), 1));
    EXPECT_EQ(findings(duringName.log), (std::vector<Finding>{{1, 92, 57, 116}}));
}

// What the header leaves for the records after it, even when wrong.
TEST(RecordValidators, TheHeaderKeepsItsDataForLaterRecords) {
    ValidatorBench bench;
    bench.state.recordNumber = 7;
    bench.state.declarationType = "0";
    EXPECT_TRUE(bench.validate(header().type("1").year("20A3").periodEnd("30112023").build(), 0));
    EXPECT_EQ(bench.state.recordNumber, 1);
    EXPECT_EQ(bench.state.declarationYear + bench.state.declarationType, "20A31");
    // An unknown type leaves the last known one; the period's end error carries the year.
    EXPECT_TRUE(bench.validate(header().type("7").periodEnd("30112023").build(), 1));
    EXPECT_EQ(bench.state.declarationType, "1");
    EXPECT_EQ(bench.log.rows.back().complement, std::optional<std::string>("2023 p/ Sit Especial 00"));
}

// A non-numeric amount adds nothing but its record counts; only records with both amounts zero are counted apart.
TEST(RecordValidators, NonNumericAndZeroAmounts) {
    ValidatorBench bench;
    bench.validate(LevyBuilder(3, 0).baseAmount(150).levyAmount(7).build(), 3);
    bench.validate(LevyBuilder(4, 1).baseAmount("00000000000000 99").levyAmount(3).build(), 4);
    bench.validate(LevyBuilder(5, 2).baseAmount(0).levyAmount(0).build(), 5);
    bench.validate(LevyBuilder(6, 3).baseAmount(0).levyAmount(1).build(), 6);
    bench.validate(LevyBuilder(7, 4).baseAmount(1).levyAmount(0).build(), 7);
    bench.validate(LevyBuilder(8, 5).baseAmount(0).levyAmount("0000000000000000 ").build(), 8);
    EXPECT_EQ(bench.state.baseTotal.toDigits(3) + bench.state.levyTotal.toDigits(2), "15111");
    EXPECT_EQ(bench.state.count5, 6);
    EXPECT_EQ(bench.state.zeroAmountCount, 1);
}

// An error row that cannot be written: the header and type 5 offer the write again, the others report it once
// and stop the import.
TEST(RecordValidators, AnErrorRowThatCannotBeWritten) {
    const std::string locked = faultMessage(Fault(3046));
    const std::string retry = "Erro na leitura do arquivo.\n" + locked + "\nTenta novamente ?";
    const std::string badHeader = header().uf("XX").put(130, "X").build();
    struct WriteFaultCase {
        std::string record;
        std::vector<Answer> answers;  // none: the fault is only reported
        std::vector<Finding> expected;
        std::string text;
    };
    const std::vector<WriteFaultCase> cases = {
        {badHeader, {Answer::Yes, Answer::Yes}, {{1, 40, 55, 56}, {1, 9, 124, 142}}, retry},
        {badHeader, {Answer::No}, {}, retry},
        {levy().cnpj("X").build(), {Answer::Yes}, {{3, 2, 10, 23}},
         "Erro na leitura do arquivo.\n(" + locked + ")\nTenta novamente ?"},
        {ContactBuilder().representativeAreaCode("0000").build(), {}, {}, "Erro na leitura do arquivo.\n(3046)"},
        {TrailerBuilder(2022).build(), {}, {}, "Erro na leitura do arquivo.\n(3046) "},
    };
    for (const WriteFaultCase& c : cases) {
        SCOPED_TRACE(c.text);
        ValidatorBench bench;
        const std::size_t prompts = std::max<std::size_t>(1, c.answers.size());
        bench.log.failuresLeft = static_cast<int>(prompts);
        bench.prompts.answers.assign(c.answers.begin(), c.answers.end());
        EXPECT_EQ(bench.validate(c.record, lineOf(c.record)), !c.expected.empty());
        EXPECT_EQ(findings(bench.log), c.expected);
        EXPECT_EQ(bench.prompts.texts(), std::vector<std::string>(prompts, c.text));
        EXPECT_EQ(bench.prompts.shown[0].buttons, c.answers.empty() ? Buttons::Ok : Buttons::YesNo);
        EXPECT_TRUE(!c.expected.empty() || bench.log.attempts == 1);
    }
}

}  // namespace
}  // namespace kova
