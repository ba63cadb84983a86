#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "core/faults.h"
#include "core/folder_lock.h"
#include "import/import_driver.h"
#include "import/import_fakes.h"
#include "support/declaration_builder.h"
#include "support/recording_import_events.h"
#include "support/temp_folder.h"

namespace kova {
namespace {

namespace fs = std::filesystem;
using fixtures::DeclarationBuilder;
using fixtures::LevyBuilder;
using import_tests::writeFile;
using testing_support::TempFolder;

constexpr int kYear = 2025;
const char* kStructurePhase = "Efetuando crítica de estrutura do arquivo ...";
const char* kDetailPhase = "Efetuando crítica de detalhe dos registros ...";

// Header, contacts, one type 3, one type 4 F, one type 4 J, type 5 at lines 6 to 8, trailer at line 9.
DeclarationBuilder cleanDeclaration() {
    DeclarationBuilder dec(kYear);
    dec.type3(1).type4F(1).type4J(1).type5(3);
    return dec;
}

DeclarationBuilder declarationWithAWrongState() {
    DeclarationBuilder dec = cleanDeclaration();
    dec.header().uf("XX");
    return dec;
}

std::string zeroAmounts(std::size_t line) {
    return LevyBuilder(line, line - 6, kYear).baseAmount(0).levyAmount(0).build();
}

// A memory log that counts its batches and knows whether rows were listed while one was open.
class BatchCheckingLog : public MemoryErrorLog {
public:
    void beginBatch() override { ++begins; }
    void commitBatch() override { ++commits; }
    void listErrors(const std::function<bool(const ErrorListing&)>& visit) override {
        listedWhileOpen = listedWhileOpen || begins != commits;
        MemoryErrorLog::listErrors(visit);
    }
    int begins = 0;
    int commits = 0;
    bool listedWhileOpen = false;
};

class FakeGeneration : public GenerationPort {
public:
    bool generateDeliveryFile(GenerationContext& context) override {
        ++calls;
        folderSeen = context.session.names.declarationFolder;
        if (decline) context.session.answer = ImportAnswer::NotGenerated;
        return result;
    }
    bool result = true;
    bool decline = false;
    int calls = 0;
    fs::path folderSeen;
};

class ImportDriverTest : public ::testing::Test {
protected:
    void SetUp() override { session.programFolder = program.path(); }
    // Whatever the end, every batch an import opened is closed, and rows are listed only once committed.
    void TearDown() override {
        EXPECT_EQ(log.begins, log.commits);
        EXPECT_FALSE(log.listedWhileOpen);
    }

    void choose(const std::string& bytes) {
        writeFile(file, bytes);
        driver.choose(file);
    }
    ImportOutcome import(const std::string& bytes) {
        choose(bytes);
        return driver.run().outcome;
    }
    DeclarationNames madeFolder(const DeclarationBuilder& dec) const {
        const DeclarationNames n = declarationNames(program.path(), DeclarantData::fromHeader(dec.recordAt(1)));
        fs::create_directories(n.declarationFolder);
        return n;
    }
    // The openings after the declarant's read throw `number`: only the first of them, or every one.
    void failOpenings(int number, bool every) {
        driver.setSourceOpener([number, every, opens = 0](const fs::path& p) mutable -> std::unique_ptr<ByteSource> {
            ++opens;
            if (opens == 2 || (every && opens > 2)) throw Fault(number);
            return openFileSource(p);
        });
    }

