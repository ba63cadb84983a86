#include <gtest/gtest.h>

#include "core/faults.h"
#include "delivery/delivery_records.h"
#include "delivery/integrity_check.h"
#include "generation_fixtures.h"

namespace kova::testing {
namespace {

using fixtures::DeclarationBuilder;

// A generated delivery file with records of every kind, and its lines' byte offsets.
class IntegrityCheck : public ::testing::Test {
protected:
    void SetUp() override {
        DeclarationBuilder dec;
        dec.type3(2).type4F(1).type4J(2).type5(5);
        ASSERT_EQ(h.importAndGenerate(dec), ImportOutcome::Succeeded);
        file = h.deliveryFile();
        bytes = readBytes(file);
        for (std::size_t start = 0; start < bytes.size();) {
            const std::size_t end = bytes.find("\r\n", start);
            lines.push_back({start, end - start});
            start = end + 2;
        }
    }

    bool check(const std::string& path, DeclarationCheck& result) { return checkDeclaration(path, prompts, result); }
    bool check() {
        DeclarationCheck result;
        return check(file.string(), result);
    }

    struct Line {
        std::size_t offset, length;
    };
    GenerationHarness h;
    fs::path file;
    std::string bytes;
    std::vector<Line> lines;
    RecordingPrompts prompts;
};

TEST_F(IntegrityCheck, AGeneratedFileIsIntactAndCountsItsTypes) {
    DeclarationCheck result;
    EXPECT_TRUE(check("  " + file.string() + "  ", result));
    EXPECT_EQ(result.count3, 2);
    EXPECT_EQ(result.count4, 3);
    EXPECT_EQ(result.count5, 5);
    EXPECT_EQ(result.deliveryFileName, file.filename().string());
    EXPECT_EQ(result.detailSealText, std::string(DeliveryHeaderView(bytes).detailSeal()));
    EXPECT_TRUE(prompts.shown.empty());
}

// One byte changed at sampled positions of every record (header, every detail type, "R1", "R9"): the text,
// the type character, the seal's digits and the line end.
TEST_F(IntegrityCheck, EverySingleByteChangeAtSampledPositionsIsFound) {
    int tried = 0;
    for (const Line& line : lines) {
        const std::size_t last = line.length - 1;
        for (std::size_t p : {std::size_t{0}, std::size_t{1}, std::size_t{8}, line.length / 2, last - 10, last - 9,
                              last, line.length, line.length + 1}) {
            std::string changed = bytes;
            char& c = changed[line.offset + p];
            c = (c >= '0' && c <= '8') ? static_cast<char>(c + 1) : (c == 'X' ? 'Y' : 'X');
            writeBytes(file, changed);
            EXPECT_FALSE(check()) << "line at " << line.offset << ", position " << p + 1;
            ++tried;
        }
    }
    // The header, the 13 input records (types 1 to 5 and T), "R1" and "R9".
    ASSERT_EQ(lines.size(), 16u);
    EXPECT_EQ(tried, 9 * 16);
    EXPECT_TRUE(messagesTitled(prompts.shown, "Declaração Válida").empty());
}

// "R1" and "R9" take no part in the detail seal: rewriting them with their own seals goes unseen.
TEST_F(IntegrityCheck, AConsistentRewriteOfR1AndR9IsNotAFailure) {
    const Line r1 = lines[lines.size() - 2];
    const Line r9 = lines[lines.size() - 1];
    std::string text = bytes.substr(r1.offset, r1.length - 10);
    text[20] = text[20] == 'Z' ? 'Y' : 'Z';
    std::string r9text = bytes.substr(r9.offset, r9.length - 10);
    r9text.replace(132, 10, "0000000001");
    const std::string changed =
        bytes.substr(0, r1.offset) + text + zlibSeal(text) + "\r\n" + r9text + zlibSeal(r9text) + "\r\n";
    writeBytes(file, changed);
    EXPECT_TRUE(check());
}

TEST_F(IntegrityCheck, AnotherCorrectlySealedDetailRecordFailsTheStoredDetailSeal) {
    const Line entity = lines[3];  // the first type-3 record
    std::string other = fixtures::EntityBuilder::type3(3, 7).build();
    const std::string changed =
        bytes.substr(0, entity.offset) + other + zlibSeal(other) + bytes.substr(entity.offset + entity.length);
    writeBytes(file, changed);
    EXPECT_FALSE(check());
}

TEST_F(IntegrityCheck, MissingEmptyAndShortLinedFiles) {
    EXPECT_FALSE(check((h.folder.path() / "NADA.DEC").string(), *std::make_unique<DeclarationCheck>()));
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].title, "Declaração Válida");
    EXPECT_EQ(prompts.shown[0].text, "O arquivo de declaração não existe.");

