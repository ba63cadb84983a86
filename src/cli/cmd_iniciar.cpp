// kova-cli iniciar: prepares a new program folder with a fresh work database.
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "cli/command_registry.h"
#include "core/faults.h"
#include "core/work_database.h"

namespace fs = std::filesystem;

namespace {

constexpr int kExitDone = 0;
constexpr int kExitRefused = 2;
constexpr int kExitFailure = 3;

const char* kUsage =
    "Uso: kova-cli iniciar --pasta PASTA\n"
    "Cria a pasta do programa (se preciso) com um banco de dados de trabalho KOVALDDB.MDB novo.\n"
    "  --pasta  a pasta a preparar (padrão: $KOVA_PASTA)\n"
    "Uma pasta que já tem KOVALDDB.MDB não é alterada.\n"
    "Saída: 0 criado, 2 recusado ou uso incorreto, 3 falha.\n";

int iniciar(const std::vector<std::string>& args) {
    std::optional<fs::path> folder;
    if (const char* env = std::getenv("KOVA_PASTA"); env && *env) folder = fs::path(env);
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--help" || args[i] == "-h") {
            std::cout << kUsage;
            return kExitDone;
        }
        if (args[i] == "--pasta" && i + 1 < args.size()) {
            folder = fs::path(args[++i]);
        } else {
            std::cerr << "Argumento inválido: " << args[i] << "\n" << kUsage;
            return kExitRefused;
        }
    }
    if (!folder || folder->empty()) {
        std::cerr << "Informe a pasta do programa com --pasta.\n" << kUsage;
        return kExitRefused;
    }

    const fs::path database = *folder / kova::kWorkDatabaseFile;
    std::error_code ec;
    if (fs::exists(fs::symlink_status(database, ec))) {
        std::cerr << "A pasta " << folder->string() << " já tem um banco de dados de trabalho (" << database.string()
                  << "). Nada foi alterado.\n";
        return kExitRefused;
    }
    try {
        fs::create_directories(*folder, ec);
        if (ec) throw kova::faultFromErrno(ec.value());
        kova::createDatabase(database);
    } catch (const kova::Fault& fault) {
        std::cerr << "Não foi possível criar o banco de dados de trabalho em " << folder->string() << ".\n"
                  << kova::faultMessage(fault) << "\n";
        return fault.number() == 58 ? kExitRefused : kExitFailure;
    }
    std::cout << database.string() << "\n";
    return kExitDone;
}

const kova::cli::RegisterCommand registration("iniciar", "cria uma pasta do programa com o banco de dados de trabalho",
                                              iniciar);

}  // namespace
