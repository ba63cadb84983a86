// The stand-in transmission library called directly, as the agency's side of a transmission, and its installer.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>

#include "core/text.h"
#include "delivery/receipt_validation.h"
#include "delivery/seals.h"
#include "delivery/transmission.h"
#include "transmission_fixtures.h"

namespace kova::testing {
namespace {

struct LibraryCall {
    std::int32_t code = -1;
    std::string message;  // UTF-8
    std::string title;
};

class QuiboroLibraryTest : public ::testing::Test {
protected:
    void SetUp() override {
        const fs::path library = binFolder() / "libtrama21.so";
        handle_ = ::dlopen(library.c_str(), RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(handle_, nullptr) << ::dlerror();
        send_ = reinterpret_cast<EnviarDeclaracaoEx2Fn>(::dlsym(handle_, "EnviarDeclaracaoEx2"));
        ASSERT_NE(send_, nullptr);
        declaration_.type3(2).type4F(1).type4J(1).type5(3);
        deliveryFile_ = writeSealedDeliveryFile(scratch_ / "declaracao", declaration_);
    }
    void TearDown() override {
        if (handle_) ::dlclose(handle_);
    }

    LibraryCall call(const fs::path& file) {
        std::string message(kQuiboroMessageSize, ' ');
        std::string title(kQuiboroTitleSize, ' ');
        LibraryCall result;
        result.code = send_(nullptr, file.c_str(), 1, message.data(), title.data());
        result.message = cp1252ToUtf8(message.c_str());
        result.title = cp1252ToUtf8(title.c_str());
        return result;
    }

    ScratchFolder scratch_;
    fixtures::DeclarationBuilder declaration_;
    fs::path deliveryFile_;
    void* handle_ = nullptr;
    EnviarDeclaracaoEx2Fn send_ = nullptr;
};

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(text.substr(start, end - start));
    EXPECT_EQ(start, text.size()) << "the last line must end with CR LF";
    return lines;
}

TEST_F(QuiboroLibraryTest, AcceptsAnIntactDeliveryFileAndLeavesAReceiptThatValidates) {
    const std::string before = readBytes(deliveryFile_);
    const LibraryCall result = call(deliveryFile_);
    EXPECT_EQ(result.code, 0) << result.message;
    EXPECT_NE(result.message.find("Declaração recebida pela QOT em "), std::string::npos) << result.message;
    EXPECT_FALSE(result.title.empty());

    const fs::path receipt = receiptPathOf(deliveryFile_);
    ASSERT_TRUE(fs::is_regular_file(receipt));
    EXPECT_EQ(readBytes(deliveryFile_), before);
    // Nothing but the delivery file and its receipt: the receipt's temporary file is gone.
    EXPECT_EQ(std::distance(fs::directory_iterator(deliveryFile_.parent_path()), fs::directory_iterator()), 2);

    const std::vector<std::string> lines = linesOf(readBytes(receipt));
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].substr(0, 2), "HC");
    EXPECT_EQ(lines[1].substr(0, 2), "RC");
    EXPECT_EQ(lines[2].substr(0, 2), "TC");
    EXPECT_EQ(lines[1].substr(2, 14), fixtures::declarantCnpj());
    ASSERT_GE(lines[1].size(), 91u);
    EXPECT_EQ(lines[1].substr(77, 14), std::string(14, ' ')) << "NI of an unsigned declaration is blank";

    RecordingPrompts prompts;
    ReceiptData data;
    EXPECT_TRUE(validateReceipt(deliveryFile_, prompts, data));
    EXPECT_TRUE(prompts.shown.empty());
    EXPECT_EQ(data.cnpj, fixtures::declarantCnpj());
}

TEST_F(QuiboroLibraryTest, TransmittingAgainReplacesTheReceipt) {
    ASSERT_EQ(call(deliveryFile_).code, 0);
    writeBytes(receiptPathOf(deliveryFile_), "resto de um recibo antigo\r\n");
    ASSERT_EQ(call(deliveryFile_).code, 0);
    RecordingPrompts prompts;
    ReceiptData data;
    EXPECT_TRUE(validateReceipt(deliveryFile_, prompts, data));
}

