// kova-cli: the batch front end. Sub-commands live in their own files and register in command_registry.
#include <cstdio>
#include <exception>
#include <iostream>

#include "cli/command_registry.h"

namespace kova::cli {
std::map<std::string, Command>& commands() {
    static std::map<std::string, Command> all;
    return all;
}
}  // namespace kova::cli

static void printUsage(std::ostream& out) {
    out << "Uso: kova-cli COMANDO [opções]\n\nComandos:\n";
    for (const auto& [name, command] : kova::cli::commands())
        out << "  " << name << std::string(name.size() < 12 ? 12 - name.size() : 1, ' ') << command.summary << "\n";
    out << "\nUse kova-cli COMANDO --help para as opções de cada comando.\n";
}

int main(int argc, char** argv) {
    if (argc < 2 || std::string(argv[1]) == "--help" || std::string(argv[1]) == "-h") {
        printUsage(std::cout);
        return argc < 2 ? 2 : 0;
    }
    auto& all = kova::cli::commands();
    auto it = all.find(argv[1]);
    if (it == all.end()) {
        std::cerr << "Comando desconhecido: " << argv[1] << "\n";
        printUsage(std::cerr);
        return 2;
    }
    std::vector<std::string> args(argv + 2, argv + argc);
    try {
        return it->second.run(args);
    } catch (const std::exception& e) {
        std::cerr << "Falha: " << e.what() << "\n";
        return 3;
    }
}
