#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "core/faults.h"
#include "import/declarant_data.h"
#include "import/import_fakes.h"
#include "support/declaration_builder.h"
#include "support/temp_folder.h"

namespace kova {
namespace {

namespace fs = std::filesystem;
using fixtures::HeaderBuilder;
using import_tests::RecordingPrompts;
using import_tests::writeFile;

std::string firstRecordFile(const std::string& header) {
    return header + "\r\n" + fixtures::ContactBuilder().build() + "\r\n";
}

TEST(DeclarantData, DisplayAndNamesOfAHeader) {
    // "\xC7" is the Windows-1252 "Ç".
    const std::string header =
        HeaderBuilder(2025).cnpj("11222333000181").type("1").situation("01").name("EMPRESA \xC7" "ALHA SA").build();
    const DeclarantData d = DeclarantData::fromHeader(header);
    const DeclarantDisplay shown = d.display();
    EXPECT_EQ(shown.name.rfind("EMPRESA ÇALHA SA ", 0), 0u);
    const DeclarantDisplay expected{shown.name,      "11.222.333/0001-81", "S",          "2025", "01 - Extinção",
                                    "01/01/2025",    "31/12/2025",         "00/00/0000"};
    EXPECT_EQ(shown, expected);
    const DeclarationNames n = declarationNames("/prog", d);
    EXPECT_EQ(n.declarationFolder, fs::path("/prog/GERADA/11222333000181-KOVALDF-2025-RETIF-01"));
    EXPECT_EQ(n.deliveryFilePath.filename(), "11222333000181-KOVALDF-2025-RETIF-01.DEC");
    // Only "1" is an amending declaration in the names; anything but "0" is shown as one.
    const DeclarantData unknownType = DeclarantData::fromHeader(HeaderBuilder().type("X").build());
    EXPECT_EQ(unknownType.display().rectifying + unknownType.typeWord(), "SORIGI");
}

// The header is read before any check: whatever its bytes, the names stay one plain folder below GERADA.
TEST(DeclarantData, NamesOfAHostileHeaderNeverLeaveGerada) {
    for (const std::string& cnpj : {std::string("../../../etc/x"), std::string("..\\..\\win"), std::string("   ..  "),
                                   std::string("\0\x01\xFF\xE9", 4) + "abc"}) {
        const std::string header = HeaderBuilder().cnpj(cnpj).year("/../").situation("..").build();
        const DeclarationNames n = declarationNames("/prog", DeclarantData::fromHeader(header));
        EXPECT_EQ(n.declarationFolder.parent_path(), fs::path("/prog/GERADA"));
        EXPECT_EQ(n.deliveryFilePath.parent_path(), n.declarationFolder);
        const std::string base = n.declarationFolder.filename().string();
        EXPECT_EQ(base.find_first_of("/\\"), std::string::npos) << base;
        EXPECT_EQ(base.find(".."), std::string::npos) << base;
    }
}

class DeclarantFile : public ::testing::Test {
protected:
    DeclarantOutcome read(const std::string& bytes, const SourceOpener& opener = {}) {
        writeFile(file, bytes);
        return readDeclarantData(file, prompts, declarant, opener);
    }
    testing_support::TempFolder folder;
    fs::path file = folder / "decl.txt";
    RecordingPrompts prompts;
    DeclarantData declarant;
};

// A good header is read with or without its line end; a refused one leaves no data and gives the pending list
// its line.
TEST_F(DeclarantFile, TheFirstRecordIsReadOrRefusedWithItsLine) {
    const std::string header = HeaderBuilder(2025).build();
    EXPECT_EQ(read(firstRecordFile(header)), DeclarantOutcome::Read);
    EXPECT_EQ(declarant, DeclarantData::fromHeader(header));
    EXPECT_EQ(read(header), DeclarantOutcome::Read);
    const std::string wrongLength = "O tamanho do primeiro registro está incorreto.";
    const std::vector<std::pair<std::string, std::string>> cases = {
        {firstRecordFile(HeaderBuilder().resize(143).build()), wrongLength},
        {HeaderBuilder().build() + "\r" + HeaderBuilder().build(), wrongLength},
        {firstRecordFile(HeaderBuilder().fileTag("KOVALDX").build()), "Nome do Arquivo diferente de KOVALDF."},
    };
    for (const auto& [bytes, line] : cases) {
        declarant.cnpj = "99999999999999";
        EXPECT_EQ(declarantRefusalText(read(bytes)), line);
        EXPECT_EQ(declarant, DeclarantData{});
    }
    EXPECT_EQ(read(""), DeclarantOutcome::EmptyFile);
    EXPECT_TRUE(prompts.shown.empty());
}

TEST_F(DeclarantFile, AReadFailureIsOfferedAgain) {
    const std::string bytes = firstRecordFile(HeaderBuilder().build());
    int failingOpenings = 1;
    const SourceOpener opener = [&](const fs::path&) {
        auto source = std::make_unique<import_tests::MemorySource>(bytes);
        if (failingOpenings-- > 0) source->failingReads = {1};
        return source;
    };
    prompts.answers = {Answer::Yes};
    EXPECT_EQ(read(bytes, opener), DeclarantOutcome::Read);
    EXPECT_EQ(prompts.texts(), std::vector<std::string>{"Erro na leitura do arquivo.\n" + faultMessage(Fault(57)) +
                                                        "\nDeseja tentar novamente ?"});
    failingOpenings = 1000;
    EXPECT_EQ(read(bytes, opener), DeclarantOutcome::ReadAbandoned);
}

TEST(DeclarationFolders, AreCreatedOrTheirFailureShown) {
    testing_support::TempFolder program;
    RecordingPrompts prompts;
    const DeclarantData declarant = DeclarantData::fromHeader(HeaderBuilder(2025).build());
    DeclarationNames names;
    ASSERT_TRUE(ensureDeclarationFolder(program.path(), declarant, prompts, names));

    fs::remove(names.declarationFolder);
    writeFile(names.declarationFolder, "not a folder");
    EXPECT_FALSE(ensureDeclarationFolder(program.path(), declarant, prompts, names));
    EXPECT_EQ(prompts.titles(), std::vector<std::string>{"Cria Pasta Arquivo"});
}

}  // namespace
}  // namespace kova
