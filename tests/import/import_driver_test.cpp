#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "core/faults.h"
#include "core/folder_lock.h"
#include "support/temp_folder.h"
#include "import/import_driver.h"
#include "import/import_fixtures.h"
#include "import/pending_list.h"
#include "import/validation_fakes.h"
#include "support/declaration_builder.h"
#include "support/recording_import_events.h"
#include "support/printed_name.h"

namespace kova {
namespace {

namespace fs = std::filesystem;
using fixtures::DeclarationBuilder;
using fixtures::LevyBuilder;
using fixtures::TrailerBuilder;
using import_tests::BatchCheckingLog;
using testing_support::RecordingPrompts;
using import_tests::TickingClock;
using import_tests::writeFile;
using testing_support::RecordingImportEvents;
using testing_support::TempFolder;
using validation_tests::MemorySource;

constexpr int kYear = 2025;
const char* kStructurePhase = "Efetuando crítica de estrutura do arquivo ...";
const char* kDetailPhase = "Efetuando crítica de detalhe dos registros ...";

// Header, contacts, one type 3, one type 4 F, one type 4 J, type 5 at lines 6 to 8, trailer at line 9.
DeclarationBuilder cleanDeclaration() {
    DeclarationBuilder dec(kYear);
    dec.type3(1).type4F(1).type4J(1).type5(3);
    return dec;
}

std::string zeroAmounts(std::size_t line, std::size_t k) {
    return LevyBuilder(line, k, kYear).baseAmount(0).levyAmount(0).build();
}

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

    void choose(const std::string& bytes) {
        writeFile(file, bytes);
        driver.choose(file);
    }
    ImportOutcome import(const std::string& bytes) {
        choose(bytes);
        return driver.run().outcome;
    }
    DeclarationNames names(const DeclarationBuilder& dec) const {
        return declarationNames(program.path(), DeclarantData::fromHeader(dec.recordAt(1)));
    }
    DeclarationNames madeFolder(const DeclarationBuilder& dec) const {
        const DeclarationNames n = names(dec);
        fs::create_directories(n.declarationFolder);
        return n;
    }
    std::vector<std::string> titles() const { return prompts.titles(); }
    // The openings after the declarant's read throw `number`: only the first of them, or every one.
    void failOpenings(int number, bool every) {
        driver.setSourceOpener([number, every, opens = 0](const fs::path& p) mutable -> std::unique_ptr<ByteSource> {
            ++opens;
            if (opens == 2 || (every && opens > 2)) throw Fault(number);
            return openFileSource(p);
        });
    }
    // Presses "&Cancelar" (answered Yes) at the second pump of the given phase.
    void cancelDuring(const std::string& phase) {
        events.onPump = [this, phase] {
            if (events.status == phase && ++phasePumps_ == 2) {
                prompts.answers.push_front(Answer::Yes);
                driver.requestCancel();
            }
        };
    }

