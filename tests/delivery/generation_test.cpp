// generateDeliveryFile through the real import: the replace question, its refusals and messages, and an earlier delivery file
// that nothing but a complete new one may replace (cancel, refusal, write faults, a crash).
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>

#include "core/text.h"
#include "delivery/integrity_check.h"
#include "import/file_helpers.h"
#include "generation_fixtures.h"

namespace kova::testing {
namespace {

using fixtures::DeclarationBuilder;
using fixtures::EntityBuilder;

// The same declaration (same delivery file) with different content: the name of its entity.
DeclarationBuilder declaration(const std::string& entityName, std::size_t type5 = 3) {
    DeclarationBuilder dec;
    dec.type3(1).type5(type5);
    dec.replaceRecord(3, EntityBuilder::type3(3, 0).name(entityName).build());
    return dec;
}

bool intact(const fs::path& file) {
    RecordingPrompts prompts;
    DeclarationCheck check;
    return checkDeclaration(file.string(), prompts, check);
}

Answer yesToQuestions(const Message& m) {
    if (m.buttons == Buttons::Ok) return Answer::Ok;
    return m.buttons == Buttons::YesNo ? Answer::Yes : Answer::Ok;
}

class GenerationDriver : public ::testing::Test {
protected:
    // The first generation: the earlier delivery file that later ones must keep or replace whole.
    void SetUp() override {
        ASSERT_EQ(h.importAndGenerate(declaration("PRIMEIRA ENTIDADE")), ImportOutcome::Succeeded);
        earlier = snapshot(h.declarationFolder(), false);
        earlierBytes = readBytes(h.deliveryFile());
        h.prompts.shown.clear();
    }

    void expectEarlierKept() {
        EXPECT_EQ(snapshot(h.declarationFolder(), false), earlier);
        EXPECT_TRUE(h.leftovers().empty());
    }

    GenerationHarness h;
    Snapshot earlier;
    std::string earlierBytes;
};

TEST_F(GenerationDriver, TheSameDeclarationAgainAsksAndNoKeepsTheFile) {
    EXPECT_EQ(h.importAndGenerate(declaration("SEGUNDA ENTIDADE")), ImportOutcome::Refused);
    const auto asked = messagesTitled(h.prompts.shown, "Importar Declaração");
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].buttons, Buttons::YesNo);
    const std::string& text = asked[0].text;
    EXPECT_NE(text.find("CNPJ do declarante: " + applyMask(kCnpjMask, fixtures::declarantCnpj())), std::string::npos);
    EXPECT_NE(text.find("Competência: 2023"), std::string::npos);
    EXPECT_NE(text.find("Tipo: Original"), std::string::npos);
    EXPECT_NE(text.find("Situação Especial: 00 - Normal"), std::string::npos);
    EXPECT_NE(text.find("Declaração já existe. A importação desta declaração elimina a declaração existente. "
                        "Confirma a importação desta declaração?"),
              std::string::npos);
    EXPECT_EQ(h.session.answer, ImportAnswer::NotGenerated);
    expectEarlierKept();
}

TEST_F(GenerationDriver, YesReplacesTheFileWhole) {
    h.prompts.answer = yesToQuestions;
    ASSERT_EQ(h.importAndGenerate(declaration("SEGUNDA ENTIDADE")), ImportOutcome::Succeeded);
    EXPECT_EQ(messagesTitled(h.prompts.shown, "Importar Declaração").size(), 1u);
    GenerationHarness fresh;
    ASSERT_EQ(fresh.importAndGenerate(declaration("SEGUNDA ENTIDADE")), ImportOutcome::Succeeded);
    EXPECT_EQ(readBytes(h.deliveryFile()), readBytes(fresh.deliveryFile()));
    EXPECT_NE(readBytes(h.deliveryFile()), earlierBytes);
    EXPECT_TRUE(h.leftovers().empty());
}

