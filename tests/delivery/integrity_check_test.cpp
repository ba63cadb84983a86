#include <gtest/gtest.h>

#include "core/faults.h"
#include "delivery/integrity_check.h"
#include "delivery_fixtures.h"

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
        for (std::size_t start = 0; start < bytes.size(); start = bytes.find("\r\n", start) + 2)
            lines.push_back({start, bytes.find("\r\n", start) - start});
    }
    bool checkWith(const std::string& content) {
        writeBytes(file, content);
        DeclarationCheck result;
        return checkDeclaration(file.string(), prompts, result);
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

// One byte changed at sampled positions of every record (header, every detail type, "R1", "R9"): the text,
// the type character, the seal's digits and the line end.
TEST_F(IntegrityCheck, EverySingleByteChangeAtSampledPositionsIsFound) {
    ASSERT_EQ(lines.size(), 16u);  // the header, 13 input records, "R1" and "R9"
    for (const Line& line : lines) {
        const std::size_t last = line.length - 1;
        for (std::size_t p : {std::size_t{0}, std::size_t{1}, line.length / 2, last - 10, last - 9, last, line.length,
                              line.length + 1}) {
            std::string changed = bytes;
            char& c = changed[line.offset + p];
            c = (c >= '0' && c <= '8') ? static_cast<char>(c + 1) : (c == 'X' ? 'Y' : 'X');
            EXPECT_FALSE(checkWith(changed)) << "line at " << line.offset << ", position " << p + 1;
        }
    }
    EXPECT_TRUE(prompts.shown.empty());
}

// Reads through a file source that fails once, at its second read.
class FailingOnce : public ByteSource {
public:
    FailingOnce(std::unique_ptr<ByteSource> inner, int& failures) : inner_(std::move(inner)), failures_(failures) {}
    std::size_t read(char* buffer, std::size_t n) override {
        if (++reads_ == 2 && failures_-- > 0) throw Fault(57);
        return inner_->read(buffer, n);
    }
    void seek(std::uint64_t offset) override { inner_->seek(offset); }
    std::uint64_t size() override { return inner_->size(); }

private:
    std::unique_ptr<ByteSource> inner_;
    int& failures_;
    int reads_ = 0;
};

// A missing file is told, an empty one fails; a line without room for a seal or a read fault is a run-time fault:
// the question, No ends with false and Yes reads the file again.
TEST_F(IntegrityCheck, MissingAndEmptyFilesFailAndFaultsAsk) {
    DeclarationCheck result;
    EXPECT_FALSE(checkDeclaration((h.folder.path() / "NADA.DEC").string(), prompts, result));
    EXPECT_EQ(prompts.texts(), std::vector<std::string>{"O arquivo de declaração não existe."});
    prompts.shown.clear();
    EXPECT_FALSE(checkWith(""));
    EXPECT_TRUE(prompts.shown.empty());

    EXPECT_FALSE(checkWith(bytes.substr(0, lines[1].offset) + "123\r\n" + bytes.substr(lines[1].offset)));
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_TRUE(prompts.shown[0].text.starts_with("Erro na verificação da consistência da declaração. Verifique se "
                                                  "o arquivo está legível.\n"));
    writeBytes(file, bytes);
    prompts.shown.clear();
    int failures = 1;
    prompts.answer = [](const Message&) { return Answer::Yes; };
    EXPECT_TRUE(checkDeclaration(file.string(), prompts, result, [&](const fs::path& path) {
        return std::make_unique<FailingOnce>(openFileSource(path), failures);
    }));
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_NE(prompts.shown[0].text.find(faultMessage(Fault(57))), std::string::npos);
    EXPECT_EQ(result.count5, 5);
}

}  // namespace
}  // namespace kova::testing