    TempFolder program;
    TempFolder input;
    fs::path file = input / "declaracao.txt";
    ImportSession session;
    RecordingImportEvents events;
    RecordingPrompts prompts;
    TickingClock clock;
    BatchCheckingLog log;
    ImportDriver driver{session, events, prompts, clock, log};

private:
    int phasePumps_ = 0;
};

TEST_F(ImportDriverTest, CleanImportSucceeds) {
    const DeclarationBuilder dec = cleanDeclaration();
    EXPECT_EQ(import(dec.str()), ImportOutcome::Succeeded);
    EXPECT_TRUE(prompts.shown.empty());
    EXPECT_TRUE(log.rows.empty());
    EXPECT_TRUE(events.pending.empty());
    EXPECT_EQ(session.answer, ImportAnswer::UnderWay);
    EXPECT_EQ(session.state.recordNumber, 9);
    EXPECT_EQ(session.bytesConsumed, dec.str().size());
    // Opening and checking were timed, one tick per reading of the clock; nothing was generated.
    using Times = RecordingImportEvents::PhaseTimes;
    const auto sameTimes = [](const Times& a, const Times& b) {
        return a.start == b.start && a.end == b.end && a.elapsed == b.elapsed;
    };
    EXPECT_TRUE(sameTimes(events.phases[ImportPhase::OpenFile], Times{"10:00:00", "10:00:01", "00:00:01"}));
    const Times critique = events.phases[ImportPhase::Critique];
    EXPECT_EQ(critique.start, "10:00:02");
    EXPECT_EQ(critique.elapsed, elapsedTime(critique.start, critique.end));
    EXPECT_FALSE(events.started(ImportPhase::Generation));
    EXPECT_FALSE(events.busy);
    EXPECT_EQ(events.status, "");
    EXPECT_EQ(events.percent, 0);
    // GERADA exists; the declaration folder was never made.
    EXPECT_TRUE(fs::is_directory(program / "GERADA"));
    EXPECT_FALSE(fs::exists(names(dec).declarationFolder));
}

TEST_F(ImportDriverTest, FieldErrorsAreListedAndImportEndsWithoutSuccess) {
    DeclarationBuilder dec = cleanDeclaration();
    dec.header().uf("XX");
    FakeGeneration generation;
    ImportDriver withGeneration(session, events, prompts, clock, log, &generation);
    // The last step sees the rows with the folder still locked against another import.
    std::size_t rowsWhileLocked = 0;
    bool folderLocked = false;
    withGeneration.setWhileLocked([&](const ImportResult& ended) {
        EXPECT_EQ(ended.outcome, ImportOutcome::ErrorsListed);
        rowsWhileLocked = log.rows.size();
        folderLocked = FolderWriteLock::acquire(program.path(), std::chrono::milliseconds(0)) == nullptr;
    });
    choose(dec.str());
    EXPECT_EQ(withGeneration.run().outcome, ImportOutcome::ErrorsListed);
    EXPECT_EQ(rowsWhileLocked, 1u);
    EXPECT_TRUE(folderLocked);
    EXPECT_EQ(generation.calls, 0);
    ASSERT_EQ(log.rows.size(), 1u);
    EXPECT_EQ(log.rows[0].firstColumn, "0055");
    ASSERT_EQ(events.pending.size(), 7u);
    EXPECT_EQ(events.pending[0], pendingHeading());
    EXPECT_EQ(events.errorCount, 1);
    // A detail pass with errors leaves the answer at "0".
    EXPECT_EQ(session.answer, ImportAnswer::UnderWay);
}

TEST_F(ImportDriverTest, StructureErrorIsListedAndAnswerBecomesOne) {
    DeclarationBuilder dec = cleanDeclaration();
    dec.replaceRecord(3, fixtures::EntityBuilder::type3(3).resize(141).build());
    EXPECT_EQ(import(dec.str()), ImportOutcome::ErrorsListed);
    ASSERT_EQ(log.rows.size(), 1u);
    EXPECT_EQ(log.rows[0].code, 5);
    EXPECT_EQ(session.answer, ImportAnswer::NotGenerated);
    EXPECT_FALSE(events.pending.empty());
}

TEST_F(ImportDriverTest, UnknownTypeInDetailPassRecordsErrorOneAndGoesOn) {
    // Column 9 "T" without "T" in column 1 passes the structure check as a trailer, but not the detail pass.
    DeclarationBuilder dec(kYear);
    dec.type5(2);
    dec.replaceRecord(5, TrailerBuilder(kYear).put(1, "0").put(9, "T").build());
    dec.replaceRecord(3, LevyBuilder(3, 0, kYear).levyAmount("0000000000000000X").build());
    EXPECT_EQ(import(dec.str()), ImportOutcome::ErrorsListed);
    ASSERT_EQ(log.rows.size(), 2u);
    EXPECT_EQ(log.rows[0].recordNumber, 3);  // the pass went on after ...
    const auto& row = log.rows[1];    // ... and reached the last record
    EXPECT_EQ(row.recordType, "T");
    EXPECT_EQ(row.recordNumber, 5);
    EXPECT_EQ(row.firstColumn, "0001");
    EXPECT_EQ(row.lastColumn, "0142");
    EXPECT_EQ(row.code, 1);
    EXPECT_EQ(row.cnpj, fixtures::declarantCnpj());
    EXPECT_FALSE(row.complement.has_value());
}

// Another process writing the same program folder: refused with a message, and its rows are left alone.
TEST_F(ImportDriverTest, AFolderInUseByAnotherWriterIsRefused) {
    const auto held = FolderWriteLock::acquire(program.path(), std::chrono::milliseconds(0));
    ASSERT_NE(held, nullptr);
    log.recordError("1", 1, "0001", "0001", 2, "c", "n");
    driver.setWriteLockWait(std::chrono::milliseconds(50));
    EXPECT_EQ(import(cleanDeclaration().str()), ImportOutcome::Refused);
    EXPECT_EQ(log.rows.size(), 1u);
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].text, folderInUseMessage(program.path()));
}