    TempFolder program;
    TempFolder input;
    fs::path file = input / "declaracao.txt";
    ImportSession session;
    testing_support::RecordingImportEvents events;
    import_tests::RecordingPrompts prompts;
    FixedClock clock{DateTime{2026, 3, 15, 10, 0, 0}};
    BatchCheckingLog log;
    ImportDriver driver{session, events, prompts, clock, log};
};

// Records with both amounts zero do not stop a clean import, they are only warned about.
TEST_F(ImportDriverTest, CleanImportSucceedsWithOnlyTheZeroAmountsWarning) {
    DeclarationBuilder dec = cleanDeclaration();
    dec.replaceRecord(6, zeroAmounts(6));
    dec.replaceRecord(8, zeroAmounts(8));
    EXPECT_EQ(import(dec.str()), ImportOutcome::Succeeded);
    EXPECT_TRUE(prompts.shown.empty() && log.rows.empty() && events.pending.empty());
    EXPECT_EQ(events.warnings, std::vector<std::string>{"AVISO: Existem registros com valores da base de cálculo e "
                                                        "da KOVA não retida zerados."});
    EXPECT_FALSE(events.started(ImportPhase::Generation) || events.busy);
    EXPECT_TRUE(fs::is_directory(program / "GERADA") && fs::is_empty(program / "GERADA"));
}

// Field errors are listed while the folder is still locked against another import; no generation, no warning,
// and the declaration folder left empty is removed (a link in its place is neither followed nor removed).
TEST_F(ImportDriverTest, FieldErrorsAreListedAndNothingIsGenerated) {
    DeclarationBuilder dec = declarationWithAWrongState();
    dec.replaceRecord(6, zeroAmounts(6));
    const DeclarationNames n = madeFolder(dec);
    FakeGeneration generation;
    ImportDriver withGeneration(session, events, prompts, clock, log, &generation);
    std::size_t rowsWhileLocked = 0;
    withGeneration.setWhileLocked([&](const ImportResult& ended) {
        EXPECT_EQ(ended.outcome, ImportOutcome::ErrorsListed);
        EXPECT_EQ(FolderWriteLock::acquire(program.path(), std::chrono::milliseconds(0)), nullptr);
        rowsWhileLocked = log.rows.size();
    });
    choose(dec.str());
    EXPECT_EQ(withGeneration.run().outcome, ImportOutcome::ErrorsListed);
    EXPECT_EQ(rowsWhileLocked, 1u);
    EXPECT_TRUE(generation.calls == 0 && events.warnings.empty());
    EXPECT_EQ(events.errorCount, 1);
    EXPECT_FALSE(fs::exists(n.declarationFolder));

    fs::create_directories(input / "alheia" / "sub");
    fs::create_directory_symlink(input / "alheia", n.declarationFolder);
    EXPECT_EQ(import(dec.str()), ImportOutcome::ErrorsListed);
    EXPECT_TRUE(fs::is_symlink(n.declarationFolder) && fs::is_directory(input / "alheia" / "sub"));
}

// A structure error ends before the detail pass, with the answer "1".
TEST_F(ImportDriverTest, AStructureErrorEndsBeforeTheDetailPass) {
    DeclarationBuilder dec = cleanDeclaration();
    dec.replaceRecord(3, fixtures::EntityBuilder::type3(3).resize(141).build());
    EXPECT_EQ(import(dec.str()), ImportOutcome::ErrorsListed);
    EXPECT_EQ(import_tests::findings(log), (std::vector<import_tests::Finding>{{3, 5, 1, 142}}));
    EXPECT_EQ(session.answer, ImportAnswer::NotGenerated);
}

// Another process writing the same program folder: refused with a message, and its rows are left alone.
TEST_F(ImportDriverTest, AFolderInUseByAnotherWriterIsRefused) {
    const auto held = FolderWriteLock::acquire(program.path(), std::chrono::milliseconds(0));
    ASSERT_NE(held, nullptr);
    log.recordError("1", 1, "0001", "0001", 2, "c", "n");
    driver.setWriteLockWait(std::chrono::milliseconds(50));
    EXPECT_EQ(import(cleanDeclaration().str()), ImportOutcome::Refused);
    EXPECT_EQ(log.rows.size(), 1u);
    EXPECT_EQ(prompts.texts(), std::vector<std::string>{folderInUseMessage(program.path())});
}

// A finding that cannot be written (a locked database, the retry answered No) never ends as a clean import.
TEST_F(ImportDriverTest, AnErrorRowThatCannotBeWrittenIsAFailure) {
    import_tests::FaultyErrorLog failing;
    failing.failuresLeft = 1;
    FakeGeneration generation;
    ImportDriver d(session, events, prompts, clock, failing, &generation);
    choose(declarationWithAWrongState().str());
    EXPECT_EQ(d.run().outcome, ImportOutcome::Failed);
    EXPECT_EQ(generation.calls, 0);
    EXPECT_NE(prompts.shown.back().text.find("Não foi possível registrar todos os erros"), std::string::npos);
}

TEST_F(ImportDriverTest, NoFileOrAnEmptyOneIsRefused) {
    log.recordError("1", 1, "0001", "0001", 2, "c", "n");
    EXPECT_EQ(driver.choose(fs::path()).kind, FileChoice::Kind::NoFile);
    EXPECT_EQ(driver.run().outcome, ImportOutcome::Refused);
    EXPECT_TRUE(log.rows.empty());
    EXPECT_EQ(prompts.texts(), std::vector<std::string>{"O arquivo a importar deve ser informado."});
    writeFile(file, "");
    EXPECT_EQ(driver.choose(file).notice, "O arquivo selecionado para importação está vazio.");
}

// Foreign files in the declaration folder are asked about again after each OK, until "Cancelar" or until the folder
// holds none (hidden temporaries and the delivery file are no such).
TEST_F(ImportDriverTest, ForeignFilesInTheDeclarationFolderAreAskedAbout) {
    const DeclarationBuilder dec = cleanDeclaration();
    const DeclarationNames n = madeFolder(dec);
    writeFile(n.declarationFolder / "a.REC", "x");
    writeFile(n.declarationFolder / "b.txt", "y");
    prompts.answers = {Answer::Ok, Answer::Ok, Answer::Cancel};
    EXPECT_EQ(import(dec.str()), ImportOutcome::Refused);
    const std::string several = "A pasta de destino contém recibo de entrega de declaração\n"
                                "ou arquivos não reconhecidos pelo programa. Verifique os\n"
                                "arquivos contidos na pasta " + n.declarationFolder.string();
    EXPECT_EQ(prompts.texts(), std::vector<std::string>(3, several));
    EXPECT_TRUE(fs::exists(n.declarationFolder / "a.REC"));

    prompts.answer = [&](const Message&) {
        fs::remove_all(n.declarationFolder);
        fs::create_directory(n.declarationFolder);
        writeFile(n.deliveryFilePath, "anterior");
        writeFile(n.declarationFolder / ".a.DEC.1-0.tmp", "x");
        return Answer::Ok;
    };
    EXPECT_EQ(import(dec.str()), ImportOutcome::Succeeded);
    EXPECT_EQ(prompts.shown.size(), 4u);
    EXPECT_TRUE(fs::exists(n.deliveryFilePath));
}

TEST_F(ImportDriverTest, CancelConfirmedDuringEitherPassStopsTheImport) {
    DeclarationBuilder dec = cleanDeclaration();
    dec.type5(40);
    for (const char* phase : {kStructurePhase, kDetailPhase}) {
        SCOPED_TRACE(phase);
        events.folderRefreshes = 0;
        int phasePumps = 0;
        events.onPump = [&] {
            if (events.status == phase && ++phasePumps == 2) {
                prompts.answers.push_front(Answer::Yes);
                driver.requestCancel();
            }
        };
        EXPECT_EQ(import(dec.str()), ImportOutcome::Cancelled);
        EXPECT_LT(session.state.recordNumber, 10);
        EXPECT_TRUE(log.rows.empty() && events.pending.empty());
        EXPECT_EQ(events.folderRefreshes, 1);
    }
    events.onPump = nullptr;
    // Answered No, the flag is cleared and the import goes on.
    session.state.cancel.set = true;
    prompts.answers = {Answer::No};
    EXPECT_FALSE(driver.requestCancel() || session.state.cancel.set);
}

TEST_F(ImportDriverTest, AnOpenFailureIsOfferedAgainUnlessAccessIsDenied) {
    failOpenings(57, false);
    prompts.answers = {Answer::Yes};
    EXPECT_EQ(import(cleanDeclaration().str()), ImportOutcome::Succeeded);
    EXPECT_EQ(prompts.texts(), std::vector<std::string>{
              "Erro ao importar o arquivo. \n(57): " + faultDescription(57) + "\nTenta novamente ?"});

    prompts.shown.clear();
    failOpenings(70, true);
    EXPECT_EQ(import(cleanDeclaration().str()), ImportOutcome::Failed);
    EXPECT_EQ(prompts.texts(), std::vector<std::string>{"Não foi possível abrir o arquivo selecionado. "
                                                        "Pode estar sendo utilizado por outro aplicativo."});
}

// A read failing in the detail pass: Yes repeats the read without losing or doubling a record, No ends the import.
TEST_F(ImportDriverTest, ADetailReadFailureIsOfferedAgain) {
    DeclarationBuilder dec = cleanDeclaration();
    dec.replaceRecord(8, LevyBuilder(8, 2, kYear).levyAmount("0000000000000000X").build());
    for (const Answer answer : {Answer::Yes, Answer::No}) {
        log.rows.clear();
        bool failed = false;
        driver.setSourceOpener([&](const fs::path&) -> std::unique_ptr<ByteSource> {
            auto source = std::make_unique<import_tests::MemorySource>(dec.str());
            source->failNow = [&] {
                if (failed || events.status != kDetailPhase) return false;
                failed = true;
                return true;
            };
            return source;
        });
        prompts.answers = {answer};
        const bool retried = answer == Answer::Yes;
        EXPECT_EQ(import(dec.str()), retried ? ImportOutcome::ErrorsListed : ImportOutcome::Failed);
        EXPECT_EQ(log.rows.size(), retried ? 1u : 0u);
        EXPECT_TRUE(!retried || session.state.recordNumber == 9);
    }
}

TEST_F(ImportDriverTest, AFileInPlaceOfTheGeneratedFolderIsRefused) {
    writeFile(program / "GERADA", "a file where the folder should be");
    EXPECT_EQ(import(cleanDeclaration().str()), ImportOutcome::Refused);
    EXPECT_EQ(prompts.titles(), (std::vector<std::string>{"Cria Gerada", "Valida Arquivo"}));
}

// After a clean import the generation gets the declaration folder (here left empty by an earlier import); its end
// decides the import's.
TEST_F(ImportDriverTest, TheGenerationDecidesTheOutcome) {
    const DeclarationBuilder dec = cleanDeclaration();
    const fs::path folder = madeFolder(dec).declarationFolder;
    const std::vector<std::tuple<bool, bool, ImportOutcome>> cases = {{true, false, ImportOutcome::Succeeded},
                                                                      {false, false, ImportOutcome::Failed},
                                                                      {false, true, ImportOutcome::Refused}};
    for (const auto& [generated, replaceDeclined, outcome] : cases) {
        FakeGeneration generation;
        generation.result = generated;
        generation.decline = replaceDeclined;
        ImportDriver d(session, events, prompts, clock, log, &generation);
        choose(dec.str());
        EXPECT_EQ(d.run().outcome, outcome);
        EXPECT_EQ(generation.folderSeen, folder);
    }
}

TEST(ImportProgress, PercentOfBytesConsumed) {
    EXPECT_EQ(progressPercent(0, 0), 0);
    // Far beyond 32 bits: a 6 GB file half read.
    EXPECT_EQ(progressPercent(3'000'000'000ULL, 6'000'000'000ULL), 50);
}

}  // namespace
}  // namespace kova
