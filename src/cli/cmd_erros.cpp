// kova-cli erros: the errors of the last import. The error report as the import screen prints it, or their
// summary per error code and record type (--resumo), or every row as a CSV file for a spreadsheet (--csv).
#include <iostream>
#include <string>
#include <string_view>

#include "cli/command.h"
#include "core/error_export.h"
#include "core/error_summary.h"
#include "core/faults.h"
#include "core/text.h"
#include "core/work_database.h"
#ifdef KOVA_HAVE_PRINT_QT
#include "cli/print_command.h"
#include "print/error_report.h"
#endif

namespace {

using kova::cli::ExitStatus;

constexpr std::string_view kSummaryOption = "--resumo";
constexpr std::string_view kCsvOption = "--csv";
#ifdef KOVA_HAVE_PRINT_QT
constexpr bool kPrints = true;
#else
constexpr bool kPrints = false;
#endif

const kova::cli::CommandDescription kCommand{
    .name = "erros",
    .summary = "imprime, resume ou exporta os erros da última importação",
    .purpose = "Imprime o relatório de erros de validação da última importação, ou o resumo dos erros por código e\n"
               "por tipo de registro, ou grava todos os erros num arquivo CSV para planilha.",
    .options = {kova::cli::programFolderOption(),
#ifdef KOVA_HAVE_PRINT_QT
                kova::cli::pdfOption("grava o relatório neste arquivo PDF em vez de mandá-lo à impressora padrão"),
                kova::cli::textOption(
                    "escreve as páginas na saída padrão, uma folha por página (separadas por form feed)"),
#endif
                {.name = kSummaryOption,
                 .help = "a quantidade de erros de cada código e de cada tipo de registro, na saída padrão",
                 .orPrevious = kPrints},
                {.name = kCsvOption,
                 .value = "ARQUIVO.csv",
                 .help = "grava cada erro (tipo, registro, colunas, código, campo, valor, mensagem e dica) em\n"
                         "ARQUIVO.csv: UTF-8, separado por \";\", como as planilhas do Brasil o abrem",
                 .orPrevious = true}},
    .exits = {"impresso, resumido ou gravado", "nada feito (sem erros; ao imprimir, sem impressora ou fonte)",
              "uso incorreto", "falha"},
};

constexpr const char* kNoErrors = "Não existem erros registrados na última importação.";

ExitStatus printSummary(kova::ErrorLog& log) {
    const kova::ErrorSummary summary = kova::summarizeErrors(log);
    if (summary.total() == 0) {
        std::cerr << kNoErrors << "\n";
        return ExitStatus::ErrorsFound;
    }
    std::cout << "Erros da última importação: " << kova::formatThousands(summary.total())
              << "\n\nPor código de erro:\n";
    for (const kova::ErrorTally& tally : summary.byCode()) std::cout << kova::tallyLine(tally) << "\n";
    std::cout << "\nPor tipo de registro:\n";
    for (const kova::ErrorTally& tally : summary.byRecordType()) std::cout << kova::tallyLine(tally) << "\n";
    return ExitStatus::Done;
}

ExitStatus exportCsv(kova::WorkDatabase& database, const std::string& file) {
    if (database.rowCount() == 0) {
        std::cerr << kNoErrors << "\n";
        return ExitStatus::ErrorsFound;
    }
    try {
        const std::int64_t rows = kova::exportErrorsCsv(database, file);
        std::cerr << rows << (rows == 1 ? " erro gravado em " : " erros gravados em ") << file << ".\n";
        return ExitStatus::Done;
    } catch (const kova::Fault& f) {
        // A failure of the database while the rows were read ends here too: the file was not written.
        std::cerr << "Não foi possível gravar o arquivo " << file << ".\n" << kova::faultMessage(f) << "\n";
        return ExitStatus::Failure;
    }
}

ExitStatus printReport([[maybe_unused]] kova::WorkDatabase& database, [[maybe_unused]] const kova::cli::Arguments& args) {
#ifdef KOVA_HAVE_PRINT_QT
    kova::cli::BatchPrinting printing(kova::cli::printDestination(args));
    switch (kova::print::printErrorReport(database, printing.context())) {
        case kova::print::PrintOutcome::Printed: return ExitStatus::Done;
        case kova::print::PrintOutcome::Failed: return ExitStatus::Failure;
        default: return ExitStatus::ErrorsFound;
    }
#else
    return kova::cli::refuseUsage(kCommand, "Este kova-cli não imprime: use --resumo ou --csv.");
#endif
}

ExitStatus erros(const kova::cli::Arguments& args) {
    kova::WorkDatabase database(args.programFolder());
    try {
        // Only read, as it is: the start-up opening would empty the log this command is about.
        database.openReadOnly();
    } catch (const kova::Fault& f) {
        std::cerr << "Não foi possível abrir o banco de dados " << database.databasePath().string() << ".\n"
                  << kova::faultMessage(f) << "\n";
        return ExitStatus::Failure;
    }
    try {
        if (args.has(kSummaryOption)) return printSummary(database);
        if (const auto file = args.value(kCsvOption)) return exportCsv(database, *file);
    } catch (const kova::Fault& f) {
        std::cerr << "Não foi possível ler os erros do banco de dados " << database.databasePath().string() << ".\n"
                  << kova::faultMessage(f) << "\n";
        return ExitStatus::Failure;
    }
    return printReport(database, args);
}

const kova::cli::RegisterCommand registration(kCommand, erros);

}  // namespace
