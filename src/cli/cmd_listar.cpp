// kova-cli listar: the catalogue of generated declarations, as the grids of the screens list it.
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "cli/batch_support.h"
#include "cli/command_registry.h"
#include "cli/json_text.h"
#include "core/faults.h"
#include "core/text.h"
#include "delivery/catalogue.h"

namespace fs = std::filesystem;

namespace {

constexpr int kExitListed = 0;
constexpr int kExitNothing = 1;
constexpr int kExitUsage = 2;
constexpr int kExitFailure = 3;

const char* kUsage =
    "Uso: kova-cli listar [--pasta PASTA] [--selecao 0|1|2] [--json]\n"
    "Lista as declarações geradas em GERADA/, na ordem das grades (CNPJ, nome, ano, tipo).\n"
    "  --pasta    a pasta do programa, com KOVALDDB.MDB (padrão: $KOVA_PASTA, senão a pasta do kova-cli)\n"
    "  --selecao  0 impressão (padrão), 1 transmissão (sem recibo), 2 recibo (recibo válido)\n"
    "  --json     um objeto JSON por declaração\n"
    "Saída: 0 listadas, 1 nenhuma declaração, 2 uso incorreto, 3 falha.\n";

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

int listar(const std::vector<std::string>& args) {
    std::optional<fs::path> folder;
    kova::CatalogueSelection selection = kova::CatalogueSelection::Printing;
    bool json = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--help" || arg == "-h") {
            std::cout << kUsage;
            return kExitListed;
        }
        if (arg == "--pasta" && i + 1 < args.size()) {
            folder = fs::path(args[++i]);
        } else if (arg == "--selecao" && i + 1 < args.size() && args[i + 1].size() == 1 && args[i + 1][0] >= '0' &&
                   args[i + 1][0] <= '2') {
            selection = static_cast<kova::CatalogueSelection>(args[++i][0] - '0');
        } else if (arg == "--json") {
            json = true;
        } else {
            std::cerr << "Argumento inválido: " << arg << "\n" << kUsage;
            return kExitUsage;
        }
    }

    const fs::path programFolder = kova::cli::programFolderOr(folder);
    kova::cli::BatchPrompts prompts;
    kova::WorkDatabase database(programFolder);
    try {
        database.open();
    } catch (const kova::Fault& fault) {
        std::cerr << "Erro na abertura do banco de dados.\n" << kova::faultMessage(fault) << "\n";
        return kExitFailure;
    }
    if (kova::loadCatalogue(programFolder, database, selection, prompts) != 0) {
        std::cerr << "A unidade não contém declarações.\n";
        return kExitNothing;
    }
    try {
        if (!json) std::cout << "CNPJ\tAno\tSituação\tData do Evento\tTipo\tNome Empresarial\tTransmitida\tArquivo\n";
        kova::readCatalogue(database, [&](const kova::CatalogueRow& row) { json ? printJson(row) : printLine(row); });
    } catch (const kova::Fault& fault) {
        std::cerr << "Erro na carga das declarações na grade.\n" << kova::faultMessage(fault) << "\n";
        return kExitFailure;
    }
    return kExitListed;
}

const kova::cli::RegisterCommand registration("listar", "lista as declarações geradas (catálogo)", listar);

}  // namespace