// Each case prepares a file to hand over; the library must answer `code`, fill both buffers and leave every
// file as it was.
struct Refusal {
    const char* name;
    std::int32_t code;
    std::function<fs::path(const fs::path& deliveryFile)> prepare;
    // A failed write of the receipt made and removed its temporary file: the folder's time moved, no more.
    bool folderTimeMoves = false;
};

void changeByte(const fs::path& file, std::size_t offset, char to) {
    std::string bytes = readBytes(file);
    bytes.at(offset) = to;
    writeBytes(file, bytes);
}

const Refusal kRefusals[] = {
    {"MissingFile", 5002,
     [](const fs::path& f) { return f.parent_path() / ("0" + f.filename().string().substr(1)); }},
    {"NotADecFile", 5003,
     [](const fs::path& f) {
         fs::path other = f;
         other.replace_extension(".TXT");
         fs::copy_file(f, other);
         return other;
     }},
    {"DeclarationTextUnderADecName", 5003,
     [](const fs::path& f) {
         writeBytes(f, fixtures::cleanDeclaration(1, 1, 1));
         return f;
     }},
    {"DetailRecordChanged", 5001,
     [](const fs::path& f) {
         const std::string bytes = readBytes(f);
         changeByte(f, bytes.find("\r\n") + 2 + 150, 'X');  // inside the second record
         return f;
     }},
    {"HeaderChanged", 5001,
     [](const fs::path& f) {
         changeByte(f, 45, 'Z');  // a letter of the declarant's name
         return f;
     }},
    {"LineWithoutRoomForASeal", 5001,
     [](const fs::path& f) {
         writeBytes(f, readBytes(f) + "abc\r\n");
         return f;
     }},
    {"StoredUnderAnotherName", 5001,
     [](const fs::path& f) {
         std::string name = f.filename().string();
         name[7] = name[7] == '0' ? '1' : '0';  // within the first 8 characters, which key the header seal
         const fs::path other = f.parent_path() / name;
         fs::rename(f, other);
         return other;
     }},
    {"ReceiptCannotBeWritten", 5004,
     [](const fs::path& f) {
         fs::create_directory(receiptPathOf(f));  // a folder holds the receipt's name
         writeBytes(receiptPathOf(f) / "ocupado", "x");
         return f;
     },
     true},
};

// Failures name their case rather than dumping its bytes.
void PrintTo(const Refusal& c, std::ostream* os) { *os << c.name; }

class QuiboroLibraryRefusal : public QuiboroLibraryTest, public ::testing::WithParamInterface<Refusal> {};

TEST_P(QuiboroLibraryRefusal, AnswersItsCodeWithAMessageAndTouchesNoFile) {
    const fs::path file = GetParam().prepare(deliveryFile_);
    const bool folderTimes = !GetParam().folderTimeMoves;
    const Snapshot before = snapshot(scratch_.path(), folderTimes);
    const LibraryCall result = call(file);
    EXPECT_EQ(result.code, GetParam().code) << result.message;
    EXPECT_FALSE(result.message.empty());
    EXPECT_FALSE(result.title.empty());
    EXPECT_EQ(snapshot(scratch_.path(), folderTimes), before);
}

INSTANTIATE_TEST_SUITE_P(Files, QuiboroLibraryRefusal, ::testing::ValuesIn(kRefusals),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(QuiboroLibraryTest, WithoutBuffersOrPathItStillAnswers) {
    EXPECT_EQ(send_(nullptr, deliveryFile_.c_str(), 1, nullptr, nullptr), 0);
    EXPECT_EQ(send_(nullptr, nullptr, 1, nullptr, nullptr), 5003);
    EXPECT_EQ(send_(nullptr, "", 1, nullptr, nullptr), 5003);
}

TEST(QuiboroInstaller, RefusesAFolderWithoutTheLibrary) {
    ScratchFolder scratch;
    fs::create_directories(scratch / "vazia");
    const auto refused = testing_support::runProgram(binFolder() / "quiboro-instalar",
                                                     {"--path", (scratch / "vazia").string()},
                                                     {{"KOVA_WINDIR", (scratch / "windows").string()}});
    EXPECT_EQ(refused.exitCode, 2);
    EXPECT_NE(refused.err.find("não contém libtrama21.so"), std::string::npos) << refused.err;
    EXPECT_FALSE(fs::exists(scratch / "windows" / "qui-bor.ini"));
}

}  // namespace
}  // namespace kova::testing