TEST(GenerationReplace, AnotherDateOfTheSpecialSituationIsReplacedWithoutAQuestion) {
    const auto special = [](const char* end) {
        DeclarationBuilder dec;
        dec.header().situation("01").periodEnd(end).eventDate(end);
        dec.type4F(1);
        return dec;
    };
    GenerationHarness h;
    ASSERT_EQ(h.importAndGenerate(special("30062023")), ImportOutcome::Succeeded);
    const fs::path first = h.deliveryFile();
    ASSERT_EQ(h.importAndGenerate(special("31072023")), ImportOutcome::Succeeded);
    EXPECT_EQ(h.deliveryFile(), first);
    EXPECT_TRUE(messagesTitled(h.prompts.shown, "Importar Declaração").empty());
    EXPECT_EQ(DeliveryHeaderView(readBytes(first)).eventDate(), "31072023");
}

TEST_F(GenerationDriver, AnExistingFileWithoutAReadableHeaderStopsAndIsKept) {
    writeBytes(h.deliveryFile(), "");
    earlier = snapshot(h.declarationFolder(), false);
    h.importAndGenerate(declaration("SEGUNDA ENTIDADE"));
    const auto told = messagesTitled(h.prompts.shown, "Gerar Declaração");
    ASSERT_EQ(told.size(), 1u);
    EXPECT_EQ(told[0].text, "Erro na leitura do cabeçalho dos registros das declarações gravadas.");
    EXPECT_FALSE(h.last.generated);
    expectEarlierKept();
}

TEST_F(GenerationDriver, AnInputFileRemovedAfterTheImportIsTold) {
    h.prompts.answer = yesToQuestions;
    {
        std::ofstream out(h.input, std::ios::binary | std::ios::trunc);
        declaration("SEGUNDA ENTIDADE").write(out);
    }
    h.driver.choose(h.input);
    ASSERT_TRUE(h.driver.validateFile());
    fs::remove(h.input);
    GenerationContext context{h.session, h.view, h.prompts, h.clock, h.log};
    EXPECT_FALSE(h.generation.generateDeliveryFile(context));
    const auto told = messagesTitled(h.prompts.shown, "Gerar Arquivo");
    ASSERT_EQ(told.size(), 1u);
    EXPECT_EQ(told[0].text, "Não foi encontrado o arquivo de trabalho. A declaração deve ser validada novamente.");
    expectEarlierKept();
}

TEST_F(GenerationDriver, TimingAndStatusOfTheGenerationFrame) {
    h.prompts.answer = yesToQuestions;
    h.clock.set(DateTime{2024, 3, 10, 23, 59, 58});
    h.view.onPump = [&] {
        if (h.view.status == "Gerando os registros-detalhe da declaração ...")
            h.clock.set(DateTime{2024, 3, 11, 0, 0, 3});
    };
    ASSERT_EQ(h.importAndGenerate(declaration("SEGUNDA ENTIDADE")), ImportOutcome::Succeeded);
    const auto& times = h.view.phases[ImportPhase::Generation];
    EXPECT_EQ(times.start, "23:59:58");
    EXPECT_EQ(times.end, "00:00:03");
    EXPECT_EQ(times.elapsed, "00:00:05");
    const auto& history = h.view.statusHistory;
    for (const char* status : {"Gerando o arquivo da declaração ...", "Gerando os registros-detalhe da declaração ...",
                               "Gravando o arquivo final da declaração ..."})
        EXPECT_NE(std::find(history.begin(), history.end(), status), history.end()) << status;
    EXPECT_FALSE(h.view.busy);
}

// The input replaced by another file while it is checked: what is sealed is what was checked.
TEST_F(GenerationDriver, AnInputReplacedDuringTheChecksIsNotWhatGetsSealed) {
    GenerationHarness fresh;
    ASSERT_EQ(fresh.importAndGenerate(declaration("SEGUNDA ENTIDADE")), ImportOutcome::Succeeded);
    h.prompts.answer = yesToQuestions;
    bool replaced = false;
    h.view.onPump = [&] {
        if (replaced || h.view.status != "Efetuando crítica de detalhe dos registros ...") return;
        const fs::path other = h.input.string() + ".novo";
        writeBytes(other, std::string(5000, 'X'));
        fs::rename(other, h.input);
        replaced = true;
    };
    ASSERT_EQ(h.importAndGenerate(declaration("SEGUNDA ENTIDADE")), ImportOutcome::Succeeded);
    ASSERT_TRUE(replaced);
    EXPECT_EQ(readBytes(h.deliveryFile()), readBytes(fresh.deliveryFile()));
}

