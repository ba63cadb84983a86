// kova-cli importar: the import screen without a screen. It chooses the file (the declarant data of its first
// record), opens the work database, runs the import and, when it is clean, the generation.
#include <filesystem>
#include <iostream>
#include <string>
#include <string_view>

#include "cli/batch_support.h"
#include "cli/command.h"
#include "cli/error_rows.h"
#include "core/clock.h"
#include "core/work_database.h"
#include "delivery/generation.h"
#include "import/import_driver.h"

namespace fs = std::filesystem;

namespace {

using kova::cli::ExitStatus;

// The statuses of this command by what they mean here.
constexpr ExitStatus kExitImported = ExitStatus::Done;
constexpr ExitStatus kExitErrors = ExitStatus::ErrorsFound;
constexpr ExitStatus kExitRefused = ExitStatus::Refused;
constexpr ExitStatus kExitFailure = ExitStatus::Failure;

constexpr std::string_view kJsonOption = "--json";
constexpr std::string_view kReplaceOption = "--substituir";

const kova::cli::CommandDescription kCommand{
    .name = "importar",
    .summary = "importa e valida uma declaração (e gera o arquivo de entrega)",
    .purpose = "Importa e valida a declaração ARQUIVO; sem erros, gera o arquivo de entrega em GERADA/.",
    .operand = "ARQUIVO",
    .missingOperand = "Informe o arquivo da declaração.",
    .options = {kova::cli::programFolderOption(),
                {.name = kJsonOption,
                 .help = "um objeto JSON por erro registrado, na ordem em que foram registrados, com o campo, o\n"
                         "valor encontrado e a dica de correção; sem ele, a lista de pendências como a tela a mostra"},
                {.name = kReplaceOption,
                 .help = "substitui uma declaração já gerada com a mesma identificação (sem ele, a resposta é Não)"}},
    .notes = "Mensagens e avisos vão para a saída de erro. As demais perguntas são respondidas Não / Cancelar.",
    .exits = {"importada (e gerada)", "erros registrados", "recusada com mensagem", "falha"},
};

struct Options {
    fs::path file;
    bool json = false;
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

ExitStatus importar(const kova::cli::Arguments& args) {
    const Options options{args.operand(), args.has(kJsonOption)};

    kova::ImportSession session;
    session.programFolder = args.programFolder();
    kova::cli::BatchPrompts prompts(args.has(kReplaceOption) ? kova::kReplaceQuestionTitle : "");
    CliImportEvents events(options.json);
    const kova::SystemClock clock;
    kova::WorkDatabase database(session.programFolder);
    kova::DeliveryGeneration generation;
    kova::ImportDriver driver(session, events, prompts, clock, database, &generation);

    // Choosing the file: an empty file or a first record that cannot be a header is refused before anything is
    // touched.
    const kova::FileChoice choice = driver.choose(options.file);
    if (!choice.notice.empty()) {
        std::cerr << choice.notice << "\n";
        return kExitRefused;
    }

    if (!database.openOrTell(prompts)) return kExitFailure;
    // The rows are read while the folder is still ours: a concurrent import would empty the log once it is not.
    if (options.json)
        driver.setWhileLocked([&](const kova::ImportResult& ended) {
            if (ended.outcome == kova::ImportOutcome::ErrorsListed) kova::cli::printJsonRows(database, std::cout);
        });
    const kova::ImportResult result = driver.run();
    switch (result.outcome) {
        case kova::ImportOutcome::Succeeded:
            if (result.generated)
                std::cerr << kova::importSuccessText(session) << "\n";
            else
                std::cerr << "Arquivo importado com sucesso. A declaração não tem erros.\n";
            return kExitImported;
        case kova::ImportOutcome::ErrorsListed:
            return kExitErrors;
        case kova::ImportOutcome::Refused:
        case kova::ImportOutcome::Cancelled:
            return kExitRefused;
        case kova::ImportOutcome::Failed:
            break;
    }
    return kExitFailure;
}

const kova::cli::RegisterCommand registration(kCommand, importar);

}  // namespace