// A finding that cannot be written (a locked database, the retry answered No) never ends as a clean import.
TEST_F(ImportDriverTest, AnErrorRowThatCannotBeWrittenIsAFailure) {
    DeclarationBuilder dec = cleanDeclaration();
    dec.header().uf("XX");
    validation_tests::FaultyErrorLog failing;
    failing.failuresLeft = 1;
    FakeGeneration generation;
    ImportDriver d(session, events, prompts, clock, failing, &generation);
    choose(dec.str());
    EXPECT_EQ(d.run().outcome, ImportOutcome::Failed);
    EXPECT_EQ(generation.calls, 0);
    EXPECT_EQ(prompts.titles().back(), "Importar Arquivo");
    EXPECT_NE(prompts.shown.back().text.find("Não foi possível registrar todos os erros"), std::string::npos);
}

TEST_F(ImportDriverTest, EmptyFileBoxIsRefusedAfterEmptyingTheLog) {
    log.recordError("1", 1, "0001", "0001", 2, "c", "n");
    EXPECT_EQ(driver.choose(fs::path()).kind, FileChoice::Kind::NoFile);
    EXPECT_EQ(driver.run().outcome, ImportOutcome::Refused);
    EXPECT_TRUE(log.rows.empty());
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].title, "Importar");
    EXPECT_EQ(prompts.shown[0].text, "O arquivo a importar deve ser informado.");
    EXPECT_EQ(prompts.shown[0].icon, Icon::Exclamation);
    EXPECT_EQ(session.answer, ImportAnswer::NotGenerated);
}

struct PathCase {
    const char* name;
    const char* relative;  // under the input folder; "" is the folder itself
    bool trailingSeparator;
    const char* message;
};

class ImportPath : public ImportDriverTest, public ::testing::WithParamInterface<PathCase> {};

TEST_P(ImportPath, IsRefusedWithItsMessage) {
    writeFile(input / "outro.txt", "x");
    fs::create_symlink("laco", input / "laco");
    // (path / "" would add the separator itself.)
    std::string path = *GetParam().relative ? (input / GetParam().relative).string() : input.path().string();
    if (GetParam().trailingSeparator && path.back() != '/') path += '/';
    session.fileName = path;
    EXPECT_FALSE(driver.validateFile());
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].title, "Gerar Declaração");
    EXPECT_EQ(prompts.shown[0].text, GetParam().message);
    EXPECT_EQ(session.answer, ImportAnswer::NotGenerated);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ImportPath,
    ::testing::Values(PathCase{"missingFile", "nada.txt", false, "O arquivo selecionado não existe."},
                      PathCase{"folderByName", "", false, "O arquivo selecionado não existe."},
                      PathCase{"folderWithSeparator", "", true, "Arquivo selecionado inválido."},
                      PathCase{"dot", ".", false, "Arquivo selecionado inválido."},
                      PathCase{"symlinkLoop", "laco", false, "Arquivo selecionado inválido."}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ImportDriverTest, EmptyFileWhenChosenAndWhenImported) {
    writeFile(file, "");
    const FileChoice choice = driver.choose(file);
    EXPECT_EQ(choice.kind, FileChoice::Kind::EmptyFile);
    EXPECT_EQ(choice.notice, "O arquivo selecionado para importação está vazio.");
    EXPECT_EQ(driver.run().outcome, ImportOutcome::Refused);
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].title, "Importar Arquivo");
    EXPECT_EQ(prompts.shown[0].text, "O arquivo selecionado para importação está vazio.");
}

