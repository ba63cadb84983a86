// kova-cli importar: the import screen without a screen. It chooses the file (the declarant data of its first
// record), opens the work database, runs the import and, when it is clean, the generation.
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "cli/batch_support.h"
#include "cli/command_registry.h"
#include "cli/json_text.h"
#include "core/clock.h"
#include "core/work_database.h"
#include "delivery/generation.h"
#include "import/import_driver.h"

namespace fs = std::filesystem;

namespace {

constexpr int kExitImported = 0;
constexpr int kExitErrors = 1;
constexpr int kExitRefused = 2;
constexpr int kExitFailure = 3;

const char* kUsage =
    "Uso: kova-cli importar ARQUIVO [--pasta PASTA] [--json] [--substituir]\n"
    "Importa e valida a declaração ARQUIVO; sem erros, gera o arquivo de entrega em GERADA/.\n"
    "  --pasta       a pasta do programa, com KOVALDDB.MDB (padrão: $KOVA_PASTA, senão a pasta do kova-cli)\n"
    "  --json        um objeto JSON por erro registrado, na ordem em que foram registrados; sem ele, a lista\n"
    "                de pendências como a tela a mostra\n"
    "  --substituir  substitui uma declaração já gerada com a mesma identificação (sem ele, a resposta é Não)\n"
    "Mensagens e avisos vão para a saída de erro. As demais perguntas são respondidas Não / Cancelar.\n"
    "Saída: 0 importada (e gerada), 1 erros registrados, 2 recusada com mensagem, 3 falha.\n";

struct Options {
    fs::path file;
    std::optional<fs::path> programFolder;
    bool json = false;
    bool replace = false;
};

// The import as kova-cli shows it: the pending list on stdout as it is filled, unless JSON rows are wanted;
// the zero-amount warning is a notice on stderr.
class CliImportEvents : public kova::ImportEvents {
public:
    explicit CliImportEvents(bool json) : json_(json) {}
    void pendingLine(const std::string& line) override {
        if (!json_) std::cout << line << "\n";
    }
    void warning(const std::string& line) override { std::cerr << line << "\n"; }

private:
    bool json_;
};

// Parses the arguments; a message and nullopt on a usage error. `help` is set for --help.
std::optional<Options> parse(const std::vector<std::string>& args, bool& help) {
    Options o;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--help" || a == "-h") {
            help = true;
            return o;
        }
        if (a == "--pasta" && i + 1 < args.size()) {
            o.programFolder = fs::path(args[++i]);
        } else if (a == "--json") {
            o.json = true;
        } else if (a == "--substituir") {
            o.replace = true;
        } else if (!a.empty() && a[0] != '-' && o.file.empty()) {
            o.file = a;
        } else {
            std::cerr << "Argumento inválido: " << a << "\n" << kUsage;
            return std::nullopt;
        }
    }
    if (o.file.empty()) {
        std::cerr << "Informe o arquivo da declaração.\n" << kUsage;
        return std::nullopt;
    }
    return o;
}

void printJsonRows(kova::ErrorLog& log) {
    using kova::cli::jsonString;
    log.listErrors([](const kova::ErrorListing& row) {
        std::cout << "{\"TIPOREG\":" << jsonString(row.recordType) << ",\"nreg\":" << row.recordNumber
                  << ",\"posini\":" << jsonString(row.firstColumn) << ",\"posfin\":" << jsonString(row.lastColumn)
                  << ",\"coderro\":" << row.code << ",\"COMPLEMENTOERR\":" << jsonString(row.complement)
                  << ",\"descerro\":" << jsonString(row.description) << "}\n";
        return true;
    });
}

int importar(const std::vector<std::string>& args) {
    bool help = false;
    const std::optional<Options> options = parse(args, help);
    if (help) {
        std::cout << kUsage;
        return kExitImported;
    }
    if (!options) return kExitRefused;

    kova::ImportSession session;
    session.programFolder = kova::cli::programFolderOr(options->programFolder);
    kova::cli::BatchPrompts prompts(options->replace ? kova::kReplaceQuestionTitle : "");
    CliImportEvents events(options->json);
    const kova::SystemClock clock;
    kova::WorkDatabase database(session.programFolder);
    kova::DeliveryGeneration generation;
    kova::ImportDriver driver(session, events, prompts, clock, database, &generation);

    // Choosing the file: an empty file or a first record that cannot be a header is refused before anything is
    // touched.
    const kova::FileChoice choice = driver.choose(options->file);
    if (!choice.notice.empty()) {
        std::cerr << choice.notice << "\n";
        return kExitRefused;
    }

    if (!database.openForSession(prompts)) return kExitFailure;
    const kova::ImportResult result = driver.run();
    switch (result.outcome) {
        case kova::ImportOutcome::Succeeded:
            if (result.generated)
                std::cerr << kova::importSuccessText(session) << "\n";
            else
                std::cerr << "Arquivo importado com sucesso. A declaração não tem erros.\n";
            return kExitImported;
        case kova::ImportOutcome::ErrorsListed:
            if (options->json) printJsonRows(database);
            return kExitErrors;
        case kova::ImportOutcome::Refused:
        case kova::ImportOutcome::Cancelled:
            return kExitRefused;
        case kova::ImportOutcome::Failed:
            break;
    }
    return kExitFailure;
}

const kova::cli::RegisterCommand registration("importar",
                                              "importa e valida uma declaração (e gera o arquivo de entrega)",
                                              importar);

}  // namespace
