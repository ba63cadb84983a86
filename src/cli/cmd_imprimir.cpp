// kova-cli imprimir: the declaration report of a generated declaration, as the report screen prints it.
#ifdef KOVA_HAVE_PRINT_QT
#include <csignal>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "cli/command_registry.h"
#include "cli/print_command.h"
#include "print/declaration_report.h"

namespace fs = std::filesystem;

namespace {

const char* kUsage =
    "Uso: kova-cli imprimir ARQUIVO.DEC [--tipos 3,4,5] [--pdf SAIDA.pdf | --texto]\n"
    "Imprime o relatório da declaração gerada, depois de verificar a sua integridade.\n"
    "  --tipos  só as seções destes tipos de registro (\"Selecionar Registros\"); sem ela, toda a declaração\n"
    "  --pdf    grava o relatório neste arquivo PDF em vez de mandá-lo à impressora padrão\n"
    "  --texto  escreve as páginas na saída padrão, separadas por form feed\n"
    "Ctrl+C interrompe a impressão: o relatório termina com \"IMPRESSÃO INTERROMPIDA\".\n"
    "Saída: 0 impresso, 1 recusado ou abandonado, 2 uso incorreto.\n";

volatile std::sig_atomic_t interrupted = 0;

// The stop button of the report screen: Ctrl+C sets the cancel flag, read by the loops after every record.
class InterruptProgress : public kova::Progress {
public:
    explicit InterruptProgress(kova::CancelFlag& cancel) : cancel_(cancel) {}
    void setPercent(int) override {}
    void pump() override {
        if (interrupted) cancel_.set = true;
    }

private:
    kova::CancelFlag& cancel_;
};

bool parseTypes(const std::string& text, kova::print::ReportSelection& selection) {
    selection.wholeDeclaration = false;
    std::istringstream in(text);
    for (std::string item; std::getline(in, item, ',');) {
        if (item == "3") selection.type3 = true;
        else if (item == "4") selection.type4 = true;
        else if (item == "5") selection.type5 = true;
        else return false;
    }
    return selection.type3 || selection.type4 || selection.type5;
}

int imprimir(const std::vector<std::string>& given) {
    std::vector<std::string> args = given;
    const auto destination = kova::cli::takeDestinationOrUsage(args, kUsage);
    if (!destination) return 2;
    kova::print::ReportSelection selection;
    std::optional<fs::path> file;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--help" || a == "-h") {
            std::cout << kUsage;
            return 0;
        }
        if (a == "--tipos" && i + 1 < args.size()) {
            if (!parseTypes(args[++i], selection)) {
                std::cerr << "Tipos inválidos: " << args[i] << " (use 3, 4 e 5, separados por vírgula)\n";
                return 2;
            }
        } else if (!file && !a.starts_with("--")) {
            file = fs::path(a);
        } else {
            std::cerr << "Argumento inválido: " << a << "\n" << kUsage;
            return 2;
        }
    }
    if (!file) {
        std::cerr << kUsage;
        return 2;
    }
    kova::CancelFlag cancel;
    InterruptProgress progress(cancel);
    kova::cli::BatchPrinting printing(*destination, &progress);
    std::signal(SIGINT, [](int) { interrupted = 1; });
    kova::print::DeclarationReport report(printing.context(), cancel);
    report.selection = selection;
    const bool printed = report.printDeclarationReport(*file);
    std::signal(SIGINT, SIG_DFL);
    if (printed)
        std::cerr << "Impressão do relatório concluída com sucesso." << (cancel.set ? " (interrompida)" : "") << "\n";
    return printed ? 0 : 1;
}

const kova::cli::RegisterCommand registration("imprimir", "imprime o relatório da declaração gerada", imprimir);

}  // namespace
#endif