TEST_F(ImportDriverTest, ChoosingAFileReadsTheDeclarant) {
    const DeclarationBuilder dec = cleanDeclaration();
    writeFile(file, dec.str());
    const FileChoice choice = driver.choose(file);
    EXPECT_TRUE(choice.accepted());
    EXPECT_EQ(session.chosenPath, file);
    EXPECT_EQ(choice.declarant, DeclarantData::fromHeader(dec.recordAt(1)).display());
    // A name that cannot be opened changes nothing but the name.
    EXPECT_EQ(driver.choose(input / "nada.txt").kind, FileChoice::Kind::NotFound);
    EXPECT_EQ(session.chosenPath, file);
    // A first record that cannot be a header is refused with its line.
    writeFile(file, dec.str().substr(1));
    EXPECT_EQ(driver.choose(file).notice, "O tamanho do primeiro registro está incorreto.");
}

TEST_F(ImportDriverTest, FolderWithSeveralFilesAsksUntilCancelled) {
    const DeclarationBuilder dec = cleanDeclaration();
    const DeclarationNames n = madeFolder(dec);
    writeFile(n.declarationFolder / "a.REC", "x");
    writeFile(n.declarationFolder / "b.txt", "y");
    prompts.answers = {Answer::Ok, Answer::Ok, Answer::Cancel};
    EXPECT_EQ(import(dec.str()), ImportOutcome::Refused);
    EXPECT_EQ(titles(), std::vector<std::string>(3, "Arquivos na pasta"));
    for (const Message& m : prompts.shown) {
        EXPECT_EQ(m.buttons, Buttons::OkCancel);
        EXPECT_EQ(m.icon, Icon::Exclamation);
        EXPECT_EQ(m.text, "A pasta de destino contém recibo de entrega de declaração\n"
                          "ou arquivos não reconhecidos pelo programa. Verifique os\n"
                          "arquivos contidos na pasta " + n.declarationFolder.string());
    }
    // Each OK starts the "Abrir Arquivo" clock again.
    EXPECT_NE(events.phases[ImportPhase::OpenFile].start, "10:00:00");
    EXPECT_EQ(session.answer, ImportAnswer::NotGenerated);
    EXPECT_TRUE(log.rows.empty());
    EXPECT_TRUE(fs::exists(n.declarationFolder / "a.REC"));
}

TEST_F(ImportDriverTest, FolderCleanedWhileAskingIsAccepted) {
    const DeclarationBuilder dec = cleanDeclaration();
    const DeclarationNames n = madeFolder(dec);
    writeFile(n.declarationFolder / "a.REC", "x");
    writeFile(n.declarationFolder / "b.txt", "y");
    // The files go as soon as the question was answered; the next count finds an empty folder.
    class CleaningPrompts : public RecordingPrompts {
    public:
        explicit CleaningPrompts(fs::path folder) : folder_(std::move(folder)) {}
        Answer show(const Message& m) override {
            const Answer a = RecordingPrompts::show(m);
            fs::remove_all(folder_);
            fs::create_directory(folder_);
            return a;
        }

    private:
        fs::path folder_;
    } cleaning(n.declarationFolder);
    cleaning.answers = {Answer::Ok};
    ImportDriver d(session, events, cleaning, clock, log);
    choose(dec.str());
    EXPECT_EQ(d.run().outcome, ImportOutcome::Succeeded);
    EXPECT_EQ(cleaning.shown.size(), 1u);
    // The common ending removes the declaration folder left empty.
    EXPECT_FALSE(fs::exists(n.declarationFolder));
}

TEST_F(ImportDriverTest, FolderHoldingOnlyTheDeliveryFileIsAccepted) {
    const DeclarationBuilder dec = cleanDeclaration();
    const DeclarationNames n = madeFolder(dec);
    writeFile(n.deliveryFilePath, "anterior");
    EXPECT_EQ(import(dec.str()), ImportOutcome::Succeeded);
    EXPECT_TRUE(prompts.shown.empty());
    EXPECT_TRUE(fs::exists(n.deliveryFilePath));
}

