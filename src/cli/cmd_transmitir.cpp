// kova-cli transmitir: hands a generated delivery file to Quiboro, as the transmission screen does.
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "cli/batch_support.h"
#include "cli/command_registry.h"
#include "core/ports.h"
#include "delivery/receipt_validation.h"
#include "delivery/transmission.h"

namespace fs = std::filesystem;

namespace {

constexpr int kExitAccepted = 0;
constexpr int kExitRefused = 1;
constexpr int kExitUsage = 2;
constexpr int kExitFailure = 3;

const char* kUsage =
    "Uso: kova-cli transmitir ARQUIVO.DEC [--pasta PASTA] [--opcao N]\n"
    "Entrega a declaração gerada ao programa Quiboro, configurado em qui-bor.ini na pasta do Windows\n"
    "($KOVA_WINDIR, senão $XDG_CONFIG_HOME, senão ~/.config).\n"
    "  ARQUIVO.DEC  o arquivo de entrega; um nome sem pasta que não exista na pasta atual é procurado\n"
    "               em GERADA/ da pasta do programa\n"
    "  --pasta      a pasta do programa (padrão: $KOVA_PASTA, senão a pasta do kova-cli)\n"
    "  --opcao      a opção repassada ao Quiboro (padrão: 1)\n"
    "Saída: 0 aceita (o caminho do recibo vai para a saída padrão), 1 recusada, 2 uso incorreto, 3 falha.\n";

// A bare name missing from the current folder is looked for in its declaration folder under GERADA.
fs::path resolveDeliveryFile(const fs::path& given, const std::optional<fs::path>& programFolder) {
    std::error_code ec;
    if (fs::exists(given, ec) || given.has_parent_path()) return given;
    return kova::cli::programFolderOr(programFolder) / "GERADA" / given.stem() / given;
}

std::optional<std::int16_t> parseOption(const std::string& text) {
    try {
        std::size_t used = 0;
        const int value = std::stoi(text, &used);
        if (used != text.size() || value < -32768 || value > 32767) return std::nullopt;
        return static_cast<std::int16_t>(value);
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

int transmitir(const std::vector<std::string>& args) {
    std::optional<fs::path> deliveryFile;
    std::optional<fs::path> programFolder;
    std::int16_t option = 1;

    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--help" || arg == "-h") {
            std::cout << kUsage;
            return kExitAccepted;
        }
        if (arg == "--pasta" && i + 1 < args.size()) {
            programFolder = fs::path(args[++i]);
        } else if (arg == "--opcao" && i + 1 < args.size()) {
            const auto value = parseOption(args[++i]);
            if (!value) {
                std::cerr << "Opção inválida: " << args[i] << "\n" << kUsage;
                return kExitUsage;
            }
            option = *value;
        } else if (!arg.empty() && arg.front() != '-' && !deliveryFile) {
            deliveryFile = fs::path(arg);
        } else {
            std::cerr << "Argumento inválido: " << arg << "\n" << kUsage;
            return kExitUsage;
        }
    }
    if (!deliveryFile) {
        std::cerr << kUsage;
        return kExitUsage;
    }

    const fs::path file = resolveDeliveryFile(*deliveryFile, programFolder);
    std::error_code ec;
    if (!fs::is_regular_file(file, ec)) {
        std::cerr << "O arquivo de declaração não existe: " << file.string() << "\n";
        return kExitUsage;
    }

    kova::cli::BatchPrompts prompts;
    kova::TransmissionRequest request;
    request.deliveryFile = fs::absolute(file, ec);
    if (ec) request.deliveryFile = file;
    request.option = option;
    switch (kova::transmit(prompts, request)) {
        case kova::TransmissionOutcome::Accepted:
            std::cout << kova::receiptPathOf(request.deliveryFile).string() << "\n";
            return kExitAccepted;
        case kova::TransmissionOutcome::Refused:
            return kExitRefused;
        case kova::TransmissionOutcome::Failed:
            break;
    }
    return kExitFailure;
}

const kova::cli::RegisterCommand registration("transmitir", "entrega uma declaração gerada ao programa Quiboro",
                                              transmitir);

}  // namespace