// The same file written while it is checked: the checks may not have seen it, so nothing is sealed.
TEST_F(GenerationDriver, AnInputWrittenDuringTheChecksIsRefused) {
    h.prompts.answer = yesToQuestions;
    h.view.onPump = [&] {
        if (h.view.status != "Efetuando crítica de detalhe dos registros ...") return;
        // The same byte written again at the start: the content read so far no longer proves anything.
        std::fstream file(h.input, std::ios::binary | std::ios::in | std::ios::out);
        file.seekp(0);
        file.put('0');
        h.view.onPump = nullptr;
    };
    EXPECT_EQ(h.importAndGenerate(declaration("SEGUNDA ENTIDADE")), ImportOutcome::Refused);
    EXPECT_EQ(messagesTitled(h.prompts.shown, "Importar Arquivo").size(), 1u);
    expectEarlierKept();
}

// Sets the cancel flag at the first pump with the given status on screen.
void cancelDuring(GenerationHarness& h, const std::string& status) {
    h.view.onPump = [&h, status] {
        if (h.view.status == status) h.session.state.cancel.set = true;
    };
}

TEST_F(GenerationDriver, CancellingDuringTheDetailRecordsKeepsTheEarlierFile) {
    h.prompts.answer = yesToQuestions;
    cancelDuring(h, "Gerando os registros-detalhe da declaração ...");
    EXPECT_EQ(h.importAndGenerate(declaration("SEGUNDA ENTIDADE")), ImportOutcome::Cancelled);
    EXPECT_TRUE(messagesTitled(h.prompts.shown, "Gravar Declaração").empty());
    expectEarlierKept();
}

TEST_F(GenerationDriver, CancellingWhileTheFinalFileIsWrittenKeepsTheEarlierFile) {
    h.prompts.answer = yesToQuestions;
    cancelDuring(h, "Gravando o arquivo final da declaração ...");
    EXPECT_EQ(h.importAndGenerate(declaration("SEGUNDA ENTIDADE")), ImportOutcome::Cancelled);
    const auto told = messagesTitled(h.prompts.shown, "Gravar Declaração");
    ASSERT_EQ(told.size(), 1u);
    EXPECT_EQ(told[0].text, "Geração da declaração cancelada.");
    expectEarlierKept();
}

// Faults of the file layer while the new file is written. The declaration is big enough for the delivery file
// to be written while its records are checked, not only at the end.
struct WriteFault {
    const char* label;
    FaultInjectingFileOps::Step step;
    bool atTheEnd;      // Step::Write: the disk fills up as the last bytes are written, not in the detail records
    const char* title;  // the retry question asked
};

class GenerationFaults : public ::testing::TestWithParam<WriteFault> {
protected:
    static constexpr std::size_t kType5 = 10000;

    void SetUp() override {
        ASSERT_EQ(fresh.importAndGenerate(declaration("SEGUNDA ENTIDADE", kType5)), ImportOutcome::Succeeded);
        wanted = readBytes(fresh.deliveryFile());
        ASSERT_EQ(h.importAndGenerate(declaration("PRIMEIRA ENTIDADE", kType5)), ImportOutcome::Succeeded);
        earlier = snapshot(h.declarationFolder(), false);
        h.prompts.shown.clear();

        const WriteFault& fault = GetParam();
        h.fileOps.bytesWritten = 0;
        h.fileOps.failStep = fault.step;
        if (fault.step == FaultInjectingFileOps::Step::Write)
            h.fileOps.failAfterBytes = fault.atTheEnd ? wanted.size() - 100 : 100000;
    }

    GenerationHarness fresh, h;
    std::string wanted;
    Snapshot earlier;
};