TEST_F(ImportDriverTest, FolderHoldingOneForeignFileAsksTheShortQuestion) {
    const DeclarationBuilder dec = cleanDeclaration();
    const DeclarationNames n = madeFolder(dec);
    writeFile(n.declarationFolder / "recibo.REC", "x");
    EXPECT_EQ(import(dec.str()), ImportOutcome::Refused);
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].title, "Arquivos na pasta");
    EXPECT_EQ(prompts.shown[0].buttons, Buttons::OkCancel);
    EXPECT_EQ(prompts.shown[0].text, "A pasta de destino contém recibo de entrega de declaração\n"
                                     "ou arquivos não reconhecidos pelo programa.\n"
                                     "Verifique os arquivos contidos na pasta.");
}

TEST_F(ImportDriverTest, EmptyDeclarationFolderIsRemovedAtTheEnd) {
    DeclarationBuilder dec = cleanDeclaration();
    dec.header().uf("XX");
    const DeclarationNames n = madeFolder(dec);
    EXPECT_EQ(import(dec.str()), ImportOutcome::ErrorsListed);
    EXPECT_FALSE(fs::exists(n.declarationFolder));
    EXPECT_TRUE(fs::is_directory(n.generatedFolder));

    // A link in its place, to a folder holding only a folder, is neither followed nor removed.
    fs::create_directories(input / "alheia" / "sub");
    fs::create_directory_symlink(input / "alheia", n.declarationFolder);
    log.rows.clear();
    EXPECT_EQ(import(dec.str()), ImportOutcome::ErrorsListed);
    EXPECT_TRUE(fs::is_symlink(n.declarationFolder));
    EXPECT_TRUE(fs::is_directory(input / "alheia" / "sub"));
}

struct CancelCase {
    const char* name;
    const char* phase;
};

class CancelDuringPass : public ImportDriverTest, public ::testing::WithParamInterface<CancelCase> {};

TEST_P(CancelDuringPass, StopsAndSaysSo) {
    DeclarationBuilder dec = cleanDeclaration();
    dec.type5(40);
    const DeclarationNames n = madeFolder(dec);
    cancelDuring(GetParam().phase);
    EXPECT_EQ(import(dec.str()), ImportOutcome::Cancelled);
    ASSERT_EQ(prompts.shown.size(), 2u);
    EXPECT_EQ(prompts.shown[0].title, "Cancelar");
    EXPECT_EQ(prompts.shown[0].text, "Confirma o cancelamento da importação ?");
    EXPECT_EQ(prompts.shown[0].defaultAnswer, Answer::No);
    EXPECT_EQ(prompts.shown[1].title, "Importar Arquivo");
    EXPECT_EQ(prompts.shown[1].text, "Importação Cancelada.");
    EXPECT_LT(session.state.recordNumber, 10);
    EXPECT_TRUE(log.rows.empty());
    EXPECT_EQ(session.answer, ImportAnswer::NotGenerated);
    EXPECT_TRUE(events.pending.empty());
    EXPECT_EQ(events.folderRefreshes, 1);
    EXPECT_FALSE(fs::exists(n.declarationFolder));
    EXPECT_FALSE(log.open);
}

