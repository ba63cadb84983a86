// kova-cli diagnostico: the check-up of the installation, line by line, with the fix of what is not ready.
#include <iostream>
#include <optional>
#include <string_view>

#include "cli/command.h"
#include "cli/json_text.h"
#include "delivery/transmission.h"
#include "print/installation_check.h"
#ifdef KOVA_HAVE_PRINT_QT
#include "print/qt/machine_facts.h"
#include "print/qt/print_output.h"
#endif

namespace {

using kova::cli::ExitStatus;

constexpr std::string_view kJsonOption = "--json";

const kova::cli::CommandDescription kCommand{
    .name = "diagnostico",
    .summary = "verifica a instalação e diz como corrigir o que falta",
    .purpose =
        "Verifica, linha a linha, a pasta do programa, o banco de dados de trabalho, o espaço livre, o\n"
        "Quiboro (configuração, versão e biblioteca), as fontes dos documentos, a impressora e os formatos\n"
        "de data e hora; diz como corrigir cada item que não está pronto.",
    .options = {kova::cli::programFolderOption(),
                {.name = kJsonOption, .help = "um objeto JSON por item (item, assunto, estado, detalhe, correcao)"}},
    .exits = {"tudo pronto", "algum item a corrigir", "uso incorreto", "falha"},
};

void printJson(const kova::print::CheckLine& line) {
    using kova::cli::jsonString;
    std::cout << "{\"item\":" << jsonString(line.key) << ",\"assunto\":" << jsonString(line.subject)
              << ",\"estado\":" << jsonString(kova::print::stateName(line.state))
              << ",\"detalhe\":" << jsonString(line.detail) << ",\"correcao\":" << jsonString(line.fix) << "}\n";
}

ExitStatus diagnostico(const kova::cli::Arguments& args) {
    kova::print::InstallationCheckInput input;
    input.programFolder = args.programFolder();
    input.windowsFolder = kova::windowsFolder();
#ifdef KOVA_HAVE_PRINT_QT
    kova::print::ensureGuiApplication();
    input.machine = kova::print::gatherMachineFacts();
#endif
    const auto lines = kova::print::checkInstallation(input);
    if (args.has(kJsonOption)) {
        for (const auto& line : lines) printJson(line);
    } else {
        std::cout << kova::print::checkupText(lines);
    }
    return kova::print::allReady(lines) ? ExitStatus::Done : ExitStatus::ErrorsFound;
}

const kova::cli::RegisterCommand registration(kCommand, diagnostico);

}  // namespace
