#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "core/memory_error_log.h"
#include "import/import_state.h"
#include "import/record_validators.h"
#include "import/validation_fakes.h"
#include "support/declaration_builder.h"

namespace kova {
namespace {

using namespace kova::fixtures;
using namespace kova::validation_tests;

std::string H() { return HeaderBuilder().build(); }
std::string C() { return ContactBuilder().build(); }
std::string E3(std::size_t line, std::size_t n = 0) { return EntityBuilder::type3(line, n).build(); }
std::string F4(std::size_t line, std::size_t n = 0) { return EntityBuilder::type4F(line, n).build(); }
std::string J4(std::size_t line, std::size_t n = 0) { return EntityBuilder::type4J(line, n).build(); }
std::string L5(std::size_t line, std::size_t k = 0) { return LevyBuilder(line, k).build(); }
std::string T() { return TrailerBuilder().build(); }

std::string fileOf(const std::vector<std::string>& records, bool finalCrLf = true) {
    std::string file;
    for (std::size_t i = 0; i < records.size(); ++i) {
        file += records[i];
        if (i + 1 < records.size() || finalCrLf) file += "\r\n";
    }
    return file;
}

class StructureCheckTest : public ::testing::Test {
protected:
    bool check(const std::string& bytes, std::set<int> failingReads = {}) {
        auto source = std::make_unique<MemorySource>(bytes);
        source->failingReads = std::move(failingReads);
        reader_ = std::make_unique<RecordReader>(std::move(source));
        return checkStructure(*reader_, state, log, prompts, progress);
    }