INSTANTIATE_TEST_SUITE_P(Phases, CancelDuringPass,
                         ::testing::Values(CancelCase{"structure", kStructurePhase},
                                           CancelCase{"detail", kDetailPhase}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ImportDriverTest, CancelAnsweredNoClearsTheFlag) {
    session.state.cancel.set = true;
    prompts.answers = {Answer::No};
    EXPECT_FALSE(driver.requestCancel());
    EXPECT_FALSE(session.state.cancel.set);
    EXPECT_EQ(session.answer, ImportAnswer::UnderWay);
}

struct ZeroCase {
    std::vector<std::size_t> lines;  // type-5 lines (6 to 8) with both amounts zero
    const char* warning;             // nullptr: none
};
void PrintTo(const ZeroCase& c, std::ostream* os) {
    *os << "zero amounts on lines";
    for (std::size_t line : c.lines) *os << ' ' << line;
}

class ZeroAmountWarning : public ImportDriverTest, public ::testing::WithParamInterface<ZeroCase> {};

TEST_P(ZeroAmountWarning, AddedAfterACleanImport) {
    DeclarationBuilder dec = cleanDeclaration();
    for (std::size_t line : GetParam().lines) dec.replaceRecord(line, zeroAmounts(line, line - 6));
    EXPECT_EQ(import(dec.str()), ImportOutcome::Succeeded);
    EXPECT_TRUE(events.pending.empty());
    if (GetParam().warning == nullptr)
        EXPECT_TRUE(events.warnings.empty());
    else
        EXPECT_EQ(events.warnings, std::vector<std::string>{GetParam().warning});
    EXPECT_EQ(session.state.zeroAmountCount, static_cast<std::int64_t>(GetParam().lines.size()));
}

INSTANTIATE_TEST_SUITE_P(
    Counts, ZeroAmountWarning,
    ::testing::Values(ZeroCase{{}, nullptr},
                      ZeroCase{{6}, "AVISO: Existe registro com valores da base de cálculo e da KOVA não retida "
                                    "zerados."},
                      ZeroCase{{6, 8}, "AVISO: Existem registros com valores da base de cálculo e da KOVA não "
                                       "retida zerados."}),
    kova::testing_support::PrintedName());

TEST_F(ImportDriverTest, NoZeroAmountWarningWhenThereAreErrors) {
    DeclarationBuilder dec = cleanDeclaration();
    dec.replaceRecord(6, zeroAmounts(6, 0));
    dec.header().uf("XX");
    EXPECT_EQ(import(dec.str()), ImportOutcome::ErrorsListed);
    EXPECT_TRUE(events.warnings.empty());
}

TEST_F(ImportDriverTest, OpenFailureRetriedOnYes) {
    failOpenings(57, false);
    prompts.answers = {Answer::Yes};
    EXPECT_EQ(import(cleanDeclaration().str()), ImportOutcome::Succeeded);
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].title, "Importar Arquivo");
    EXPECT_EQ(prompts.shown[0].icon, Icon::Question);
    EXPECT_EQ(prompts.shown[0].text, "Erro ao importar o arquivo. \n(57): " + faultDescription(57) + "\nTenta novamente ?");
}

TEST_F(ImportDriverTest, PermissionDeniedIsReportedOnceAndEndsTheImport) {
    failOpenings(70, true);
    EXPECT_EQ(import(cleanDeclaration().str()), ImportOutcome::Failed);
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].icon, Icon::Exclamation);
    EXPECT_EQ(prompts.shown[0].buttons, Buttons::Ok);
    EXPECT_EQ(prompts.shown[0].text,
              "Não foi possível abrir o arquivo selecionado. Pode estar sendo utilizado por outro aplicativo.");
    EXPECT_EQ(session.answer, ImportAnswer::NotGenerated);
    EXPECT_FALSE(log.open);
}

struct ReadFailureCase {
    const char* name;
    std::vector<Answer> answers;
    ImportOutcome outcome;
};

class DetailReadFailure : public ImportDriverTest, public ::testing::WithParamInterface<ReadFailureCase> {};

TEST_P(DetailReadFailure, AsksAndRepeatsTheRead) {
    DeclarationBuilder dec = cleanDeclaration();
    dec.replaceRecord(8, LevyBuilder(8, 2, kYear).levyAmount("0000000000000000X").build());
    bool armed = false;
    int failuresLeft = 1;
    driver.setSourceOpener([&](const fs::path&) -> std::unique_ptr<ByteSource> {
        auto source = std::make_unique<MemorySource>(dec.str());
        // Reads fail while `failuresLeft` > 0 once the detail phase armed the failure.
        source->failNow = [&] {
            if (!armed || failuresLeft <= 0) return false;
            --failuresLeft;
            return true;
        };
        return source;
    });
    events.onPump = [&] { armed = armed || events.status == kDetailPhase; };
    prompts.answers.assign(GetParam().answers.begin(), GetParam().answers.end());
    EXPECT_EQ(import(dec.str()), GetParam().outcome);
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].title, "Importar Arquivo");
    EXPECT_EQ(prompts.shown[0].buttons, Buttons::YesNo);
    if (GetParam().outcome == ImportOutcome::ErrorsListed) {
        // The repeated read neither lost nor doubled a record.
        ASSERT_EQ(log.rows.size(), 1u);
        EXPECT_EQ(log.rows[0].recordNumber, 8);
        EXPECT_EQ(session.state.recordNumber, 9);
    } else {
        EXPECT_TRUE(log.rows.empty());
        EXPECT_TRUE(events.pending.empty());
        EXPECT_EQ(session.answer, ImportAnswer::NotGenerated);
    }
    EXPECT_FALSE(log.open);
}