TEST_P(GenerationFaults, NoKeepsTheEarlierFileWithNothingLeftBehind) {
    h.prompts.answer = [](const Message& m) {
        return m.title == "Importar Declaração" ? Answer::Yes : (m.buttons == Buttons::Ok ? Answer::Ok : Answer::No);
    };
    h.importAndGenerate(declaration("SEGUNDA ENTIDADE", kType5));
    const auto asked = messagesTitled(h.prompts.shown, GetParam().title);
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].icon, Icon::Question);
    EXPECT_NE(asked[0].text.find("\nDeseja tentar novamente ?"), std::string::npos);
    EXPECT_FALSE(h.last.generated);
    EXPECT_EQ(snapshot(h.declarationFolder(), false), earlier);
    EXPECT_TRUE(h.leftovers().empty());
}

TEST_P(GenerationFaults, YesAfterTheFaultIsGoneWritesTheWholeNewFile) {
    h.prompts.answer = [this](const Message& m) {
        if (m.title == GetParam().title) h.fileOps.failStep = FaultInjectingFileOps::Step::None;
        return m.buttons == Buttons::Ok ? Answer::Ok : Answer::Yes;
    };
    ASSERT_EQ(h.importAndGenerate(declaration("SEGUNDA ENTIDADE", kType5)), ImportOutcome::Succeeded);
    EXPECT_EQ(messagesTitled(h.prompts.shown, GetParam().title).size(), 1u);
    EXPECT_EQ(readBytes(h.deliveryFile()), wanted);
    EXPECT_TRUE(intact(h.deliveryFile()));
    EXPECT_TRUE(h.leftovers().empty());
}

using Step = FaultInjectingFileOps::Step;
INSTANTIATE_TEST_SUITE_P(Faults, GenerationFaults,
                         ::testing::Values(WriteFault{"DiskFullInTheBody", Step::Write, false, "Registro Declaração"},
                                           WriteFault{"DiskFullAtTheEnd", Step::Write, true, "Registro Cabeçalho"},
                                           WriteFault{"SyncFails", Step::FileSync, false, "Gera Arquivo"},
                                           WriteFault{"RenameFails", Step::Rename, false, "Gera Arquivo"}),
                         [](const auto& info) { return std::string(info.param.label); });

// A generation killed half-way: the child process dies at a pump, without any clean-up of its own.
void generateAndDieAt(GenerationHarness& h, const std::string& status) {
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        h.prompts.answer = yesToQuestions;
        h.view.onPump = [&h, status] {
            if (h.view.status == status) std::_Exit(0);
        };
        h.importAndGenerate(declaration("SEGUNDA ENTIDADE", 2500));
        std::_Exit(1);  // not reached when the pump came
    }
    int wstatus = 0;
    ASSERT_EQ(::waitpid(child, &wstatus, 0), child);
    ASSERT_TRUE(WIFEXITED(wstatus));
    ASSERT_EQ(WEXITSTATUS(wstatus), 0) << "the generation ended before the pump it was to die at";
}

TEST_F(GenerationDriver, ACrashDuringTheDetailRecordsLeavesNothingBehind) {
    generateAndDieAt(h, "Gerando os registros-detalhe da declaração ...");
    expectEarlierKept();
}

TEST_F(GenerationDriver, ACrashWhileTheFinalFileIsWrittenKeepsTheEarlierFile) {
    generateAndDieAt(h, "Gravando o arquivo final da declaração ...");
    EXPECT_EQ(readBytes(h.deliveryFile()), earlierBytes);
    EXPECT_FALSE(fs::exists(h.session.programFolder / "TEMPORAR.TXT"));
    // Only the unfinished temporary file may remain, never under the delivery file's name; the next generation
    // of the same declaration removes it.
    for (const std::string& left : h.leftovers()) {
        EXPECT_EQ(fs::path(left).extension(), ".tmp") << left;
        // Hidden, so that it does not count as a foreign file when the declaration is imported again.
        EXPECT_EQ(fs::path(left).filename().string().front(), '.') << left;
    }
    EXPECT_EQ(countFiles(h.deliveryFile().parent_path(), "*.*"), 1);
}

}  // namespace
}  // namespace kova::testing
