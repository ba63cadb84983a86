// kova-cli erros: the validation error report of the last import, as the import screen prints it.
#ifdef KOVA_HAVE_PRINT_QT
#include <iostream>

#include "cli/command.h"
#include "cli/print_command.h"
#include "core/faults.h"
#include "core/work_database.h"
#include "print/error_report.h"

namespace {

using kova::cli::ExitStatus;

const kova::cli::CommandDescription kCommand{
    .name = "erros",
    .summary = "imprime o relatório de erros da última importação",
    .purpose = "Imprime o relatório de erros de validação da última importação.",
    .options = {kova::cli::programFolderOption(),
                kova::cli::pdfOption("grava o relatório neste arquivo PDF em vez de mandá-lo à impressora padrão"),
                kova::cli::textOption(
                    "escreve as páginas na saída padrão, uma folha por página (separadas por form feed)")},
    .exits = {"impresso", "nada impresso (sem erros, sem impressora ou fonte)", "uso incorreto", "falha"},
};

ExitStatus erros(const kova::cli::Arguments& args) {
    kova::WorkDatabase database(args.programFolder());
    try {
        // Only read, as it is: the start-up opening would empty the log this report is about.
        database.openReadOnly();
    } catch (const kova::Fault& f) {
        std::cerr << "Não foi possível abrir o banco de dados " << database.databasePath().string() << ".\n"
                  << kova::faultMessage(f) << "\n";
        return ExitStatus::Failure;
    }
    kova::cli::BatchPrinting printing(kova::cli::printDestination(args));
    switch (kova::print::printErrorReport(database, printing.context())) {
        case kova::print::PrintOutcome::Printed: return ExitStatus::Done;
        case kova::print::PrintOutcome::Failed: return ExitStatus::Failure;
        default: return ExitStatus::ErrorsFound;
    }
}

const kova::cli::RegisterCommand registration(kCommand, erros);

}  // namespace
#endif