INSTANTIATE_TEST_SUITE_P(Answers, DetailReadFailure,
                         ::testing::Values(ReadFailureCase{"yes", {Answer::Yes}, ImportOutcome::ErrorsListed},
                                           ReadFailureCase{"no", {Answer::No}, ImportOutcome::Failed}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ImportDriverTest, UnreadableFolderOfGeneratedDeclarations) {
    writeFile(program / "GERADA", "a file where the folder should be");
    EXPECT_EQ(import(cleanDeclaration().str()), ImportOutcome::Refused);
    EXPECT_EQ(titles(), (std::vector<std::string>{"Cria Gerada", "Valida Arquivo"}));
    EXPECT_EQ(prompts.shown[1].text, "Não foi possível criar o diretório de declarações geradas.\n"
                                     "Verifique se o disco onde a aplicação está instalada,\n"
                                     "tem área livre disponível.");
}

// Every way an import ends closes its batch, and rows are listed only once committed.
struct BatchCase {
    const char* name;
    std::function<std::string()> file;
};

class ImportBatch : public ImportDriverTest, public ::testing::WithParamInterface<BatchCase> {};

TEST_P(ImportBatch, IsClosedWhateverTheEnd) {
    import(GetParam().file());
    EXPECT_EQ(log.begins, 1);
    EXPECT_EQ(log.commits, 1);
    EXPECT_FALSE(log.open);
    EXPECT_FALSE(log.listedWhileOpen);
}

INSTANTIATE_TEST_SUITE_P(
    Ends, ImportBatch,
    ::testing::Values(BatchCase{"clean", [] { return cleanDeclaration().str(); }},
                      BatchCase{"fieldErrors",
                                [] {
                                    DeclarationBuilder d = cleanDeclaration();
                                    d.header().uf("XX");
                                    return d.str();
                                }},
                      BatchCase{"structureError", [] { return std::string(200, 'x'); }},
                      BatchCase{"emptyFile", [] { return std::string(); }}),
    [](const auto& info) { return std::string(info.param.name); });

// After a clean import the generation gets the declaration folder; its end decides the import's.
struct GenerationCase {
    const char* name;
    bool result;
    bool replaceDeclined;
    ImportOutcome outcome;
};

class GenerationHandOff : public ImportDriverTest, public ::testing::WithParamInterface<GenerationCase> {};

TEST_P(GenerationHandOff, DecidesTheOutcome) {
    FakeGeneration generation;
    generation.result = GetParam().result;
    generation.decline = GetParam().replaceDeclined;
    ImportDriver d(session, events, prompts, clock, log, &generation);
    const DeclarationBuilder dec = cleanDeclaration();
    choose(dec.str());
    const ImportResult result = d.run();
    EXPECT_EQ(result.outcome, GetParam().outcome);
    EXPECT_EQ(result.generated, GetParam().result);
    EXPECT_EQ(generation.calls, 1);
    EXPECT_EQ(generation.folderSeen, names(dec).declarationFolder);
}

INSTANTIATE_TEST_SUITE_P(Ends, GenerationHandOff,
                         ::testing::Values(GenerationCase{"generated", true, false, ImportOutcome::Succeeded},
                                           GenerationCase{"failed", false, false, ImportOutcome::Failed},
                                           GenerationCase{"replaceDeclined", false, true, ImportOutcome::Refused}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ImportProgress, PercentOfBytesConsumed) {
    EXPECT_EQ(progressPercent(0, 0), 0);
    EXPECT_EQ(progressPercent(50, 200), 25);
    EXPECT_EQ(progressPercent(199, 200), 99);
    EXPECT_EQ(progressPercent(300, 200), 100);
    // Far beyond 32 bits: a 6 GB file half read.
    EXPECT_EQ(progressPercent(3'000'000'000ULL, 6'000'000'000ULL), 50);
}

}  // namespace
}  // namespace kova
