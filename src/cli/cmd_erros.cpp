// kova-cli erros: the validation error report of the last import, as the import screen prints it.
#ifdef KOVA_HAVE_PRINT_QT
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "cli/batch_support.h"
#include "cli/command_registry.h"
#include "cli/print_command.h"
#include "core/faults.h"
#include "core/work_database.h"
#include "print/error_report.h"

namespace fs = std::filesystem;

namespace {

const char* kUsage =
    "Uso: kova-cli erros [--pasta PASTA] [--pdf SAIDA.pdf | --texto]\n"
    "Imprime o relatório de erros de validação da última importação.\n"
    "  --pasta  a pasta do programa, com KOVALDDB.MDB (padrão: $KOVA_PASTA, senão a pasta do kova-cli)\n"
    "  --pdf    grava o relatório neste arquivo PDF em vez de mandá-lo à impressora padrão\n"
    "  --texto  escreve as páginas na saída padrão, uma folha por página (separadas por form feed)\n"
    "Saída: 0 impresso, 1 nada impresso (sem erros, sem impressora ou fonte), 2 uso incorreto, 3 falha.\n";

int erros(const std::vector<std::string>& given) {
    std::vector<std::string> args = given;
    const auto destination = kova::cli::takeDestinationOrUsage(args, kUsage);
    if (!destination) return 2;
    std::optional<fs::path> folder;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--help" || args[i] == "-h") {
            std::cout << kUsage;
            return 0;
        }
        if (args[i] == "--pasta" && i + 1 < args.size()) {
            folder = fs::path(args[++i]);
        } else {
            std::cerr << "Argumento inválido: " << args[i] << "\n" << kUsage;
            return 2;
        }
    }
    kova::WorkDatabase database(kova::cli::programFolderOr(folder));
    try {
        // Opened as it is: the start-up opening would empty the log this report is about.
        database.open();
    } catch (const kova::Fault& f) {
        std::cerr << "Não foi possível abrir o banco de dados " << database.databasePath().string() << ".\n"
                  << kova::faultMessage(f) << "\n";
        return 3;
    }
    kova::cli::BatchPrinting printing(*destination);
    switch (kova::print::printErrorReport(database, printing.context())) {
        case kova::print::PrintOutcome::Printed: return 0;
        case kova::print::PrintOutcome::Failed: return 3;
        default: return 1;
    }
}

const kova::cli::RegisterCommand registration("erros", "imprime o relatório de erros da última importação", erros);

}  // namespace
#endif
