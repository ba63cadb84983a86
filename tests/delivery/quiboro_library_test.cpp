// The stand-in transmission library called directly, as the agency's side of a transmission, and its installer.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "core/text.h"
#include "delivery/receipt_validation.h"
#include "delivery/transmission.h"
#include "delivery_fixtures.h"

namespace kova::testing {
namespace {

class QuiboroLibrary : public ::testing::Test {
protected:
    void SetUp() override {
        handle_ = ::dlopen((binFolder() / "libtrama21.so").c_str(), RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(handle_, nullptr) << ::dlerror();
        send_ = reinterpret_cast<EnviarDeclaracaoEx2Fn>(::dlsym(handle_, "EnviarDeclaracaoEx2"));
        ASSERT_NE(send_, nullptr);
    }
    void TearDown() override {
        if (handle_) ::dlclose(handle_);
    }
    // The code; the message and title buffers must both be filled.
    std::int32_t call(const fs::path& file) {
        std::string text(kQuiboroMessageSize, ' ');
        std::string title(kQuiboroTitleSize, ' ');
        const std::int32_t code = send_(nullptr, file.c_str(), 1, text.data(), title.data());
        EXPECT_FALSE(std::string(title.c_str()).empty());
        EXPECT_FALSE(std::string(text.c_str()).empty());
        return code;
    }

    ScratchFolder scratch_;
    void* handle_ = nullptr;
    EnviarDeclaracaoEx2Fn send_ = nullptr;
};

// Each refusal answers its code with both buffers filled, and leaves every file as it was.
TEST_F(QuiboroLibrary, RefusalsAnswerTheirCodesAndTouchNoFile) {
    const auto changeByte = [](const fs::path& f, std::size_t offset) {
        std::string bytes = readBytes(f);
        bytes.at(offset) = bytes.at(offset) == 'X' ? 'Y' : 'X';
        writeBytes(f, bytes);
        return f;
    };
    struct Refusal {
        const char* name;
        std::int32_t code;
        std::function<fs::path(const fs::path&)> prepare;
        bool folderTimeMoves = false;  // a failed receipt write made and removed its temporary file
    };
    const Refusal refusals[] = {
        {"missing file", 5002, [](const fs::path& f) { return f.parent_path() / ("0" + f.filename().string()); }},
        {"declaration text under a .DEC name", 5003,
         [](const fs::path& f) {
             writeBytes(f, fixtures::cleanDeclaration(1, 1, 1));
             return f;
         }},
        {"receipt cannot be written", 5004,
         [](const fs::path& f) {
             fs::create_directory(receiptPathOf(f));  // a folder holds the receipt's name
             writeBytes(receiptPathOf(f) / "ocupado", "x");
             return f;
         },
         true},
    };
    for (const Refusal& refusal : refusals) {
        SCOPED_TRACE(refusal.name);
        fs::remove_all(scratch_ / "declaracao");
        fixtures::DeclarationBuilder declaration;
        declaration.type3(1).type5(2);
        const fs::path file = refusal.prepare(writeSealedDeliveryFile(scratch_ / "declaracao", declaration));
        const Snapshot before = snapshot(scratch_.path(), !refusal.folderTimeMoves);
        EXPECT_EQ(call(file), refusal.code);
        EXPECT_EQ(snapshot(scratch_.path(), !refusal.folderTimeMoves), before);
    }
    EXPECT_EQ(send_(nullptr, nullptr, 1, nullptr, nullptr), 5003);
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
