// The check-up of an installation: a ready one, then each fault with the line that names it.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>

#include "core/program_folder_setup.h"
#include "core/work_database.h"
#include "print/installation_check.h"
#include "support/file_bytes.h"
#include "support/program_run.h"
#include "support/temp_folder.h"

namespace kova::print {
namespace {

namespace fs = std::filesystem;
using testing_support::writeBytes;

// A ready installation: a prepared program folder, Quiboro configured with the library of this build, and a
// machine that has the fonts, a printer and the Brazilian formats.
struct Installation {
    testing_support::TempFolder root;
    InstallationCheckInput input;
    FaultInjectingFileOps ops;
    Installation() {
        input.programFolder = root / "programa" / "";  // as the desktop program names it
        input.windowsFolder = root / "windows";
        input.availableBytes = kMinimumFreeSpace;
        input.fileOps = &ops;
        prepareProgramFolder(input.programFolder);
        fs::create_directories(input.windowsFolder);
        configureQuiboro("200702", testing_support::binFolder().string());
        input.machine = MachineFacts{
            {{"Courier New", false, false, "DejaVu Sans"}, {"Courier", true, false, "Liberation Mono"}},
            "Escritorio", true, "dd/MM/yyyy", "HH:mm:ss t", "pt_BR"};
    }
    void withoutPrinter(bool pdfOutput) {
        input.machine->defaultPrinter.clear();
        input.machine->pdfOutput = pdfOutput;
    }
    void configureQuiboro(const std::string& version, const std::string& path) {
        writeBytes(input.windowsFolder / "QUI-BOR.INI", "[Qui-Bor]\nVersao=" + version + "\nPath=" + path + "\n");
    }
};

using enum CheckState;

struct FaultCase {
    const char* key;  // the line that names the fault
    CheckState state;
    const char* detailPart;
    const char* fixPart;                  // "" when it has none
    std::vector<const char*> notChecked;  // lines that depend on it
    std::function<void(Installation&)> make;
};

const FaultCase kFaults[] = {
    {"pasta", NotReady, "programa não existe.", "kova-cli iniciar --pasta ", {"banco", "espaco"},
     [](Installation& i) { fs::remove_all(i.input.programFolder); }},
    {"pasta", NotReady, "(erro 57", "chmod u+w", {},  // the write probe refused
     [](Installation& i) { i.ops.failStep = FaultInjectingFileOps::Step::Open; }},
    {"banco", NotReady, "KOVALDDB.MDB não existe na pasta.", "kova-cli iniciar --pasta ", {},
     [](Installation& i) { fs::remove(i.input.programFolder / kWorkDatabaseFile); }},
    {"espaco", NotReady, "apenas 199 MB livres", "Libere espaço", {},
     [](Installation& i) { i.input.availableBytes = kMinimumFreeSpace - 1; }},
    {"quiboro-configuracao", NotReady, "qui-bor.ini não foi encontrado em ", "quiboro-instalar",
     {"quiboro-versao", "quiboro-biblioteca"},
     [](Installation& i) { fs::remove(i.input.windowsFolder / "QUI-BOR.INI"); }},
    {"quiboro-biblioteca", NotReady, "libtrama21.so não está em ", "Reinstale o Quiboro", {},
     [](Installation& i) { i.configureQuiboro("200702", i.root.path().string()); }},
    {"fontes", NotReady, "nenhuma das fontes Courier New, Courier está disponível.", "fonts-liberation", {},
     [](Installation& i) { i.input.machine->fonts[1].usable = false; }},
    {"impressora", NotReady, "nenhuma, e não há saída em PDF.", "Instale uma impressora", {},
     [](Installation& i) { i.withoutPrinter(false); }},
    {"impressora", Ready, "podem ser gravados em PDF", "", {}, [](Installation& i) { i.withoutPrinter(true); }},
    {"formatos", NotReady, "data dd/MM/yy e hora HH:mm:ss t (pt_BR); o programa precisa", "LANG=pt_BR.UTF-8", {},
     [](Installation& i) { i.input.machine->shortDateFormat = "dd/MM/yy"; }},
    {"fontes", NotChecked, "não imprime", "", {"impressora", "formatos"},
     [](Installation& i) { i.input.machine.reset(); }},
};

TEST(InstallationCheck, AReadyInstallationHasEveryLineReadyAndLeavesNothingBehind) {
    Installation installation;
    const auto lines = checkInstallation(installation.input);
    ASSERT_EQ(lines.size(), 9u);
    for (const CheckLine& line : lines) EXPECT_EQ(line.state, CheckState::Ready) << line.key << ": " << line.detail;
    EXPECT_TRUE(checkupText(lines).ends_with("\nTudo pronto.\n"));
    EXPECT_EQ(std::distance(fs::directory_iterator(installation.input.programFolder), fs::directory_iterator()), 2);
}

TEST(InstallationCheck, EachFaultHasItsLineWithTheFix) {
    for (const FaultCase& fault : kFaults) {
        SCOPED_TRACE(fault.detailPart);
        Installation installation;
        fault.make(installation);
        const auto lines = checkInstallation(installation.input);
        for (const CheckLine& line : lines) {
            const bool dependent = std::ranges::count(fault.notChecked, line.key) > 0;
            if (line.key == fault.key) {
                EXPECT_EQ(line.state, fault.state);
                EXPECT_NE(line.detail.find(fault.detailPart), std::string::npos) << line.detail;
                EXPECT_NE(line.fix.find(fault.fixPart), std::string::npos) << line.fix;
                EXPECT_EQ(line.fix.empty(), fault.state != CheckState::NotReady) << line.fix;
            } else {
                EXPECT_EQ(line.state, dependent ? CheckState::NotChecked : CheckState::Ready) << line.key;
            }
        }
        EXPECT_EQ(allReady(lines), fault.state != CheckState::NotReady);
        EXPECT_EQ(checkupText(lines).ends_with("\n1 item a corrigir.\n"), fault.state == CheckState::NotReady);
    }
}

}  // namespace
}  // namespace kova::print
