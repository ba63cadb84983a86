// kova-cli iniciar: prepares a new program folder with a fresh work database.
#include <filesystem>
#include <iostream>

#include "cli/command.h"
#include "core/faults.h"
#include "core/program_folder_setup.h"
#include "core/work_database.h"

namespace fs = std::filesystem;

namespace {

using kova::cli::ExitStatus;

// Fault number of a file that already exists: another process created the database meanwhile.
constexpr int kFaultFileExists = 58;

const kova::cli::CommandDescription kCommand{
    .name = "iniciar",
    .summary = "cria uma pasta do programa com o banco de dados de trabalho",
    .purpose = "Cria a pasta do programa (se preciso) com um banco de dados de trabalho KOVALDDB.MDB novo.",
    .options = {{.name = kova::cli::kProgramFolderOption,
                 .value = "PASTA",
                 .help = "a pasta a preparar (padrão: $KOVA_PASTA)",
                 .required = true}},
    .notes = "Uma pasta que já tem KOVALDDB.MDB não é alterada.",
    .exits = {"criado", "", "recusado ou uso incorreto", "falha"},
};

ExitStatus iniciar(const kova::cli::Arguments& args) {
    // Never the folder of kova-cli by default: the folder to prepare is named.
    const auto folder = args.namedProgramFolder();
    if (!folder) return kova::cli::refuseUsage(kCommand, "Informe a pasta do programa com --pasta.");

    const fs::path database = *folder / kova::kWorkDatabaseFile;
    try {
        switch (kova::prepareProgramFolder(*folder)) {
            case kova::FolderPreparation::Created:
                std::cout << database.string() << "\n";
                return ExitStatus::Done;
            case kova::FolderPreparation::AlreadyHasDatabase:
                std::cerr << "A pasta " << folder->string() << " já tem um banco de dados de trabalho ("
                          << database.string() << "). Nada foi alterado.\n";
                return ExitStatus::Refused;
            case kova::FolderPreparation::InUse:
                std::cerr << kova::folderInUseMessage(*folder) << "\n";
                return ExitStatus::Refused;
        }
    } catch (const kova::Fault& fault) {
        std::cerr << "Não foi possível criar o banco de dados de trabalho em " << folder->string() << ".\n"
                  << kova::faultMessage(fault) << "\n";
        return fault.number() == kFaultFileExists ? ExitStatus::Refused : ExitStatus::Failure;
    }
    return ExitStatus::Failure;
}

const kova::cli::RegisterCommand registration(kCommand, iniciar);

}  // namespace
