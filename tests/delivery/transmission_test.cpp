// transmit in the process: the Quiboro settings, the version check, the library's place, the three outcomes and
// the retry of unexpected errors. The real stand-in library of the build is the Quiboro installed here.
#include "delivery/transmission.h"

#include <dlfcn.h>
#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdlib>
#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "delivery/receipt_validation.h"
#include "support/scoped_variable.h"
#include "transmission_fixtures.h"

namespace kova::testing {
namespace {

const std::string kNotInstalledText =
    "Para transmissão de declarações é necessário que o programa Quiboro esteja instalado em seu computador. "
    "Instale-o e repita esta operação novamente.";
const std::string kAlteredText =
    "O arquivo selecionado foi alterado após o procedimento de importação. Estas alterações invalidam a "
    "declaração e impedem a transmissão. Repita a operação de importação.";

class TransmissionTest : public ::testing::Test {
protected:
    void SetUp() override {
        fixtures::DeclarationBuilder declaration;
        declaration.type3(1).type4F(1).type5(2);
        const std::string stem = "decl";
        deliveryFile_ = writeSealedDeliveryFile(programFolder() / "GERADA" / stem, declaration);
    }

    fs::path programFolder() const { return scratch_ / "programa"; }
    fs::path windows() const { return scratch_ / "windows"; }

    TransmissionRequest request() const {
        TransmissionRequest request;
        request.deliveryFile = deliveryFile_;
        request.windowsFolder = windows();
        return request;
    }
    TransmissionOutcome transmitNow(RecordingPrompts& prompts) { return transmit(prompts, request()); }

    bool receiptValidates() {
        RecordingPrompts prompts;
        ReceiptData data;
        return validateReceipt(deliveryFile_, prompts, data);
    }

    ScratchFolder scratch_;
    fs::path deliveryFile_;
};

TEST_F(TransmissionTest, TheOldestAcceptedVersionTransmitsAndTheReceiptValidates) {
    writeQuiboroSettings(windows(), "200702", binFolder().string());
    RecordingPrompts prompts;
    EXPECT_EQ(transmitNow(prompts), TransmissionOutcome::Accepted);
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].title, "Transmissão");
    EXPECT_EQ(prompts.shown[0].icon, Icon::Information);
    // The library's Windows-1252 text arrives as UTF-8.
    EXPECT_EQ(prompts.shown[0].text.rfind("Declaração recebida pela QOT em ", 0), 0u) << prompts.shown[0].text;
    EXPECT_TRUE(receiptValidates());
}

using testing_support::ScopedVariable;

TEST_F(TransmissionTest, TheBooleanFormFindsTheSettingsInTheWindowsFolderOfTheEnvironment) {
    const ScopedVariable windir("KOVA_WINDIR", windows().c_str());
    RecordingPrompts prompts;
    EXPECT_FALSE(transmit(prompts, nullptr, 1, deliveryFile_));
    EXPECT_EQ(prompts.shown.at(0).text, quiboroNoticeMessage(QuiboroNotice::NotInstalled).text);
    writeQuiboroSettings(windows(), "200702", binFolder().string());
    EXPECT_TRUE(transmit(prompts, nullptr, 1, deliveryFile_));
    EXPECT_TRUE(receiptValidates());
}

// Every refusal shows one message and leaves every file where it was, byte for byte and time for time.
std::string builtFolder() { return binFolder().string(); }
std::string builtFolderRelative() { return fs::relative(binFolder(), fs::current_path()).string(); }
std::string folderWithoutLibrary() { return "/"; }
std::string noFolder() { return ""; }

struct Refusal {
    const char* name;
    const char* version;  // no settings file at all when null
    std::string (*libraryFolder)();
    Message expected;
};

Message notInstalledHere() {
    Message m;
    m.title = "Transmitir";
    m.text = kNotInstalledText;
    m.icon = Icon::Exclamation;
    return m;
}

const Refusal kRefusals[] = {
    {"NoSettingsFile", nullptr, builtFolder, quiboroNoticeMessage(QuiboroNotice::NotInstalled)},
    {"VersionBelowTheOldestAccepted", "200701", builtFolder, quiboroNoticeMessage(QuiboroNotice::OldVersion)},
    {"VersionNotANumber", "abc", builtFolder, quiboroNoticeMessage(QuiboroNotice::OldVersion)},
    {"VersionEmpty", "", builtFolder, quiboroNoticeMessage(QuiboroNotice::OldVersion)},
    {"PathWithoutTheLibrary", "200702", folderWithoutLibrary, notInstalledHere()},
    {"PathEmpty", "200702", noFolder, notInstalledHere()},
    // Relative to the build folder the library would be found; a relative path is never searched.
    {"PathRelative", "200702", builtFolderRelative, notInstalledHere()},
};

