// kova-cli listar: the catalogue of generated declarations, as the grids of the screens list it.
#include <filesystem>
#include <iostream>
#include <string>
#include <string_view>

#include "cli/batch_support.h"
#include "cli/command.h"
#include "cli/json_text.h"
#include "core/faults.h"
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
    std::cout << kova::applyMask(kova::kCnpjMask, row.cnpj) << "\t" << row.year << "\t" << row.situation << "\t"
              << row.eventDate << "\t" << row.type << "\t" << kova::trimRightBlanks(row.name) << "\t"
              << row.transmitted << "\t" << row.fileName << "\n";
}

ExitStatus listar(const kova::cli::Arguments& args) {
    kova::CatalogueSelection selection = kova::CatalogueSelection::Printing;
    if (const auto value = args.value(kSelectionOption)) {
        if (*value != "0" && *value != "1" && *value != "2")
            return kova::cli::refuseArgument(kCommand, kSelectionOption);
        selection = static_cast<kova::CatalogueSelection>(value->front() - '0');
    }
    const bool json = args.has(kJsonOption);

    const fs::path programFolder = args.programFolder();
    kova::cli::BatchPrompts prompts;
    kova::WorkDatabase database(programFolder);
    try {
        database.open();
    } catch (const kova::Fault& fault) {
        std::cerr << "Erro na abertura do banco de dados.\n" << kova::faultMessage(fault) << "\n";
        return ExitStatus::Failure;
    }
    switch (kova::loadCatalogue(programFolder, database, selection, prompts)) {
        case kova::kCatalogueListed: break;
        case kova::kCatalogueFolderBusy: return ExitStatus::Refused;
        default: std::cerr << "A unidade não contém declarações.\n"; return ExitStatus::ErrorsFound;
    }
    try {
        if (!json) std::cout << "CNPJ\tAno\tSituação\tData do Evento\tTipo\tNome Empresarial\tTransmitida\tArquivo\n";
        kova::readCatalogue(database, [&](const kova::CatalogueRow& row) { json ? printJson(row) : printLine(row); });
    } catch (const kova::Fault& fault) {
        std::cerr << "Erro na carga das declarações na grade.\n" << kova::faultMessage(fault) << "\n";
        return ExitStatus::Failure;
    }
    return ExitStatus::Done;
}

const kova::cli::RegisterCommand registration(kCommand, listar);

}  // namespace
