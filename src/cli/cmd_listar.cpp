// kova-cli listar: the catalogue of generated declarations, as the grids of the screens list it.
#include <filesystem>
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

#include "cli/batch_support.h"
#include "cli/command.h"
#include "cli/json_text.h"
#include "core/text.h"
#include "delivery/catalogue.h"

namespace fs = std::filesystem;

namespace {

using kova::cli::ExitStatus;

constexpr std::string_view kSelectionOption = "--selecao";
constexpr std::string_view kJsonOption = "--json";

const kova::cli::CommandDescription kCommand{
    .name = "listar",
    .summary = "lista as declarações geradas (catálogo)",
    .purpose = "Lista as declarações geradas em GERADA/, na ordem das grades (CNPJ, nome, ano, tipo).",
    .options = {kova::cli::programFolderOption(),
                {.name = kSelectionOption,
                 .value = "0|1|2",
                 .help = "0 impressão (padrão), 1 transmissão (sem recibo), 2 recibo (recibo válido)"},
                {.name = kJsonOption, .help = "um objeto JSON por declaração"}},
    .exits = {"listadas", "nenhuma declaração", "uso incorreto", "falha"},
};

void printJson(const kova::CatalogueRow& row) {
    using kova::cli::jsonString;
    std::cout << "{\"CNPJ\":" << jsonString(row.cnpj) << ",\"TRIMANO\":" << jsonString(row.year)
              << ",\"SITUACAO\":" << jsonString(row.situation) << ",\"DATAEVENTO\":" << jsonString(row.eventDate)
              << ",\"NOME\":" << jsonString(row.name) << ",\"Tipo\":" << jsonString(row.type)
              << ",\"nomearquivo\":" << jsonString(row.fileName)
              << ",\"NOMEDIRETORIO\":" << jsonString(row.folderName) << ",\"NOMEARQUIVORECIBO\":"
              << (row.receiptFileName ? jsonString(*row.receiptFileName) : std::string("null"))
              << ",\"TRANSMITIDA\":" << jsonString(row.transmitted) << ",\"PERI\":" << jsonString(row.periodStart)
              << ",\"PERF\":" << jsonString(row.periodEnd) << "}\n";
}

// The grids' columns: CNPJ, Ano, Situação, Data do Evento, Tipo, Nome Empresarial, Transmitida, then the file.
void printLine(const kova::CatalogueRow& row) {
    using kova::printable;
    std::cout << printable(kova::applyMask(kova::kCnpjMask, row.cnpj)) << "\t" << printable(row.year) << "\t"
              << printable(row.situation) << "\t" << printable(row.eventDate) << "\t" << row.type << "\t"
              << printable(kova::trimRightBlanks(row.name)) << "\t" << row.transmitted << "\t"
              << printable(row.fileName) << "\n";
}

ExitStatus listar(const kova::cli::Arguments& args) {
    kova::CatalogueSelection selection = kova::CatalogueSelection::Printing;
    if (const auto value = args.value(kSelectionOption)) {
        if (*value != "0" && *value != "1" && *value != "2")
            return kova::cli::refuseArgument(kCommand, kSelectionOption);
        selection = static_cast<kova::CatalogueSelection>(value->front() - '0');
    }
    const bool json = args.has(kJsonOption);

    kova::cli::BatchPrompts prompts;
    // Listing only reads the folders: it works on a read-only folder and while another process writes.
    const std::vector<kova::CatalogueRow> rows = kova::scanCatalogue(args.programFolder(), selection, prompts);
    if (rows.empty()) {
        std::cerr << "A unidade não contém declarações.\n";
        return ExitStatus::ErrorsFound;
    }
    if (!json) std::cout << "CNPJ\tAno\tSituação\tData do Evento\tTipo\tNome Empresarial\tTransmitida\tArquivo\n";
    for (const kova::CatalogueRow& row : rows) json ? printJson(row) : printLine(row);
    return ExitStatus::Done;
}

const kova::cli::RegisterCommand registration(kCommand, listar);

}  // namespace
