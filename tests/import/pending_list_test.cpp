#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "core/memory_error_log.h"
#include "import/pending_list.h"
#include "support/recording_import_events.h"

namespace kova {
namespace {

const std::string kUnderscores(90, '_');
const std::string kEquals(90, '=');

std::size_t characters(const std::string& utf8) {
    std::size_t n = 0;
    for (unsigned char c : utf8) n += (c & 0xC0) != 0x80;
    return n;
}

// A log whose texts are chosen by the test.
class TextLog : public MemoryErrorLog {
public:
    std::int64_t rowCount() override { return static_cast<std::int64_t>(listings.size()); }
    void listErrors(const std::function<bool(const ErrorListing&)>& visit) override {
        for (const auto& l : listings)
            if (!visit(l)) return;
    }
    std::vector<ErrorListing> listings;
};

ErrorListing row(std::string description, std::string complement = "", std::int64_t recordNumber = 1) {
    return {std::move(description), std::move(complement), "5", recordNumber, "0010", "0023", 0, "", "", ""};
}

std::vector<std::string> listingOf(TextLog& log) {
    testing_support::RecordingImportEvents view;
    listPending(log, view);
    EXPECT_EQ(view.errorCount, static_cast<std::int64_t>(log.listings.size()));
    return view.pending;
}

TEST(PendingList, HeadingAndColumnsOfALine) {
    EXPECT_EQ(pendingHeading(), "MENSAGEM DE ERRO" + std::string(37, ' ') + "TIPO   NºREG  POS.INICIAL  POS.FINAL");
    EXPECT_EQ(pendingLine(row("CNPJ inválido.", "", 42)),
              "CNPJ inválido." + std::string(41, ' ') + "5    00042     0010" + std::string(9, ' ') + "0023");
}

// The message column is 55 characters whatever the accents.
TEST(PendingList, TheMessageIsCutByCharacters) {
    // The description, the complement, the message shown.
    const std::vector<std::tuple<std::string, std::string, std::string>> cases = {
        // Without complement: 53 characters of the text, trimmed.
        {"  Texto curto  ", "", "Texto curto"},
        // With complement: 30 of the text, trimmed, then 23 of the complement, trimmed.
        {"ÇÃÕÉÍ" + std::string(40, 'b'), " " + std::string(30, 'e'),
         "ÇÃÕÉÍ" + std::string(25, 'b') + std::string(22, 'e')},
    };
    for (const auto& [description, complement, expected] : cases) {
        const std::string line = pendingLine(row(description, complement));
        const std::size_t padding = 55 - characters(expected);
        EXPECT_EQ(line.substr(0, expected.size() + padding), expected + std::string(padding, ' '));
        EXPECT_EQ(characters(line), 87u) << line;
    }
}

// At most 77 lines under each heading.
TEST(PendingList, ManyErrorsInBlocks) {
    TextLog log;
    for (int i = 1; i <= 78; ++i) log.listings.push_back(row("Erro", "", i));
    std::vector<std::string> expected = {pendingHeading(), " "};
    for (int i = 0; i < 77; ++i) expected.push_back(pendingLine(log.listings[i]));
    const std::vector<std::string> end = {kUnderscores, " ", pendingHeading(), " ", pendingLine(log.listings[77]),
                                          kUnderscores, " ",
                                          "Foram encontrados 78 erros. Foi impossível gerar a declaração.", kEquals};
    expected.insert(expected.end(), end.begin(), end.end());
    EXPECT_EQ(listingOf(log), expected);

}

}  // namespace
}  // namespace kova
