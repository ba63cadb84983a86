// Generation through the real import: the replace question, its refusals and messages, and an earlier delivery
// file that nothing but a complete new one may replace (cancel, refusal, write faults, a crash).
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

#include "delivery_fixtures.h"
#include "import/file_helpers.h"

namespace kova::testing {
namespace {

using fixtures::DeclarationBuilder;

// The same declaration (same delivery file) with different content: the name of its entity.
DeclarationBuilder declaration(const std::string& entityName, std::size_t type5 = 3) {
    DeclarationBuilder dec;
    dec.type3(1).type5(type5);
    dec.replaceRecord(3, fixtures::EntityBuilder::type3(3, 0).name(entityName).build());
    return dec;
}

Answer yesToQuestions(const Message& m) { return m.buttons == Buttons::YesNo ? Answer::Yes : Answer::Ok; }

const char* const kDetailStatus = "Gerando os registros-detalhe da declaração ...";
const char* const kFinalStatus = "Gravando o arquivo final da declaração ...";

// Yes, with the whole new file written, is proven by the write faults below.
TEST(GenerationReplace, TheSameDeclarationAgainAsksAndNoKeepsTheFile) {
    GenerationHarness h;
    ASSERT_EQ(h.importAndGenerate(declaration("PRIMEIRA ENTIDADE")), ImportOutcome::Succeeded);
    const Snapshot earlier = snapshot(h.declarationFolder(), false);
    EXPECT_EQ(h.importAndGenerate(declaration("SEGUNDA ENTIDADE")), ImportOutcome::Refused);
    const auto asked = messagesTitled(h.prompts.shown, "Importar Declaração");
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_NE(asked[0].text.find("Declaração já existe. A importação desta declaração elimina a declaração existente. "
                                 "Confirma a importação desta declaração?"),
              std::string::npos);
    EXPECT_EQ(snapshot(h.declarationFolder(), false), earlier);
    EXPECT_TRUE(h.leftovers().empty());
}

// Faults of the file layer while the new file is written, big enough to be written while its records are
// checked: No keeps the earlier file with nothing left behind; Yes once the fault is gone writes the whole file.
TEST(GenerationFaults, NoKeepsTheEarlierFileAndYesWritesTheWholeNewOne) {
    using Step = FaultInjectingFileOps::Step;
    // Records go out in 1 MiB blocks: with this many, the first block is sent by a detail record, the second by
    // the receipt record, and the header is written last.
    const std::size_t type5 = 13612;
    GenerationHarness fresh;
    ASSERT_EQ(fresh.importAndGenerate(declaration("SEGUNDA ENTIDADE", type5)), ImportOutcome::Succeeded);
    const std::string wanted = readBytes(fresh.deliveryFile());
    struct Fault {
        Step step;
        std::uint64_t failAfterBytes;
        const char* title;
    };
    const Fault faults[] = {{Step::Write, 100000, "Registro Declaração"},
                            {Step::Write, wanted.size() / 2, "Registro Recibo"},
                            {Step::Write, wanted.size() - 100, "Registro Cabeçalho"},
                            {Step::FileSync, 100000, "Gera Arquivo"},
                            {Step::Rename, 100000, "Gera Arquivo"}};
    for (const Fault& fault : faults) {
        SCOPED_TRACE(fault.title);
        GenerationHarness h;
        ASSERT_EQ(h.importAndGenerate(declaration("PRIMEIRA ENTIDADE")), ImportOutcome::Succeeded);
        const Snapshot earlier = snapshot(h.declarationFolder(), false);
        h.fileOps.bytesWritten = 0;
        h.fileOps.failStep = fault.step;
        h.fileOps.failAfterBytes = fault.failAfterBytes;
        h.prompts.answer = [&h, &fault](const Message& m) {
            if (m.title == "Importar Declaração") return Answer::Yes;
            if (m.title == fault.title) h.fileOps.failStep = Step::None;  // No holds, even once the disk has room
            return m.buttons == Buttons::Ok ? Answer::Ok : Answer::No;
        };
        h.importAndGenerate(declaration("SEGUNDA ENTIDADE", type5));
        const auto asked = messagesTitled(h.prompts.shown, fault.title);
        ASSERT_EQ(asked.size(), 1u);
        EXPECT_NE(asked[0].text.find("\nDeseja tentar novamente ?"), std::string::npos);
        EXPECT_EQ(snapshot(h.declarationFolder(), false), earlier);
        EXPECT_TRUE(h.leftovers().empty());

        h.fileOps.bytesWritten = 0;
        h.prompts.answer = [&h, &fault](const Message& m) {
            if (m.title == fault.title) h.fileOps.failStep = Step::None;
            return m.buttons == Buttons::Ok ? Answer::Ok : Answer::Yes;
        };
        ASSERT_EQ(h.importAndGenerate(declaration("SEGUNDA ENTIDADE", type5)), ImportOutcome::Succeeded);
        EXPECT_EQ(readBytes(h.deliveryFile()), wanted);
        EXPECT_TRUE(h.leftovers().empty());
    }
}

// Cancelled at a pump, or killed there (the child process dies without any clean-up of its own), the generation
// keeps the earlier file; after a crash only a hidden unfinished temporary file may remain.
TEST(GenerationInterrupted, KeepsTheEarlierFile) {
    for (const char* status : {kDetailStatus, kFinalStatus}) {
        SCOPED_TRACE(status);
        GenerationHarness h;
        ASSERT_EQ(h.importAndGenerate(declaration("PRIMEIRA ENTIDADE")), ImportOutcome::Succeeded);
        const std::string earlier = readBytes(h.deliveryFile());
        h.prompts.answer = yesToQuestions;
        h.view.onPump = [&h, status] {
            if (h.view.status == status) h.session.state.cancel.set = true;
        };
        EXPECT_EQ(h.importAndGenerate(declaration("SEGUNDA ENTIDADE")), ImportOutcome::Cancelled);
        EXPECT_EQ(messagesTitled(h.prompts.shown, "Gravar Declaração").size(), status == kFinalStatus ? 1u : 0u);
        EXPECT_TRUE(h.leftovers().empty());
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            h.view.onPump = [&h, status] {
                if (h.view.status == status) std::_Exit(0);
            };
            h.importAndGenerate(declaration("SEGUNDA ENTIDADE", 2500));
            std::_Exit(1);  // the pump never came
        }
        int wstatus = 0;
        ASSERT_EQ(::waitpid(child, &wstatus, 0), child);
        ASSERT_TRUE(WIFEXITED(wstatus) && WEXITSTATUS(wstatus) == 0) << "ended before the pump it was to die at";
        EXPECT_EQ(readBytes(h.deliveryFile()), earlier);
        for (const std::string& left : h.leftovers()) {
            EXPECT_EQ(fs::path(left).extension(), ".tmp") << left;
            EXPECT_EQ(fs::path(left).filename().string().front(), '.') << left;
        }
        EXPECT_EQ(countFiles(h.deliveryFile().parent_path(), "*.*"), 1);
    }
}

}  // namespace
}  // namespace kova::testing