// Failures name their case rather than dumping its bytes.
void PrintTo(const Refusal& c, std::ostream* os) { *os << c.name; }

class TransmissionRefusal : public TransmissionTest, public ::testing::WithParamInterface<Refusal> {};

TEST_P(TransmissionRefusal, ShowsItsMessageAndTouchesNoFile) {
    if (GetParam().version) writeQuiboroSettings(windows(), GetParam().version, GetParam().libraryFolder());
    const Snapshot before = snapshot(scratch_.path());
    RecordingPrompts prompts;
    EXPECT_EQ(transmitNow(prompts), TransmissionOutcome::Refused);
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].title, GetParam().expected.title);
    EXPECT_EQ(prompts.shown[0].text, GetParam().expected.text);
    EXPECT_EQ(prompts.shown[0].icon, GetParam().expected.icon);
    EXPECT_EQ(prompts.shown[0].buttons, Buttons::Ok);
    EXPECT_EQ(snapshot(scratch_.path()), before);
}

INSTANTIATE_TEST_SUITE_P(Settings, TransmissionRefusal, ::testing::ValuesIn(kRefusals),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(TransmissionNotices, SayWhatToDoAndWhere) {
    const std::string tooOld = "Faça download  do  programa  e  instale em seu computador.";
    const std::string missing = "faça o download  do   programa e  instale em seu computador.";
    EXPECT_NE(quiboroNoticeText(QuiboroNotice::OldVersion).find(tooOld), std::string::npos);
    EXPECT_NE(quiboroNoticeText(QuiboroNotice::NotInstalled).find(missing), std::string::npos);
    for (QuiboroNotice kind : {QuiboroNotice::OldVersion, QuiboroNotice::NotInstalled}) {
        const Message m = quiboroNoticeMessage(kind);
        EXPECT_EQ(m.title, "Transmissão da Declaração");
        EXPECT_EQ(m.text, quiboroNoticeText(kind) + "\n\nhttp://www.qot.gov.br");
    }
}

// The notices go to the dialogs when there are some, and nothing else is shown.
TEST_F(TransmissionTest, TheNoticesAreTheDialogsOwn) {
    struct Notices : TransmissionDialogs {
        void showNotice(QuiboroNotice notice) override { shown.push_back(notice); }
        std::vector<QuiboroNotice> shown;
    } notices;
    TransmissionRequest request = this->request();
    request.dialogs = &notices;
    RecordingPrompts prompts;
    EXPECT_EQ(transmit(prompts, request), TransmissionOutcome::Refused);
    writeQuiboroSettings(windows(), "200701", binFolder().string());
    EXPECT_EQ(transmit(prompts, request), TransmissionOutcome::Refused);
    EXPECT_EQ(notices.shown, (std::vector{QuiboroNotice::NotInstalled, QuiboroNotice::OldVersion}));
    EXPECT_TRUE(prompts.shown.empty());
}

TEST_F(TransmissionTest, AFileChangedAfterImportIsToldApartAndGetsNoReceipt) {
    writeQuiboroSettings(windows(), "200702", binFolder().string());
    std::string bytes = readBytes(deliveryFile_);
    bytes[bytes.find("\r\n") + 2 + 60] ^= 1;  // one byte of the header's input record
    writeBytes(deliveryFile_, bytes);
    const Snapshot before = snapshot(deliveryFile_.parent_path());
    RecordingPrompts prompts;
    EXPECT_EQ(transmitNow(prompts), TransmissionOutcome::Altered);
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].text, kAlteredText);
    EXPECT_EQ(prompts.shown[0].title, "Transmitir");
    EXPECT_EQ(prompts.shown[0].icon, Icon::Exclamation);
    EXPECT_EQ(snapshot(deliveryFile_.parent_path()), before);
}

// While another process writes the program folder the library is not called: after the wait, a refusal.
TEST_F(TransmissionTest, WaitsForAnotherWriterOfTheProgramFolderThenRefuses) {
    writeQuiboroSettings(windows(), "200702", binFolder().string());
    EXPECT_EQ(writerFolderOf(deliveryFile_), fs::absolute(programFolder()).lexically_normal());
    EXPECT_EQ(writerFolderOf(scratch_ / "solto" / "x.DEC"), fs::absolute(scratch_ / "solto"));
    const auto other = FolderWriteLock::acquire(programFolder(), std::chrono::milliseconds(0));
    ASSERT_TRUE(other);
    TransmissionRequest request = this->request();
    int waits = 0;
    request.lockWait = {std::chrono::milliseconds(100), [&] { ++waits; }};
    RecordingPrompts prompts;
    EXPECT_EQ(transmit(prompts, request), TransmissionOutcome::Refused);
    EXPECT_GT(waits, 0);
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].text, folderInUseMessage(fs::absolute(programFolder()).lexically_normal()));
    EXPECT_FALSE(fs::exists(receiptPathOf(deliveryFile_)));
}

