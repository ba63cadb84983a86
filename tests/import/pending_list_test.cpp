#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/memory_error_log.h"
#include "import/pending_list.h"
#include "support/recording_import_events.h"
#include "support/printed_name.h"

namespace kova {
namespace {

using testing_support::RecordingImportEvents;

const std::string kUnderscores(90, '_');
const std::string kEquals(90, '=');

std::string repeat(const std::string& text, int times) {
    std::string out;
    for (int i = 0; i < times; ++i) out += text;
    return out;
}

std::size_t characters(const std::string& utf8) {
    std::size_t n = 0;
    for (unsigned char c : utf8) n += (c & 0xC0) != 0x80;
    return n;
}

// A log whose texts are chosen by the test.
class TextLog : public MemoryErrorLog {
public:
    void add(ErrorListing listing) { listings.push_back(std::move(listing)); }
    std::int64_t rowCount() override { return static_cast<std::int64_t>(listings.size()); }
    void listErrors(const std::function<bool(const ErrorListing&)>& visit) override {
        for (const auto& l : listings)
            if (!visit(l)) return;
    }
    std::vector<ErrorListing> listings;
};

ErrorListing row(std::string description, std::string complement = "", std::string recordType = "1", std::int64_t recordNumber = 1,
                 std::string firstColumn = "0010", std::string lastColumn = "0023") {
    ErrorListing l;
    l.description = std::move(description);
    l.complement = std::move(complement);
    l.recordType = std::move(recordType);
    l.recordNumber = recordNumber;
    l.firstColumn = std::move(firstColumn);
    l.lastColumn = std::move(lastColumn);
    return l;
}

TEST(PendingList, HeadingIsEightyNineCharacters) {
    const std::string h = pendingHeading();
    EXPECT_EQ(characters(h), 89u);
    EXPECT_EQ(h, "MENSAGEM DE ERRO" + std::string(37, ' ') + "TIPO   NºREG  POS.INICIAL  POS.FINAL");
}

TEST(PendingList, ErrorLineColumns) {
    const std::string line = pendingLine(row("CNPJ inválido.", "", "3", 42, "0011", "0024"));
    EXPECT_EQ(line, "CNPJ inválido." + std::string(41, ' ') + "3" + "    " + "00042" + "     " + "0011" +
                        std::string(9, ' ') + "0024");
    EXPECT_EQ(characters(line), 87u);
}

struct MessageCase {
    const char* name;
    std::string description;
    std::string complement;
    std::string expected;
};

class PendingMessage : public ::testing::TestWithParam<MessageCase> {};

TEST_P(PendingMessage, CutsByCharacters) {
    const MessageCase& c = GetParam();
    const std::string line = pendingLine(row(c.description, c.complement));
    EXPECT_EQ(line.substr(0, c.expected.size()), c.expected);
    // The message column is 55 characters whatever the accents.
    EXPECT_EQ(characters(line), 87u);
    EXPECT_EQ(line.substr(c.expected.size(), 55 - characters(c.expected)),
              std::string(55 - characters(c.expected), ' '));
}

INSTANTIATE_TEST_SUITE_P(
    Rule, PendingMessage,
    ::testing::Values(
        // Without complement: 53 characters of the text, trimmed.
        MessageCase{"plain", "  Texto curto  ", "", "Texto curto"},
        MessageCase{"long", std::string(60, 'x'), "", std::string(53, 'x')},
        MessageCase{"accentsCountOnce", std::string(50, 'a') + "ççççç", "", std::string(50, 'a') + "ççç"},
        // With complement: 30 of the text, trimmed, then 23 of the complement, trimmed.
        MessageCase{"complement", "Período final deve ser                  ", " 2025 p/ Sit Especial 00 e mais",
                    "Período final deve ser2025 p/ Sit Especial 0"},
        MessageCase{"accentedText", "ÇÃÕÉÍ" + std::string(40, 'b'), repeat("é", 30),
                    "ÇÃÕÉÍ" + std::string(25, 'b') + repeat("é", 23)},
        // A complement of blanks is not empty: the short cut applies and the complement trims away.
        MessageCase{"blankComplement", std::string(40, 'c'), "   ", std::string(30, 'c')}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(PendingList, ReadFailureRowShowsBlankTypeAndZeros) {
    const std::string line = pendingLine(row("Erro na leitura", "", "0", 0, "0000", "0000"));
    EXPECT_EQ(line.substr(line.size() - 32), " " + std::string(4, ' ') + "00000" + "     " + "0000" +
                                                 std::string(9, ' ') + "0000");
}

TEST(PendingList, OneErrorExactLines) {
    TextLog log;
    log.add(row("Sigla da UF inválida.", "", "1", 1, "0055", "0056"));
    RecordingImportEvents view;
    listPending(log, view);
    const std::vector<std::string> expected = {
        pendingHeading(),
        " ",
        pendingLine(log.listings[0]),
        kUnderscores,
        " ",
        "Foi encontrado 1 erro. Foi impossível gerar a declaração.",
        kEquals,
    };
    EXPECT_EQ(view.pending, expected);
    EXPECT_EQ(view.errorCount, 1);
}

TEST(PendingList, EmptyLogChangesNothing) {
    TextLog log;
    RecordingImportEvents view;
    listPending(log, view);
    EXPECT_TRUE(view.pending.empty());
    EXPECT_EQ(view.errorCount, -1);
}

struct BlockCase {
    int rows;
    std::vector<int> blockSizes;
};
void PrintTo(const BlockCase& c, std::ostream* os) { *os << c.rows << " rows"; }

class PendingBlocks : public ::testing::TestWithParam<BlockCase> {};

TEST_P(PendingBlocks, AtMostSeventySevenLinesUnderEachHeading) {
    TextLog log;
    for (int i = 1; i <= GetParam().rows; ++i) log.add(row("Erro", "", "5", i));
    RecordingImportEvents view;
    listPending(log, view);

    // Walk the lines: heading, blank, N error lines, underscores, and a blank between blocks.
    std::vector<int> sizes;
    std::size_t i = 0;
    int nextRecord = 1;
    while (i < view.pending.size() && view.pending[i] == pendingHeading()) {
        ASSERT_EQ(view.pending[i + 1], " ");
        i += 2;
        int n = 0;
        while (view.pending[i] != kUnderscores) {
            ASSERT_EQ(view.pending[i], pendingLine(row("Erro", "", "5", nextRecord++)));
            ++n;
            ++i;
        }
        sizes.push_back(n);
        ++i;
        ASSERT_EQ(view.pending[i], " ");
        ++i;
    }
    EXPECT_EQ(sizes, GetParam().blockSizes);
    ASSERT_EQ(view.pending.size(), i + 2);
    EXPECT_EQ(view.pending[i], "Foram encontrados " + std::to_string(GetParam().rows) +
                                   " erros. Foi impossível gerar a declaração.");
    EXPECT_EQ(view.pending[i + 1], kEquals);
}

INSTANTIATE_TEST_SUITE_P(Sizes, PendingBlocks,
                         ::testing::Values(BlockCase{2, {2}}, BlockCase{77, {77}}, BlockCase{78, {77, 1}},
                                           BlockCase{155, {77, 77, 1}}),
    kova::testing_support::PrintedName());

TEST(PendingList, NoThousandsSeparatorInTheCountLine) {
    TextLog log;
    for (int i = 1; i <= 1234; ++i) log.add(row("Erro", "", "5", i));
    RecordingImportEvents view;
    listPending(log, view);
    EXPECT_EQ(view.errorCount, 1234);
    EXPECT_EQ(view.pending[view.pending.size() - 2], "Foram encontrados 1234 erros. Foi impossível gerar a declaração.");
}

}  // namespace
}  // namespace kova