    ImportState state;
    FaultyErrorLog log;
    RecordingPrompts prompts;
    RecordingProgress progress{&state.cancel};
    std::unique_ptr<RecordReader> reader_;
};

// --- The shape of a file, record by record ------------------------------------------------------------------

struct Row {
    std::string recordType;
    std::int64_t recordNumber;
    int code;
    std::string firstColumn;
    std::string lastColumn;
    bool operator==(const Row&) const = default;
};

void PrintTo(const Row& r, std::ostream* os) {
    *os << "type '" << r.recordType << "' record " << r.recordNumber << " error " << r.code << " (" << r.firstColumn << "-"
        << r.lastColumn << ")";
}

struct ShapeCase {
    const char* name;
    std::vector<std::string> records;
    std::vector<Row> expected;  // empty: the file passes
    bool finalCrLf = true;
};

void PrintTo(const ShapeCase& c, std::ostream* os) { *os << c.name; }

std::string withByteAt(std::string record, std::size_t position, char byte) {
    record[position - 1] = byte;
    return record;
}

std::string withInsertedByte(std::string record, std::size_t position, char byte) {
    record.insert(position - 1, 1, byte);
    return record;
}

const std::vector<ShapeCase>& shapeCases() {
    static const std::vector<ShapeCase> cases = {
        {"MinimalDeclaration", {H(), C(), L5(3), T()}, {}},
        {"EveryTypeInOrder", {H(), C(), E3(3), E3(4, 1), F4(5), J4(6), L5(7), L5(8, 1), T()}, {}},
        {"Type5RightAfterType3", {H(), C(), E3(3), L5(4), T()}, {}},
        {"TrailerWithAnotherCharacterInColumn9",
         {H(), C(), L5(3), TrailerBuilder().put(9, "1").build()}, {}},
        {"FirstRecordOfType2", {C(), H(), L5(3), T()}, {{"2", 1, 96, "0009", "0009"}}},
        {"WrongFileNameReportedOverColumns10To15",
         {HeaderBuilder().fileTag("KOVALDX").build(), C(), L5(3), T()}, {{"1", 1, 7, "0010", "0015"}}},
        {"Record141Characters",
         {H(), ContactBuilder().resize(141).build(), L5(3), T()}, {{"2", 2, 5, "0001", "0142"}}},
        {"Record143Characters",
         {H(), C(), LevyBuilder(3).resize(143).build(), T()}, {{"5", 3, 5, "0001", "0142"}}},
        {"UnknownType9", {H(), C(), LevyBuilder(3).recordType("9").build(), T()},
         {{"9", 3, 69, "0001", "0142"}}},
        {"UnknownTypeBlank", {H(), C(), LevyBuilder(3).recordType(" ").build(), T()},
         {{" ", 3, 69, "0001", "0142"}}},
        {"UnknownTypeAccentedLetterShownAsUtf8", {H(), C(), LevyBuilder(3).recordType("\xC7").build(), T()},
         {{"\xC3\x87", 3, 69, "0001", "0142"}}},
        {"UnknownTypeNulByteShownAsBlank", {H(), C(), withByteAt(L5(3), 9, '\0'), T()},
         {{" ", 3, 69, "0001", "0142"}}},
        {"EmptyLineShownWithBlankType", {H(), C(), "", L5(4), T()}, {{" ", 3, 69, "0001", "0142"}}},
        {"SecondHeader", {H(), C(), H(), L5(4), T()}, {{"1", 3, 1, "0001", "0142"}}},
        {"SecondContactRecord", {H(), C(), C(), L5(4), T()}, {{"2", 3, 1, "0001", "0142"}}},
        {"ContactRecordAfterType3", {H(), E3(2), C(), T()}, {{"2", 3, 1, "0001", "0142"}}},
        {"Type3AfterType4", {H(), C(), J4(3), E3(4), T()}, {{"3", 4, 1, "0001", "0142"}}},
        {"Type4AfterType5", {H(), C(), L5(3), J4(4), T()}, {{"4", 4, 1, "0001", "0142"}}},
        {"SecondTrailer", {H(), C(), L5(3), T(), T()}, {{"T", 5, 3, "0001", "0142"}}},
        {"RecordAfterTrailer", {H(), C(), L5(3), T(), L5(5, 1)}, {{"5", 5, 1, "0001", "0142"}}},
        {"Column9TWithoutColumn1TIsTakenAsTheTrailer",
         {H(), C(), L5(3), LevyBuilder(4, 1).recordType("T").build()}, {}},
        {"MissingContactRecord", {H(), L5(2), T()}, {{"T", 3, 34, "0009", "0009"}}},
        {"NoDetailRecord", {H(), C(), T()}, {{"T", 3, 43, "0009", "0009"}}},
        {"NoTrailer", {H(), C(), L5(3)}, {{"5", 3, 37, "0001", "0142"}}},
        {"OnlyHeaderAndTrailer", {H(), T()}, {{"T", 2, 34, "0009", "0009"}, {"T", 2, 43, "0009", "0009"}}},
        {"OnlyHeader",
         {H()},
         {{"1", 1, 34, "0009", "0009"}, {"1", 1, 43, "0009", "0009"}, {"1", 1, 37, "0001", "0142"}}},
        // Bytes inside a record: only CR LF ends a record; a lone CR or LF is one more byte of it.
        {"LoneCrMakesTheRecordTooLong", {H(), withInsertedByte(C(), 70, '\r'), L5(3), T()},
         {{"2", 2, 5, "0001", "0142"}}},
        {"LoneLfMakesTheRecordTooLong", {H(), C(), withInsertedByte(L5(3), 100, '\n'), T()},
         {{"5", 3, 5, "0001", "0142"}}},
        {"LoneCrInPlaceOfAByteKeepsTheLength", {H(), C(), withByteAt(L5(3), 100, '\r'), T()}, {}},
        {"FullTrailerWithoutCrLfPasses", {H(), C(), L5(3), T()}, {}, false},
        {"TruncatedTrailerWithoutCrLf",
         {H(), C(), L5(3), TrailerBuilder().resize(100).build()}, {{"T", 4, 5, "0001", "0142"}}, false},
    };
    return cases;
}

class StructureShape : public StructureCheckTest, public ::testing::WithParamInterface<ShapeCase> {};

TEST_P(StructureShape, RecordsExactlyTheExpectedRows) {
    const ShapeCase& c = GetParam();
    const bool ok = check(fileOf(c.records, c.finalCrLf));

    std::vector<Row> rows;
    for (const auto& r : log.rows) rows.push_back({r.recordType, r.recordNumber, r.code, r.firstColumn, r.lastColumn});
    EXPECT_EQ(rows, c.expected);
    EXPECT_EQ(ok, c.expected.empty());
    EXPECT_TRUE(prompts.shown.empty());
}

INSTANTIATE_TEST_SUITE_P(Files, StructureShape, ::testing::ValuesIn(shapeCases()),
                         [](const auto& info) { return std::string(info.param.name); });

// --- The first record's end, before any row -----------------------------------------------------------------

struct RefusalCase {
    const char* name;
    std::string bytes;
    const char* message;
};

const char* const kSizeMessage =
    "O tamanho do primeiro registro está incorreto. A declaração não pode ser importada.";
const char* const kEndMessage = "Caracter de final do primeiro registro inexistente ou em posição incorreta.";

void PrintTo(const RefusalCase& c, std::ostream* os) { *os << c.name; }

class StructureRefusal : public StructureCheckTest, public ::testing::WithParamInterface<RefusalCase> {};

TEST_P(StructureRefusal, ShowsTheMessageAndRecordsNothing) {
    const RefusalCase& c = GetParam();
    EXPECT_FALSE(check(c.bytes));
    EXPECT_TRUE(log.rows.empty());
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].text, c.message);
    EXPECT_EQ(prompts.shown[0].title, "Crítica de Estrutura");
    EXPECT_EQ(prompts.shown[0].icon, Icon::Critical);
    EXPECT_EQ(prompts.shown[0].buttons, Buttons::Ok);
}

