#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "import/import_fakes.h"
#include "support/declaration_builder.h"
#include "support/recording_import_events.h"

namespace kova {
namespace {

using namespace kova::fixtures;
using namespace kova::import_tests;

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

struct Bench {
    bool check(const std::string& bytes, std::set<int> failingReads = {}) {
        auto source = std::make_unique<MemorySource>(bytes);
        source->failingReads = std::move(failingReads);
        reader = std::make_unique<RecordReader>(std::move(source));
        return checkStructure(*reader, state, log, prompts, progress);
    }

    ImportState state;
    FaultyErrorLog log;
    RecordingPrompts prompts;
    testing_support::RecordingImportEvents progress;
    std::unique_ptr<RecordReader> reader;
};

// One row as "type record code first-last".
std::vector<std::string> rowsOf(const MemoryErrorLog& log) {
    std::vector<std::string> rows;
    for (const auto& r : log.rows) {
        rows.push_back(r.recordType + " " + std::to_string(r.recordNumber) + " " + std::to_string(r.code) + " " +
                       r.firstColumn + "-" + r.lastColumn);
    }
    return rows;
}

// The shape of a file, record by record: exactly the expected rows, and no message.
TEST(StructureCheck, RecordsTheRowsOfEachShape) {
    struct ShapeCase {
        const char* name;
        std::vector<std::string> records;
        std::vector<std::string> expected;  // empty: the file passes
        bool finalCrLf = true;
    };
    const std::vector<ShapeCase> cases = {
        {"every type in order", {H(), C(), E3(3), E3(4, 1), F4(5), J4(6), L5(7), L5(8, 1), T()}, {}},
        {"first record of type 2", {C(), H(), L5(3), T()}, {"2 1 96 0009-0009"}},
        {"wrong file name", {HeaderBuilder().fileTag("KOVALDX").build(), C(), L5(3), T()}, {"1 1 7 0010-0015"}},
        {"record of 141", {H(), ContactBuilder().resize(141).build(), L5(3), T()}, {"2 2 5 0001-0142"}},
        {"unknown accented type shown in UTF-8", {H(), C(), LevyBuilder(3).recordType("\xC7").build(), T()},
         {"\xC3\x87 3 69 0001-0142"}},
        {"empty line", {H(), C(), "", L5(4), T()}, {"  3 69 0001-0142"}},
        {"type 3 after type 4", {H(), C(), J4(3), E3(4), T()}, {"3 4 1 0001-0142"}},
        {"second trailer", {H(), C(), L5(3), T(), T()}, {"T 5 3 0001-0142"}},
        {"column 9 T without column 1 T is the trailer", {H(), C(), L5(3), LevyBuilder(4, 1).recordType("T").build()},
         {}},
        {"missing contacts", {H(), L5(2), T()}, {"T 3 34 0009-0009"}},
        {"only the header", {H()}, {"1 1 34 0009-0009", "1 1 43 0009-0009", "1 1 37 0001-0142"}},
        {"short trailer without CR LF", {H(), C(), L5(3), TrailerBuilder().resize(100).build()},
         {"T 4 5 0001-0142"}, false},
    };
    for (const ShapeCase& c : cases) {
        SCOPED_TRACE(c.name);
        Bench bench;
        EXPECT_EQ(bench.check(fileOf(c.records, c.finalCrLf)), c.expected.empty());
        EXPECT_EQ(rowsOf(bench.log), c.expected);
        EXPECT_TRUE(bench.prompts.shown.empty());
    }
}

// A first record that does not end at column 143 is refused with a message, before any row.
TEST(StructureCheck, RefusesAWrongFirstRecord) {
    const std::vector<std::pair<std::string, const char*>> cases = {
        {H(), "O tamanho do primeiro registro está incorreto. A declaração não pode ser importada."},
        {H() + "\n" + C() + "\r\n", "Caracter de final do primeiro registro inexistente ou em posição incorreta."},
    };
    for (const auto& [bytes, message] : cases) {
        SCOPED_TRACE(bytes.size());
        Bench bench;
        EXPECT_FALSE(bench.check(bytes));
        EXPECT_TRUE(bench.log.rows.empty());
        EXPECT_EQ(bench.prompts.texts(), std::vector<std::string>{message});
    }
}

TEST(StructureCheck, ACleanDeclarationPassesWithItsProgress) {
    Bench bench;
    EXPECT_TRUE(bench.check(cleanDeclaration(5, 0, 40)));
    EXPECT_TRUE(bench.log.rows.empty());
    EXPECT_EQ(bench.state.recordNumber, 3 + 5 + 40);
    EXPECT_EQ(bench.progress.percent, 100);
    // A log that already held rows fails the check.
    Bench holding;
    holding.log.recordError("1", 1, "0001", "0008", 2, "", "");
    EXPECT_FALSE(holding.check(fileOf({H(), C(), L5(3), T()})));
}

// Rows carry the header's declarant, its name in UTF-8, or, with no header first, the one kept before.
TEST(StructureCheck, RowsCarryTheDeclarantOfTheHeaderOrTheOneKeptBefore) {
    Bench bench;
    EXPECT_FALSE(bench.check(fileOf({HeaderBuilder().name("CONFEC\xC7\xD5" "ES").build(), C(), T()})));
    EXPECT_EQ(bench.log.rows.at(0).name, "CONFEC\xC3\x87\xC3\x95" "ES" + std::string(50, ' '));
    Bench unknownFirst;
    unknownFirst.state.declarantCnpj = "11111111111111";
    unknownFirst.state.declarantName = "ANTERIOR";
    EXPECT_FALSE(unknownFirst.check(fileOf({HeaderBuilder().recordType("9").build(), C(), L5(3), T()})));
    EXPECT_EQ(rowsOf(unknownFirst.log).size(), 1u);
    EXPECT_EQ(unknownFirst.log.rows.at(0).cnpj + unknownFirst.log.rows.at(0).name, "11111111111111ANTERIOR");
}

// "Cancelar" stops at the next record, before the order error of record 4 or the end-of-file checks.
TEST(StructureCheck, CancelStopsWithoutARow) {
    for (const std::string& file : {fileOf({H(), C(), L5(3), E3(4), T()}), fileOf({H(), C()})}) {
        Bench bench;
        bench.progress.onPump = [&] { bench.state.cancel.set = bench.progress.pumps == 2; };
        EXPECT_FALSE(bench.check(file));
        EXPECT_TRUE(bench.log.rows.empty());
        EXPECT_EQ(bench.state.recordNumber, 2);
    }
}

// Reads 1 and 2 read bytes 143 and 144, 3 the first block.
TEST(StructureCheck, AReadFaultIsOfferedAgainOrEndsWithError18) {
    Bench retried;
    retried.prompts.answers = {Answer::Yes, Answer::Yes};
    EXPECT_FALSE(retried.check(fileOf({H(), C(), L5(3), E3(4), T()}), {1, 4}));
    ASSERT_EQ(retried.prompts.shown.size(), 2u);
    EXPECT_EQ(retried.prompts.shown[1].text,
              "Erro na leitura do arquivo.\nErro: 57\nErro em Dispositivo E/S.\nTenta novamente ?");
    EXPECT_EQ(rowsOf(retried.log), (std::vector<std::string>{"3 4 1 0001-0142"}));

    // Answered No: a row without record or declarant.
    Bench abandoned;
    EXPECT_FALSE(abandoned.check(fileOf({H(), C(), L5(3), T()}), {3}));
    EXPECT_EQ(rowsOf(abandoned.log), (std::vector<std::string>{"0 0 18 0000-0000"}));
    EXPECT_EQ(abandoned.log.rows[0].cnpj, "00000000000000");
}

// Answered No, the row that could not be written becomes error 18; when even that fails, nothing is written.
TEST(StructureCheck, AFailingErrorWriteIsOfferedAgainOrEndsWithError18) {
    const std::vector<std::tuple<int, std::vector<Answer>, std::vector<std::string>>> cases = {
        {1, {Answer::Yes}, {"T 3 43 0009-0009"}}, {1, {}, {"0 0 18 0000-0000"}}, {1000, {}, {}}};
    for (const auto& [failures, answers, expected] : cases) {
        Bench bench;
        bench.log.failuresLeft = failures;
        bench.prompts.answers.assign(answers.begin(), answers.end());
        EXPECT_FALSE(bench.check(fileOf({H(), C(), T()})));
        EXPECT_EQ(rowsOf(bench.log), expected);
    }
}

}  // namespace
}  // namespace kova
