// transmit in the process: the Quiboro settings, the version check, the library's place, the outcomes and the
// retry of unexpected errors; the stand-in library called directly, as the agency's side, and its installer.
#include "delivery/transmission.h"

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <chrono>

#include "delivery/receipt_validation.h"
#include "delivery_fixtures.h"

namespace kova::testing {
namespace {

class Transmission : public ::testing::Test {
protected:
    void SetUp() override {
        fixtures::DeclarationBuilder declaration;
        declaration.type3(1).type4F(1).type5(2);
        deliveryFile_ = writeSealedDeliveryFile(programFolder() / "GERADA" / "decl", declaration);
        request_.deliveryFile = deliveryFile_;
        request_.windowsFolder = windows();
    }
    fs::path programFolder() const { return scratch_ / "programa"; }
    fs::path windows() const { return scratch_ / "windows"; }
    TransmissionOutcome transmitNow() { return transmit(prompts, request_); }

    ScratchFolder scratch_;
    fs::path deliveryFile_;
    TransmissionRequest request_;
    RecordingPrompts prompts;
};

// Every refusal of the settings shows one message and leaves every file where it was.
TEST_F(Transmission, SettingsRefusalsShowTheirMessageAndTouchNoFile) {
    const std::string notHere = "Para transmissão de declarações é necessário que o programa Quiboro esteja "
                                "instalado em seu computador. Instale-o e repita esta operação novamente.";
    // The version ("" for no settings file at all), the library's folder and the message.
    const std::tuple<std::string, std::string, std::string> refusals[] = {
        {"", "", quiboroNoticeMessage(QuiboroNotice::NotInstalled).text},
        {"200701", binFolder().string(), quiboroNoticeMessage(QuiboroNotice::OldVersion).text},
        {"200702", "", notHere},
        // Relative to the build folder the library would be found; a relative path is never searched.
        {"200702", fs::relative(binFolder(), fs::current_path()).string(), notHere},
    };
    for (const auto& [version, libraryFolder, expected] : refusals) {
        fs::remove_all(windows());
        if (!version.empty()) writeQuiboroSettings(windows(), version, libraryFolder);
        const Snapshot before = snapshot(scratch_.path());
        prompts.shown.clear();
        EXPECT_EQ(transmitNow(), TransmissionOutcome::Refused);
        EXPECT_EQ(prompts.texts(), std::vector{expected}) << version << " " << libraryFolder;
        EXPECT_EQ(snapshot(scratch_.path()), before);
    }
}

// While another process writes the program folder the library is not called: after the wait, a refusal.
TEST_F(Transmission, WaitsForAnotherWriterOfTheProgramFolderThenRefuses) {
    writeQuiboroSettings(windows(), "200702", binFolder().string());
    const fs::path program = fs::absolute(programFolder()).lexically_normal();
    const auto other = FolderWriteLock::acquire(program, std::chrono::milliseconds(0));
    ASSERT_TRUE(other);
    TransmissionRequest request = request_;
    int waits = 0;
    request.lockWait = {std::chrono::milliseconds(100), [&] { ++waits; }};
    EXPECT_EQ(transmit(prompts, request), TransmissionOutcome::Refused);
    EXPECT_GT(waits, 0);
    EXPECT_EQ(prompts.texts(), std::vector{folderInUseMessage(program)});
    EXPECT_FALSE(fs::exists(receiptPathOf(deliveryFile_)));
}

// A library that cannot be loaded is an unexpected error: the retry question, then either giving up or, once the
// file is put right, the transmission of the oldest accepted version, and a receipt that validates.
TEST_F(Transmission, AnUnusableLibraryAsksToTryAgain) {
    const fs::path library = scratch_ / "quiboro" / "libtrama21.so";
    fs::create_directories(library.parent_path());
    writeBytes(library, "isto não é uma biblioteca");
    writeQuiboroSettings(windows(), "200702", library.parent_path().string());
    const Snapshot before = snapshot(programFolder() / "GERADA");
    EXPECT_EQ(transmitNow(), TransmissionOutcome::Failed);
    ASSERT_EQ(prompts.shown.size(), 1u);
    const Message& m = prompts.shown[0];
    EXPECT_EQ(m.buttons, Buttons::YesNo);
    EXPECT_EQ(m.text.rfind("Erro na transmissão da declaração.\nErro: 48\nErro durante carga de DLL.", 0), 0u);
    EXPECT_TRUE(m.text.ends_with("\nDeseja tentar novamente ?")) << m.text;
    EXPECT_EQ(snapshot(programFolder() / "GERADA"), before);

    prompts.shown.clear();
    prompts.answer = [&](const Message& m) {
        fs::copy_file(binFolder() / "libtrama21.so", library, fs::copy_options::overwrite_existing);
        return m.buttons == Buttons::YesNo ? Answer::Yes : Answer::Ok;
    };
    EXPECT_EQ(transmitNow(), TransmissionOutcome::Accepted);
    EXPECT_EQ(prompts.titles(), (std::vector<std::string>{"Transmitir", "Transmissão"}));
    ReceiptData data;
    EXPECT_TRUE(validateReceipt(deliveryFile_, prompts, data));
}

// The settings file as the platform's private profile reader gives it.
TEST(QuiboroSettings, ProfileStringsAndVersions) {
    const std::pair<std::string, std::string> files[] = {
        {"  [ QUI-BOR ]  \r\n  versao =  \" 2 \"  \r\n", " 2 "},
        // A line longer than the reader keeps, then the value across a boundary of its reads.
        {std::string(8177, 'x') + "\n[Qui-Bor]\nVersao=200702\n", "200702"},
    };
    ScratchFolder scratch;
    EXPECT_EQ(readProfileString(scratch / "x.ini", "Qui-Bor", "Versao"), "");
    for (const auto& [content, value] : files) {
        writeBytes(scratch / "x.ini", content);
        EXPECT_EQ(readProfileString(scratch / "x.ini", "Qui-Bor", "Versao"), value) << content.substr(0, 40);
    }
    const std::pair<const char*, long long> versions[] = {
        {" 200801 ", 200801}, {"2007 02", 0}, {"-300000", 0}, {"200702.5", 0},
    };
    for (const auto& [text, number] : versions) EXPECT_EQ(quiboroVersionNumber(text), number) << text;
    EXPECT_GE(quiboroVersionNumber("99999999999999999999999"), kQuiboroMinimumVersion);
}

// The stand-in library called directly: each refusal answers its code with both buffers filled, and leaves
// every file as it was.
TEST(QuiboroLibrary, RefusalsAnswerTheirCodesAndTouchNoFile) {
    void* library = ::dlopen((binFolder() / "libtrama21.so").c_str(), RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(library, nullptr) << ::dlerror();
    const auto send = reinterpret_cast<EnviarDeclaracaoEx2Fn>(::dlsym(library, "EnviarDeclaracaoEx2"));
    ASSERT_NE(send, nullptr);
    EXPECT_EQ(send(nullptr, nullptr, 1, nullptr, nullptr), 5003);
    ScratchFolder scratch;
    fixtures::DeclarationBuilder declaration;
    declaration.type3(1).type5(2);
    const fs::path file = writeSealedDeliveryFile(scratch.path(), declaration);
    // folderTimes false: a failed receipt write made and removed its temporary file.
    const auto expectRefused = [&](const fs::path& sent, std::int32_t code, bool folderTimes) {
        const Snapshot before = snapshot(scratch.path(), folderTimes);
        std::string message(kQuiboroMessageSize, ' ');
        std::string title(kQuiboroTitleSize, ' ');
        EXPECT_EQ(send(nullptr, sent.c_str(), 1, message.data(), title.data()), code);
        EXPECT_NE(std::string(message.c_str()), "");
        EXPECT_NE(std::string(title.c_str()), "");
        EXPECT_EQ(snapshot(scratch.path(), folderTimes), before);
    };
    expectRefused(file.parent_path() / ("0" + file.filename().string()), 5002, true);
    fs::create_directory(receiptPathOf(file));  // a folder holds the receipt's name
    writeBytes(receiptPathOf(file) / "ocupado", "x");
    expectRefused(file, 5004, false);
    std::string bytes = readBytes(file);
    bytes[45] ^= 1;  // a letter of the declarant's name
    writeBytes(file, bytes);
    expectRefused(file, 5001, true);
    ::dlclose(library);
}

TEST(QuiboroInstaller, RefusesAFolderWithoutTheLibrary) {
    ScratchFolder scratch;
    fs::create_directories(scratch / "vazia");
    const auto refused =
        testing_support::runProgram(binFolder() / "quiboro-instalar", {"--path", (scratch / "vazia").string()},
                                    {{"KOVA_WINDIR", (scratch / "windows").string()}});
    EXPECT_EQ(refused.exitCode, 2);
    EXPECT_NE(refused.err.find("não contém libtrama21.so"), std::string::npos) << refused.err;
    EXPECT_FALSE(fs::exists(scratch / "windows" / "qui-bor.ini"));
}

}  // namespace
}  // namespace kova::testing