    prompts.shown.clear();
    writeBytes(file, "");
    EXPECT_FALSE(check());
    EXPECT_TRUE(prompts.shown.empty());

    // A line without room for a seal is a run-time fault: the question, and No ends with false.
    writeBytes(file, bytes.substr(0, lines[1].offset) + "123\r\n" + bytes.substr(lines[1].offset));
    EXPECT_FALSE(check());
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].title, "Verifica Declaração Válida");
    EXPECT_EQ(prompts.shown[0].icon, Icon::Question);
    EXPECT_EQ(prompts.shown[0].text.rfind("Erro na verificação da consistência da declaração. Verifique se o "
                                          "arquivo está legível.\n",
                                          0),
              0u);
    EXPECT_NE(prompts.shown[0].text.find("\nTenta novamente ?"), std::string::npos);
}

TEST(IntegrityCheckSeals, AFileWithoutTypes3To5FailsAtTheCounts) {
    ScratchFolder folder;
    RecordingPrompts prompts;
    DeclarationCheck result;
    const fs::path without = writeSealedDeliveryFile(folder.path(), DeclarationBuilder());
    EXPECT_FALSE(checkDeclaration(without.string(), prompts, result));
    EXPECT_EQ(result.count3 + result.count4 + result.count5, 0);
    EXPECT_EQ(result.detailSealText, std::string(DeliveryHeaderView(readBytes(without)).detailSeal()));

    DeclarationBuilder one;
    one.type4J(1);
    fs::remove(without);
    EXPECT_TRUE(checkDeclaration(writeSealedDeliveryFile(folder.path(), one).string(), prompts, result));
    EXPECT_TRUE(prompts.shown.empty());
}

// Reads through a file source that fails once at its second read.
class FailingOnce : public ByteSource {
public:
    explicit FailingOnce(std::unique_ptr<ByteSource> inner, int& failures)
        : inner_(std::move(inner)), failures_(failures) {}
    std::size_t read(char* buffer, std::size_t n) override {
        if (++reads_ == 2 && failures_ > 0) {
            --failures_;
            throw Fault(57);
        }
        return inner_->read(buffer, n);
    }
    void seek(std::uint64_t offset) override { inner_->seek(offset); }
    std::uint64_t size() override { return inner_->size(); }

private:
    std::unique_ptr<ByteSource> inner_;
    int& failures_;
    int reads_ = 0;
};

TEST_F(IntegrityCheck, AReadFaultAsksAndYesReadsTheFileAgain) {
    int failures = 1;
    prompts.answer = [](const Message&) { return Answer::Yes; };
    DeclarationCheck result;
    const bool intact = checkDeclaration(file.string(), prompts, result, [&](const fs::path& path) {
        return std::make_unique<FailingOnce>(openFileSource(path), failures);
    });
    EXPECT_TRUE(intact);
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_NE(prompts.shown[0].text.find(faultMessage(Fault(57))), std::string::npos);
    EXPECT_EQ(result.count5, 5);
}

}  // namespace
}  // namespace kova::testing
