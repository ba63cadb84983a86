// The check-up of an installation: a ready one, then each fault with the line that names it.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <algorithm>
#include <fstream>
#include <functional>
#include <string>

#include "core/program_folder_setup.h"
#include "core/work_database.h"
#include "print/installation_check.h"
#include "support/program_run.h"
#include "support/temp_folder.h"

namespace kova::print {
namespace {

namespace fs = std::filesystem;
using testing_support::TempFolder;

void write(const fs::path& file, const std::string& bytes) { std::ofstream(file, std::ios::binary) << bytes; }

// A ready installation: a prepared program folder, Quiboro configured with the library of this build, and a
// machine that has the fonts, a printer and the Brazilian formats.
struct Installation {
    TempFolder root;
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
    // The write probe fails as a folder without permission or on a read-only disk makes it fail.
    void failOpen(int err) {
        ops.failStep = FaultInjectingFileOps::Step::Open;
        ops.failErrno = err;
    }
    void configureQuiboro(const std::string& version, const std::string& path) {
        write(input.windowsFolder / "QUI-BOR.INI", "[Qui-Bor]\nVersao=" + version + "\nPath=" + path + "\n");
    }
    // A library of this machine that loads but is not Quiboro's.
    static fs::path foreignLibrary() {
        Dl_info info{};
        dladdr(reinterpret_cast<void*>(&sqlite3_libversion), &info);
        return info.dli_fname;
    }
};

struct Fault_ {
    const char* name;
    std::function<void(Installation&)> make;
    const char* key;  // the line that names the fault
    CheckState state;
    const char* detailPart;               // part of its detail
    const char* fixPart;                  // part of its fix ("" when it has none)
    std::vector<const char*> notChecked;  // lines that depend on it
};

const Fault_ kFaults[] = {
    {"missing folder", [](Installation& i) { fs::remove_all(i.input.programFolder); },
     "pasta", CheckState::NotReady, "programa não existe.", "kova-cli iniciar --pasta ", {"banco", "espaco"}},
    {"a file, not a folder",
     [](Installation& i) {
         fs::remove_all(i.input.programFolder);
         write(i.input.programFolder.parent_path(), "");
     },
     "pasta", CheckState::NotReady, "não é uma pasta.", "--pasta ou $KOVA_PASTA", {"banco", "espaco"}},
    {"folder without write permission", [](Installation& i) { i.failOpen(EACCES); },
     "pasta", CheckState::NotReady, "não aceita gravação (erro 70: Permissão negada.)", "chmod u+w", {}},
    {"folder on a read-only disk", [](Installation& i) { i.failOpen(EROFS); },
     "pasta", CheckState::NotReady, "não aceita gravação (erro 75", "disco somente leitura: escolha outra", {}},
    {"no work database", [](Installation& i) { fs::remove(i.input.programFolder / kWorkDatabaseFile); },
     "banco", CheckState::NotReady, "KOVALDDB.MDB não existe na pasta.", "kova-cli iniciar --pasta ", {}},
    {"damaged work database",
     [](Installation& i) { write(i.input.programFolder / kWorkDatabaseFile, std::string(4096, 'x')); },
     "banco", CheckState::NotReady, "(erro 3049: Banco de Dados está corrompido", "Renomeie o arquivo danificado", {}},
    {"little free space", [](Installation& i) { i.input.availableBytes = kMinimumFreeSpace - 1; },
     "espaco", CheckState::NotReady, "apenas 199 MB livres", "Libere espaço", {}},
    {"no transmission program", [](Installation& i) { fs::remove(i.input.windowsFolder / "QUI-BOR.INI"); },
     "quiboro-configuracao", CheckState::NotReady, "qui-bor.ini não foi encontrado em ", "quiboro-instalar",
     {"quiboro-versao", "quiboro-biblioteca"}},
    {"old version", [](Installation& i) { i.configureQuiboro("200701", testing_support::binFolder().string()); },
     "quiboro-versao", CheckState::NotReady, "Versao=200701 é anterior à 200702", "versão atual do Quiboro", {}},
    {"version not a number",
     [](Installation& i) { i.configureQuiboro("2007a", testing_support::binFolder().string()); },
     "quiboro-versao", CheckState::NotReady, "Versao=2007a não é um número.", "quiboro-instalar", {}},
    {"relative path", [](Installation& i) { i.configureQuiboro("200702", "bin"); },
     "quiboro-biblioteca", CheckState::NotReady, "Path=bin não é uma pasta absoluta.", "Reinstale o Quiboro", {}},
    {"no library in the folder", [](Installation& i) { i.configureQuiboro("200702", i.root.path().string()); },
     "quiboro-biblioteca", CheckState::NotReady, "libtrama21.so não está em ", "Reinstale o Quiboro", {}},
    {"library that does not load",
     [](Installation& i) {
         write(i.root / "libtrama21.so", "não é uma biblioteca");
         i.configureQuiboro("200702", i.root.path().string());
     },
     "quiboro-biblioteca", CheckState::NotReady, "libtrama21.so não pôde ser carregada: ", "Reinstale", {}},
    {"library without the entry point",
     [](Installation& i) {
         fs::copy_file(Installation::foreignLibrary(), i.root / "libtrama21.so");
         i.configureQuiboro("200702", i.root.path().string());
     },
     "quiboro-biblioteca", CheckState::NotReady, "libtrama21.so não tem a função EnviarDeclaracaoEx2.", "Reinstale",
     {}},
    {"no document font", [](Installation& i) { i.input.machine->fonts[1].usable = false; },
     "fontes", CheckState::NotReady, "nenhuma das fontes Courier New, Courier está disponível.", "fonts-liberation",
     {}},
    {"no printer, no PDF",
     [](Installation& i) {
         i.input.machine->defaultPrinter.clear();
         i.input.machine->pdfOutput = false;
     },
     "impressora", CheckState::NotReady, "nenhuma, e não há saída em PDF.", "Instale uma impressora", {}},
    {"no printer but PDF", [](Installation& i) { i.input.machine->defaultPrinter.clear(); },
     "impressora", CheckState::Ready, "podem ser gravados em PDF", "", {}},
    {"two-digit year", [](Installation& i) { i.input.machine->shortDateFormat = "dd/MM/yy"; },
     "formatos", CheckState::NotReady, "data dd/MM/yy e hora HH:mm:ss t (pt_BR); o programa precisa",
     "LANG=pt_BR.UTF-8", {}},
    {"time setting missing", [](Installation& i) { i.input.machine->timeFormat.reset(); },
     "formatos", CheckState::NotReady, "hora (não encontrado)", "LANG=pt_BR.UTF-8", {}},
    {"a program that does not print", [](Installation& i) { i.input.machine.reset(); },
     "fontes", CheckState::NotChecked, "não imprime", "", {"impressora", "formatos"}},
};

const CheckLine& lineOf(const std::vector<CheckLine>& lines, const std::string& key) {
    const auto it = std::find_if(lines.begin(), lines.end(), [&](const CheckLine& l) { return l.key == key; });
    if (it == lines.end()) throw std::runtime_error("no line " + key);
    return *it;
}

TEST(InstallationCheck, AReadyInstallationHasEveryLineReady) {
    Installation installation;
    const auto lines = checkInstallation(installation.input);
    ASSERT_EQ(lines.size(), 9u);
    for (const CheckLine& line : lines) {
        EXPECT_EQ(line.state, CheckState::Ready) << line.key << ": " << line.detail;
        EXPECT_EQ(line.fix, "") << line.key;
    }
    EXPECT_TRUE(allReady(lines));
    EXPECT_EQ(lineOf(lines, "pasta").detail, (installation.root / "programa").string() + " existe e aceita gravação.");
    EXPECT_EQ(lineOf(lines, "fontes").detail,
              "os documentos usam Courier, desenhada com Liberation Mono (mesmas medidas).");
    EXPECT_EQ(checkupText(lines).substr(0, 22), "[pronto] Pasta do prog");
    EXPECT_TRUE(checkupText(lines).ends_with("\nTudo pronto.\n"));
    // The write probe leaves nothing behind.
    EXPECT_EQ(std::distance(fs::directory_iterator(installation.input.programFolder), fs::directory_iterator()), 2);
}

TEST(InstallationCheck, EachFaultHasItsLineWithTheFix) {
    for (const Fault_& fault : kFaults) {
        SCOPED_TRACE(fault.name);
        Installation installation;
        fault.make(installation);
        const auto lines = checkInstallation(installation.input);
        const CheckLine& line = lineOf(lines, fault.key);
        EXPECT_EQ(line.state, fault.state);
        EXPECT_NE(line.detail.find(fault.detailPart), std::string::npos) << line.detail;
        EXPECT_NE(line.fix.find(fault.fixPart), std::string::npos) << line.fix;
        EXPECT_EQ(line.fix.empty(), fault.state != CheckState::NotReady) << line.fix;
        for (const char* key : fault.notChecked) EXPECT_EQ(lineOf(lines, key).state, CheckState::NotChecked) << key;
        const auto others = std::count_if(lines.begin(), lines.end(), [&](const CheckLine& l) {
            return l.key != fault.key && l.state != CheckState::Ready;
        });
        EXPECT_EQ(static_cast<std::size_t>(others), fault.notChecked.size());
        EXPECT_EQ(allReady(lines), fault.state != CheckState::NotReady);
        if (fault.state == CheckState::NotReady) {
            EXPECT_NE(checkupText(lines).find("\n    Como corrigir: " + line.fix + "\n"), std::string::npos);
            EXPECT_TRUE(checkupText(lines).ends_with("\n1 item a corrigir.\n"));
        }
    }
}

}  // namespace
}  // namespace kova::print
