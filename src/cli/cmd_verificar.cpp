// kova-cli verificar: the integrity check of a delivery file, as the print screens run it before printing.
#include <iostream>

#include "cli/batch_support.h"
#include "cli/command.h"
#include "delivery/integrity_check.h"

namespace {

using kova::cli::ExitStatus;

const kova::cli::CommandDescription kCommand{
    .name = "verificar",
    .summary = "confere a integridade de um arquivo de entrega",
    .purpose = "Confere os selos do arquivo de entrega e mostra as quantidades de registros dos tipos 3, 4 e 5.",
    .operand = "ARQUIVO.DEC",
    .exits = {"íntegro", "alterado, vazio, inexistente ou sem registros dos tipos 3, 4 e 5", "uso incorreto"},
};

ExitStatus verificar(const kova::cli::Arguments& args) {
    kova::cli::BatchPrompts prompts;
    kova::DeclarationCheck check;
    const bool intact = kova::checkDeclaration(args.operand(), prompts, check);
    std::cout << "Registros tipo 3: " << check.count3 << "\n"
              << "Registros tipo 4: " << check.count4 << "\n"
              << "Registros tipo 5: " << check.count5 << "\n";
    std::cerr << (intact ? "Declaração íntegra." : "A declaração não passou na verificação dos selos.") << "\n";
    return intact ? ExitStatus::Done : ExitStatus::ErrorsFound;
}

const kova::cli::RegisterCommand registration(kCommand, verificar);

}  // namespace
