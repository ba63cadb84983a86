#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "core/faults.h"
#include "support/temp_folder.h"
#include "import/declarant_data.h"
#include "import/import_fakes.h"
#include "support/declaration_builder.h"
#include "support/printed_name.h"

namespace kova {
namespace {

namespace fs = std::filesystem;
using fixtures::HeaderBuilder;
using testing_support::RecordingPrompts;
using import_tests::writeFile;
using testing_support::TempFolder;
using import_tests::MemorySource;

std::string firstRecordFile(const std::string& header) {
    return header + "\r\n" + fixtures::ContactBuilder().build() + "\r\n";
}

TEST(DeclarantData, LabelsOfAHeader) {
    const std::string header = HeaderBuilder(2025)
                                   .cnpj("11222333000181")
                                   .type("1")
                                   .situation("01")
                                   .eventDate("00000000")
                                   .name("EMPRESA \xC7" "ALHA SA")  // Windows-1252 "Ç"
                                   .build();
    const DeclarantData d = DeclarantData::fromHeader(header);
    EXPECT_EQ(d.cnpj, "11222333000181");
    EXPECT_EQ(d.year, "2025");
    EXPECT_EQ(d.uf, "SP");
    const DeclarantDisplay l = d.display();
    EXPECT_EQ(l.cnpj, "11.222.333/0001-81");
    EXPECT_EQ(l.year, "2025");
    EXPECT_EQ(l.periodStart, "01/01/2025");
    EXPECT_EQ(l.periodEnd, "31/12/2025");
    EXPECT_EQ(l.eventDate, "00/00/0000");
    EXPECT_EQ(l.rectifying, "S");
    EXPECT_EQ(l.situation, "01 - Extinção");
    EXPECT_EQ(l.name.rfind("EMPRESA ÇALHA SA ", 0), 0u);
    EXPECT_EQ(DeclarantData::fromHeader(HeaderBuilder().cnpj("").build()).display().cnpj, "");  // blank CNPJ
}

struct TypeCase {
    const char* type;
    const char* label;
    const char* word;
};
void PrintTo(const TypeCase& c, std::ostream* os) { *os << "type " << c.type; }

class DeclarationType : public ::testing::TestWithParam<TypeCase> {};

TEST_P(DeclarationType, LabelAndTypeWord) {
    const DeclarantData d = DeclarantData::fromHeader(HeaderBuilder().type(GetParam().type).build());
    EXPECT_EQ(d.display().rectifying, GetParam().label);
    EXPECT_EQ(d.typeWord(), GetParam().word);
}

INSTANTIATE_TEST_SUITE_P(Types, DeclarationType,
                         ::testing::Values(TypeCase{"0", "N", "ORIGI"}, TypeCase{"1", "S", "RETIF"},
                                           TypeCase{"X", "S", "ORIGI"}, TypeCase{" ", "S", "ORIGI"}),
    kova::testing_support::PrintedName());

TEST(DeclarationNames, NamingRule) {
    const DeclarantData d =
        DeclarantData::fromHeader(HeaderBuilder(2024).cnpj("11222333000181").situation("03").type("1").build());
    const DeclarationNames n = declarationNames("/prog", d);
    EXPECT_EQ(n.generatedFolder, fs::path("/prog/GERADA"));
    EXPECT_EQ(n.declarationFolder, fs::path("/prog/GERADA/11222333000181-KOVALDF-2024-RETIF-03"));
    EXPECT_EQ(n.deliveryFileName, "11222333000181-KOVALDF-2024-RETIF-03.DEC");
    EXPECT_EQ(n.deliveryFilePath, n.declarationFolder / n.deliveryFileName);
}

// The header is read before any check: whatever its bytes, the names stay one plain folder below GERADA.
class HostileHeader : public ::testing::TestWithParam<std::string> {};

TEST_P(HostileHeader, NamesNeverLeaveGerada) {
    const std::string& cnpj = GetParam();
    const DeclarantData d =
        DeclarantData::fromHeader(HeaderBuilder().cnpj(cnpj).year("/../").situation("..").build());
    const DeclarationNames n = declarationNames("/prog", d);
    EXPECT_EQ(n.declarationFolder.parent_path(), fs::path("/prog/GERADA"));
    EXPECT_EQ(n.deliveryFilePath.parent_path(), n.declarationFolder);
    const std::string base = n.declarationFolder.filename().string();
    EXPECT_EQ(base.find('/'), std::string::npos);
    EXPECT_EQ(base.find(".."), std::string::npos);
    EXPECT_EQ(base.find('\\'), std::string::npos);
    EXPECT_EQ(base.size(), std::string("11222333000181-KOVALDF-2023-ORIGI-00").size());
}

INSTANTIATE_TEST_SUITE_P(Cnpjs, HostileHeader,
                         ::testing::Values("../../../etc/x", "12/34/56/78/90", "..\\..\\win", "   ..  ",
                                           std::string("\0\x01\xFF\xE9", 4) + "abc"),
    kova::testing_support::PrintedName());

class DeclarantFile : public ::testing::Test {
protected:
    DeclarantOutcome read(const std::string& bytes, const SourceOpener& opener = {}) {
        writeFile(file, bytes);
        return readDeclarantData(file, prompts, declarant, opener);
    }
    TempFolder folder;
    fs::path file = folder / "decl.txt";
    RecordingPrompts prompts;
    DeclarantData declarant;
};

TEST_F(DeclarantFile, GoodHeaderIsRead) {
    const std::string header = HeaderBuilder(2025).build();
    EXPECT_EQ(read(firstRecordFile(header)), DeclarantOutcome::Read);
    EXPECT_EQ(declarant, DeclarantData::fromHeader(header));
    EXPECT_TRUE(prompts.shown.empty());
}

TEST_F(DeclarantFile, HeaderAloneWithoutLineEndIsRead) {
    EXPECT_EQ(read(HeaderBuilder().build()), DeclarantOutcome::Read);
}

struct RefusalCase {
    const char* name;
    std::string bytes;
    DeclarantOutcome outcome;
    const char* line;
};

class DeclarantRefusal : public DeclarantFile, public ::testing::WithParamInterface<RefusalCase> {};

TEST_P(DeclarantRefusal, RefusedWithItsLineAndNoData) {
    declarant.cnpj = "99999999999999";
    EXPECT_EQ(read(GetParam().bytes), GetParam().outcome);
    EXPECT_EQ(declarant, DeclarantData{});
    EXPECT_EQ(declarantRefusalText(GetParam().outcome), GetParam().line);
    EXPECT_TRUE(prompts.shown.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DeclarantRefusal,
    ::testing::Values(
        RefusalCase{"short", firstRecordFile(HeaderBuilder().resize(141).build()), DeclarantOutcome::WrongLength,
                    "O tamanho do primeiro registro está incorreto."},
        RefusalCase{"long", firstRecordFile(HeaderBuilder().resize(143).build()), DeclarantOutcome::WrongLength,
                    "O tamanho do primeiro registro está incorreto."},
        RefusalCase{"loneCr", HeaderBuilder().build() + "\r" + HeaderBuilder().build(),
                    DeclarantOutcome::WrongLength, "O tamanho do primeiro registro está incorreto."},
        RefusalCase{"noLineEndInALongFile", std::string(100000, 'x'), DeclarantOutcome::WrongLength,
                    "O tamanho do primeiro registro está incorreto."},
        RefusalCase{"fileName", firstRecordFile(HeaderBuilder().fileTag("KOVALDX").build()),
                    DeclarantOutcome::WrongFileName, "Nome do Arquivo diferente de KOVALDF."}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(DeclarantFile, EmptyMissingAndUnchosen) {
    EXPECT_EQ(read(""), DeclarantOutcome::EmptyFile);
    EXPECT_EQ(readDeclarantData(folder / "nada.txt", prompts, declarant), DeclarantOutcome::Missing);
    EXPECT_EQ(readDeclarantData(folder.path(), prompts, declarant), DeclarantOutcome::Missing);
    EXPECT_EQ(readDeclarantData(fs::path(), prompts, declarant), DeclarantOutcome::NoPath);
}

TEST_F(DeclarantFile, ReadFailureAsksAndYesReadsAgain) {
    const std::string bytes = firstRecordFile(HeaderBuilder().build());
    int opens = 0;
    const SourceOpener failingOnce = [&](const fs::path&) {
        auto source = std::make_unique<MemorySource>(bytes);
        if (opens++ == 0) source->failingReads = {1};
        return source;
    };
    prompts.answers = {Answer::Yes};
    EXPECT_EQ(read(bytes, failingOnce), DeclarantOutcome::Read);
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].title, "Dados declarante");
    EXPECT_EQ(prompts.shown[0].icon, Icon::Question);
    EXPECT_EQ(prompts.shown[0].buttons, Buttons::YesNo);
    EXPECT_EQ(prompts.shown[0].text,
              "Erro na leitura do arquivo.\n" + faultMessage(Fault(57)) + "\nDeseja tentar novamente ?");
}

TEST_F(DeclarantFile, ReadFailureAnsweredNoKeepsImportOff) {
    const std::string bytes = firstRecordFile(HeaderBuilder().build());
    const SourceOpener alwaysFailing = [&](const fs::path&) {
        auto source = std::make_unique<MemorySource>(bytes);
        source->failingReads = {1, 2, 3};
        return source;
    };
    EXPECT_EQ(read(bytes, alwaysFailing), DeclarantOutcome::ReadAbandoned);
    EXPECT_EQ(prompts.shown.size(), 1u);
}

class Folders : public ::testing::Test {
protected:
    TempFolder program;
    RecordingPrompts prompts;
    DeclarantData declarant = DeclarantData::fromHeader(HeaderBuilder(2025).build());
};

TEST_F(Folders, DeclarationFolderCreatesGeradaToo) {
    DeclarationNames names;
    ASSERT_TRUE(ensureDeclarationFolder(program.path(), declarant, prompts, names));
    EXPECT_TRUE(fs::is_directory(program / "GERADA"));
    EXPECT_TRUE(fs::is_directory(names.declarationFolder));
    EXPECT_EQ(names.deliveryFilePath, declarationNames(program.path(), declarant).deliveryFilePath);
    // Existing folders are fine.
    EXPECT_TRUE(ensureGeneratedFolder(program.path(), prompts));
    EXPECT_TRUE(ensureDeclarationFolder(program.path(), declarant, prompts, names));
    EXPECT_TRUE(prompts.shown.empty());
}

TEST_F(Folders, GeradaBlockedByAFileAsksAndGivesUp) {
    writeFile(program / "GERADA", "not a folder");
    prompts.answers = {Answer::Yes};  // once again, then No
    EXPECT_FALSE(ensureGeneratedFolder(program.path(), prompts));
    ASSERT_EQ(prompts.shown.size(), 2u);
    EXPECT_EQ(prompts.shown[0].title, "Cria Gerada");
    EXPECT_EQ(prompts.shown[0].text.rfind("Erro na criação do diretório de declarações geradas.\n", 0), 0u);
    EXPECT_NE(prompts.shown[0].text.find("\nDeseja tentar novamente ?"), std::string::npos);
}

TEST_F(Folders, DeclarationFolderBlockedByAFileAsksAndGivesUp) {
    fs::create_directory(program / "GERADA");
    DeclarationNames names = declarationNames(program.path(), declarant);
    writeFile(names.declarationFolder, "not a folder");
    EXPECT_FALSE(ensureDeclarationFolder(program.path(), declarant, prompts, names));
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].title, "Cria Pasta Arquivo");
    EXPECT_EQ(prompts.shown[0].text.rfind("Erro na criação da pasta de declaração gerada.\n", 0), 0u);
}

}  // namespace
}  // namespace kova