INSTANTIATE_TEST_SUITE_P(
    FirstRecord, StructureRefusal,
    ::testing::Values(
        RefusalCase{"EmptyFile", "", kSizeMessage},
        RefusalCase{"HeaderWithoutCrLf", H(), kSizeMessage},
        RefusalCase{"HeaderWithCrOnly143Bytes", H() + "\r", kSizeMessage},
        RefusalCase{"HeaderEndedByLfAlone", H() + "\n" + C() + "\r\n", kEndMessage},
        RefusalCase{"HeaderEndedByCrAlone", H() + "\r" + C() + "\r\n", kEndMessage},
        RefusalCase{"HeaderEndedByLfCr", H() + "\n\r" + C() + "\r\n", kEndMessage},
        RefusalCase{"FirstRecordOf141Characters", fileOf({HeaderBuilder().resize(141).build(), C(), L5(3), T()}),
                    kEndMessage},
        RefusalCase{"FirstRecordOf143Characters", fileOf({HeaderBuilder().resize(143).build(), C(), L5(3), T()}),
                    kEndMessage}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(StructureCheckTest, ACleanDeclarationOfEveryTypePasses) {
    EXPECT_TRUE(check(cleanDeclaration(5, 6, 40)));
    EXPECT_TRUE(log.rows.empty());
    EXPECT_EQ(state.recordNumber, 3 + 5 + 6 + 40);
}

// --- Declarant, progress and cancel -------------------------------------------------------------------------

TEST_F(StructureCheckTest, ErrorRowsCarryTheDeclarantOfTheHeaderInUtf8) {
    const std::string name = "CONFEC\xC7\xD5" "ES ALFA";
    const std::string header = HeaderBuilder().name(name).build();
    EXPECT_FALSE(check(fileOf({header, C(), T()})));

    EXPECT_EQ(state.declarantCnpj, declarantCnpj());
    EXPECT_EQ(state.declarantName.size(), 60u);
    ASSERT_EQ(log.rows.size(), 1u);
    EXPECT_EQ(log.rows[0].cnpj, declarantCnpj());
    std::string expectedName = "CONFEC\xC3\x87\xC3\x95" "ES ALFA";
    expectedName.resize(expectedName.size() + 60 - name.size(), ' ');
    EXPECT_EQ(log.rows[0].name, expectedName);
}

TEST_F(StructureCheckTest, AnUnknownFirstTypeCarriesTheDeclarantKeptBefore) {
    state.declarantCnpj = "11111111111111";
    state.declarantName = "ANTERIOR";
    EXPECT_FALSE(check(fileOf({HeaderBuilder().recordType("9").build(), C(), L5(3), T()})));
    ASSERT_EQ(log.rows.size(), 1u);
    EXPECT_EQ(log.rows[0].code, 69);
    EXPECT_EQ(log.rows[0].cnpj, "11111111111111");
    EXPECT_EQ(log.rows[0].name, "ANTERIOR");
}

TEST_F(StructureCheckTest, ProgressClimbsToTheEndAndPumpsAfterEveryRecord) {
    EXPECT_TRUE(check(fileOf({H(), C(), E3(3), L5(4), L5(5, 1), T()})));
    EXPECT_EQ(progress.pumps, 6);
    ASSERT_FALSE(progress.percents.empty());
    EXPECT_EQ(progress.percents.front(), 0);
    EXPECT_EQ(progress.percents.back(), 100);
    EXPECT_TRUE(std::is_sorted(progress.percents.begin(), progress.percents.end()));
    EXPECT_EQ(state.recordNumber, 6);
}

TEST_F(StructureCheckTest, ProgressOfALastRecordWithoutCrLfStopsAt100) {
    EXPECT_TRUE(check(fileOf({H(), C(), L5(3), T()}, false)));
    EXPECT_EQ(progress.percents.back(), 100);
    EXPECT_LE(*std::max_element(progress.percents.begin(), progress.percents.end()), 100);
}

TEST_F(StructureCheckTest, CancelStopsAtTheNextRecordWithoutARow) {
    progress = RecordingProgress(&state.cancel, 2);
    // The file would have an order error at record 4: the cancel comes first.
    EXPECT_FALSE(check(fileOf({H(), C(), L5(3), E3(4), T()})));
    EXPECT_TRUE(log.rows.empty());
    EXPECT_EQ(state.recordNumber, 2);
}

TEST_F(StructureCheckTest, CancelAfterTheLastRecordSkipsTheEndOfFileChecks) {
    progress = RecordingProgress(&state.cancel, 2);
    EXPECT_FALSE(check(fileOf({H(), C()})));
    EXPECT_TRUE(log.rows.empty());
}

TEST_F(StructureCheckTest, SeenFlagsRecordTheTypesMet) {
    EXPECT_TRUE(check(fileOf({H(), C(), J4(3), T()})));
    EXPECT_TRUE(state.seen1 && state.seen2 && state.seen4 && state.seenT);
    EXPECT_FALSE(state.seen3 || state.seen5);
}

TEST_F(StructureCheckTest, FailsWhenTheLogAlreadyHeldRows) {
    log.recordError("1", 1, "0001", "0008", 2, "", "");
    EXPECT_FALSE(check(fileOf({H(), C(), L5(3), T()})));
}

// --- Run-time faults ----------------------------------------------------------------------------------------

// Makes reader faults happen on chosen read calls: 1 and 2 read bytes 143 and 144, 3 the first block.
TEST_F(StructureCheckTest, AReadFaultRetriedWithYesGivesTheSameOutcome) {
    prompts.answers = {Answer::Yes, Answer::Yes};
    EXPECT_FALSE(check(fileOf({H(), C(), L5(3), E3(4), T()}), {1, 4}));
    ASSERT_EQ(prompts.shown.size(), 2u);
    for (const auto& m : prompts.shown) {
        EXPECT_EQ(m.title, "Crítica de Estrutura");
        EXPECT_EQ(m.text, "Erro na leitura do arquivo.\nErro: 57\nErro em Dispositivo E/S.\nTenta novamente ?");
        EXPECT_EQ(m.icon, Icon::Question);
        EXPECT_EQ(m.buttons, Buttons::YesNo);
    }
    ASSERT_EQ(log.rows.size(), 1u);
    EXPECT_EQ(log.rows[0].code, 1);
    EXPECT_EQ(log.rows[0].recordNumber, 4);
}

TEST_F(StructureCheckTest, AReadFaultAnsweredNoRecordsError18WithoutRecordOrDeclarant) {
    prompts.answers = {Answer::No};
    EXPECT_FALSE(check(fileOf({H(), C(), L5(3), T()}), {3}));
    ASSERT_EQ(log.rows.size(), 1u);
    const auto& r = log.rows[0];
    EXPECT_EQ(r.recordType, "0");
    EXPECT_EQ(r.recordNumber, 0);
    EXPECT_EQ(r.firstColumn, "0000");
    EXPECT_EQ(r.lastColumn, "0000");
    EXPECT_EQ(r.code, 18);
    EXPECT_EQ(r.cnpj, "00000000000000");
    EXPECT_EQ(r.name, std::string(40, ' '));
    EXPECT_FALSE(r.complement.has_value());
}

TEST_F(StructureCheckTest, AFailingErrorWriteIsOfferedAgain) {
    log.failuresLeft = 1;
    prompts.answers = {Answer::Yes};
    EXPECT_FALSE(check(fileOf({H(), C(), T()})));
    EXPECT_EQ(prompts.shown.size(), 1u);
    ASSERT_EQ(log.rows.size(), 1u);
    EXPECT_EQ(log.rows[0].code, 43);
}

TEST_F(StructureCheckTest, AFailingErrorWriteAnsweredNoEndsWithError18) {
    log.failuresLeft = 1;
    prompts.answers = {Answer::No};
    EXPECT_FALSE(check(fileOf({H(), C(), T(), T()})));
    ASSERT_EQ(log.rows.size(), 1u);
    EXPECT_EQ(log.rows[0].code, 18);
}

TEST_F(StructureCheckTest, ALogThatKeepsFailingStillEndsWithFalse) {
    log.failuresLeft = 1000;
    prompts.answers = {Answer::No};
    EXPECT_FALSE(check(fileOf({H(), C(), T()})));
    EXPECT_TRUE(log.rows.empty());
}

}  // namespace
}  // namespace kova