TEST_F(TransmissionTest, ALibraryFailureShowsTheLibrarysOwnMessageAndTitle) {
    // The decoy answers a code of its own with its own texts.
    writeQuiboroSettings(windows(), "200702", (binFolder() / "decoy").string());
    const Snapshot before = snapshot(programFolder() / "GERADA");
    RecordingPrompts prompts;
    EXPECT_EQ(transmitNow(prompts), TransmissionOutcome::Failed);
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].title, "Impostora");
    EXPECT_EQ(prompts.shown[0].text, "Biblioteca impostora.");
    EXPECT_EQ(prompts.shown[0].icon, Icon::Critical);
    EXPECT_EQ(snapshot(programFolder() / "GERADA"), before);
}

// A library file that cannot be loaded is an unexpected error: the retry question, then either giving up or,
// once the file is put right, the transmission.
class UnloadableLibraryTest : public TransmissionTest {
protected:
    void SetUp() override {
        TransmissionTest::SetUp();
        quiboro_ = scratch_ / "quiboro";
        fs::create_directories(quiboro_);
        writeBytes(quiboro_ / "libtrama21.so", "isto não é uma biblioteca");
        writeQuiboroSettings(windows(), "200702", quiboro_.string());
    }
    fs::path quiboro_;
};

void expectRetryQuestion(const Message& m, const std::string& faultLine) {
    EXPECT_EQ(m.title, "Transmitir");
    EXPECT_EQ(m.icon, Icon::Question);
    EXPECT_EQ(m.buttons, Buttons::YesNo);
    EXPECT_EQ(m.text.rfind("Erro na transmissão da declaração.\n" + faultLine, 0), 0u) << m.text;
    const std::string question = "\nDeseja tentar novamente ?";
    ASSERT_GE(m.text.size(), question.size());
    EXPECT_EQ(m.text.substr(m.text.size() - question.size()), question);
}

TEST_F(UnloadableLibraryTest, NoGivesUpAndTouchesNoDeclarationFile) {
    const Snapshot before = snapshot(programFolder() / "GERADA");
    RecordingPrompts prompts;
    EXPECT_EQ(transmitNow(prompts), TransmissionOutcome::Failed);
    ASSERT_EQ(prompts.shown.size(), 1u);
    expectRetryQuestion(prompts.shown[0], "Erro: 48\nErro durante carga de DLL.");
    EXPECT_EQ(snapshot(programFolder() / "GERADA"), before);
}

TEST_F(UnloadableLibraryTest, YesTriesAgainAndSucceedsOnceTheLibraryIsThere) {
    RecordingPrompts prompts;
    prompts.answer = [&](const Message& m) {
        if (m.buttons != Buttons::YesNo) return Answer::Ok;
        fs::copy_file(binFolder() / "libtrama21.so", quiboro_ / "libtrama21.so",
                      fs::copy_options::overwrite_existing);
        return Answer::Yes;
    };
    EXPECT_EQ(transmitNow(prompts), TransmissionOutcome::Accepted);
    ASSERT_EQ(prompts.shown.size(), 2u);
    expectRetryQuestion(prompts.shown[0], "Erro: 48\n");
    EXPECT_EQ(prompts.shown[1].title, "Transmissão");
    EXPECT_TRUE(receiptValidates());
}

TEST_F(UnloadableLibraryTest, ALibraryWithoutTheEntryPointIsAnUnexpectedError) {
    // Any other shared library under the expected name: zlib, which this program links anyway.
    Dl_info info{};
    ASSERT_NE(::dladdr(reinterpret_cast<void*>(&::zlibVersion), &info), 0);
    fs::copy_file(info.dli_fname, quiboro_ / "libtrama21.so", fs::copy_options::overwrite_existing);
    RecordingPrompts prompts;
    EXPECT_EQ(transmitNow(prompts), TransmissionOutcome::Failed);
    ASSERT_EQ(prompts.shown.size(), 1u);
    expectRetryQuestion(prompts.shown[0], "Erro: 453\n");
    EXPECT_NE(prompts.shown[0].text.find("EnviarDeclaracaoEx2"), std::string::npos) << prompts.shown[0].text;
}

