// kova-cli imprimir: the declaration report of a generated declaration, as the report screen prints it.
#ifdef KOVA_HAVE_PRINT_QT
#include <csignal>
#include <iostream>
#include <sstream>
#include <string>

#include "cli/command.h"
#include "cli/print_command.h"
#include "print/declaration_report.h"

namespace {

using kova::cli::ExitStatus;

constexpr std::string_view kTypesOption = "--tipos";

const kova::cli::CommandDescription kCommand{
    .name = "imprimir",
    .summary = "imprime o relatório da declaração gerada",
    .purpose = "Imprime o relatório da declaração gerada, depois de verificar a sua integridade.",
    .operand = "ARQUIVO.DEC",
    .options = {{.name = kTypesOption,
                 .value = "3,4,5",
                 .help = "só as seções destes tipos de registro (\"Selecionar Registros\"); sem ela, toda a "
                         "declaração"},
                kova::cli::pdfOption("grava o relatório neste arquivo PDF em vez de mandá-lo à impressora padrão"),
                kova::cli::textOption("escreve as páginas na saída padrão, separadas por form feed")},
    .notes = "Ctrl+C interrompe a impressão: o relatório termina com \"IMPRESSÃO INTERROMPIDA\".",
    .exits = {"impresso", "recusado ou abandonado", "uso incorreto"},
};

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

ExitStatus imprimir(const kova::cli::Arguments& args) {
    kova::print::ReportSelection selection;
    if (const auto types = args.value(kTypesOption); types && !parseTypes(*types, selection))
        return kova::cli::refuseUsage(kCommand,
                                      "Tipos inválidos: " + *types + " (use 3, 4 e 5, separados por vírgula)");
    kova::CancelFlag cancel;
    InterruptProgress progress(cancel);
    kova::cli::BatchPrinting printing(kova::cli::printDestination(args), &progress);
    std::signal(SIGINT, [](int) { interrupted = 1; });
    kova::print::DeclarationReport report(printing.context(), cancel);
    report.selection = selection;
    const bool printed = report.printDeclarationReport(args.operand());
    std::signal(SIGINT, SIG_DFL);
    if (printed)
        std::cerr << "Impressão do relatório concluída com sucesso." << (cancel.set ? " (interrompida)" : "") << "\n";
    return printed ? ExitStatus::Done : ExitStatus::ErrorsFound;
}

const kova::cli::RegisterCommand registration(kCommand, imprimir);

}  // namespace
#endif
