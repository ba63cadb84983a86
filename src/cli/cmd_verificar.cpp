// kova-cli verificar: the integrity check of a delivery file, as the print screens run it before printing.
#include <iostream>
#include <string>
#include <vector>

#include "cli/batch_support.h"
#include "cli/command_registry.h"
#include "delivery/integrity_check.h"

namespace {

constexpr int kExitIntact = 0;
constexpr int kExitNotIntact = 1;
constexpr int kExitUsage = 2;

const char* kUsage =
    "Uso: kova-cli verificar ARQUIVO.DEC\n"
    "Confere os selos do arquivo de entrega e mostra as quantidades de registros dos tipos 3, 4 e 5.\n"
    "Saída: 0 íntegro, 1 alterado, vazio, inexistente ou sem registros dos tipos 3, 4 e 5, 2 uso incorreto.\n";

int verificar(const std::vector<std::string>& args) {
    std::string file;
    for (const std::string& arg : args) {
        if (arg == "--help" || arg == "-h") {
            std::cout << kUsage;
            return kExitIntact;
        }
        if (!file.empty() || (!arg.empty() && arg.front() == '-')) {
            std::cerr << "Argumento inválido: " << arg << "\n" << kUsage;
            return kExitUsage;
        }
        file = arg;
    }
    if (file.empty()) {
        std::cerr << kUsage;
        return kExitUsage;
    }

    kova::cli::BatchPrompts prompts;
    kova::DeclarationCheck check;
    const bool intact = kova::checkDeclaration(file, prompts, check);
    std::cout << "Registros tipo 3: " << check.count3 << "\n"
              << "Registros tipo 4: " << check.count4 << "\n"
              << "Registros tipo 5: " << check.count5 << "\n";
    std::cerr << (intact ? "Declaração íntegra." : "A declaração não passou na verificação dos selos.") << "\n";
    return intact ? kExitIntact : kExitNotIntact;
}

const kova::cli::RegisterCommand registration("verificar", "confere a integridade de um arquivo de entrega", verificar);

}  // namespace