// The settings file as the platform's private profile reader gives it.
struct ProfileCase {
    const char* name;
    std::string content;
    std::string section, key, expected;
};

const ProfileCase kProfileCases[] = {
    {"CaseOfSectionAndKey", "[QUI-BOR]\nversao=1\n", "Qui-Bor", "Versao", "1"},
    {"BlanksAndCrLf", "  [ Qui-Bor ]  \r\n  Path =  /opt/quiboro  \r\n", "Qui-Bor", "Path", "/opt/quiboro"},
    {"Quoted", "[Qui-Bor]\nPath=\" /com espaço \"\n", "Qui-Bor", "Path", " /com espaço "},
    {"OtherSectionIgnored", "[Outra]\nVersao=9\n[Qui-Bor]\nPath=x\n", "Qui-Bor", "Versao", ""},
    {"FirstOccurrenceWins", "[Qui-Bor]\nVersao=1\nVersao=2\n", "Qui-Bor", "Versao", "1"},
    {"CommentIgnored", "[Qui-Bor]\n;Versao=9\nVersao=3\n", "Qui-Bor", "Versao", "3"},
    {"EqualsInValue", "[Qui-Bor]\nPath=/a=b\n", "Qui-Bor", "Path", "/a=b"},
    {"LongValueCut", "[Qui-Bor]\nPath=\"" + std::string(130, 'p') + "\"\n", "Qui-Bor", "Path", std::string(127, 'p')},
    {"ByteOrderMark", "\xEF\xBB\xBF[Qui-Bor]\nVersao=7\n", "Qui-Bor", "Versao", "7"},
    {"BinaryGarbage", std::string("\0\xFF[\n=\n]", 7), "Qui-Bor", "Versao", ""},
    // A line longer than the reader keeps, then the value across a boundary of its reads.
    {"AfterAnOverlongLine", std::string(8177, 'x') + "\n[Qui-Bor]\nVersao=200702\n", "Qui-Bor", "Versao", "200702"},
};

void PrintTo(const ProfileCase& c, std::ostream* os) { *os << c.name; }

class ProfileString : public ::testing::TestWithParam<ProfileCase> {};

TEST_P(ProfileString, ReadsTheValue) {
    ScratchFolder scratch;
    writeBytes(scratch / "x.ini", GetParam().content);
    EXPECT_EQ(readProfileString(scratch / "x.ini", GetParam().section, GetParam().key), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Files, ProfileString, ::testing::ValuesIn(kProfileCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ProfileStringFile, AMissingFileGivesAnEmptyValue) {
    ScratchFolder scratch;
    EXPECT_EQ(readProfileString(scratch / "nao-existe.ini", "Qui-Bor", "Versao"), "");
}

TEST(QuiboroVersion, OnlyAWholeNumberCounts) {
    EXPECT_EQ(quiboroVersionNumber("200702"), 200702);
    EXPECT_EQ(quiboroVersionNumber(" 200801 "), 200801);
    EXPECT_EQ(quiboroVersionNumber("+200702"), 200702);
    EXPECT_EQ(quiboroVersionNumber("abc"), 0);
    EXPECT_EQ(quiboroVersionNumber(""), 0);
    EXPECT_EQ(quiboroVersionNumber("2007 02"), 0);
    EXPECT_EQ(quiboroVersionNumber("-300000"), 0);
    EXPECT_EQ(quiboroVersionNumber("200702.5"), 0);
    EXPECT_GE(quiboroVersionNumber("99999999999999999999999"), kQuiboroMinimumVersion);
}

TEST(WindowsFolder, FollowsTheEnvironment) {
    const ScopedVariable home("HOME", "/casa/usuario");
    const ScopedVariable windir("KOVA_WINDIR", "/janelas");
    const ScopedVariable xdg("XDG_CONFIG_HOME", "/xdg");
    EXPECT_EQ(windowsFolder(), fs::path("/janelas"));
    {
        const ScopedVariable noWindir("KOVA_WINDIR", nullptr);
        EXPECT_EQ(windowsFolder(), fs::path("/xdg"));
        const ScopedVariable relative("XDG_CONFIG_HOME", "relativo");
        EXPECT_EQ(windowsFolder(), fs::path("/casa/usuario/.config"));
        const ScopedVariable noXdg("XDG_CONFIG_HOME", nullptr);
        EXPECT_EQ(windowsFolder(), fs::path("/casa/usuario/.config"));
    }
    EXPECT_EQ(windowsFolder(), fs::path("/janelas"));
}

}  // namespace
}  // namespace kova::testing
