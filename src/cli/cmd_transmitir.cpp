// kova-cli transmitir: hands a generated delivery file to Quiboro, as the transmission screen does.
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>

#include "cli/batch_support.h"
#include "cli/command.h"
#include "core/ports.h"
#include "delivery/receipt_validation.h"
#include "delivery/transmission.h"

namespace fs = std::filesystem;

namespace {

using kova::cli::ExitStatus;

constexpr std::string_view kQuiboroOption = "--opcao";

const kova::cli::CommandDescription kCommand{
    .name = "transmitir",
    .summary = "entrega uma declaração gerada ao programa Quiboro",
    .purpose = "Entrega a declaração gerada ao programa Quiboro, configurado em qui-bor.ini na pasta do Windows\n"
               "($KOVA_WINDIR, senão $XDG_CONFIG_HOME, senão ~/.config).",
    .operand = "ARQUIVO.DEC",
    .operandHelp = "o arquivo de entrega; um nome sem pasta que não exista na pasta atual é procurado\n"
                   "em GERADA/ da pasta do programa",
    .options = {kova::cli::programFolderOption("a pasta do programa (padrão: $KOVA_PASTA, senão a pasta do kova-cli)"),
                {.name = kQuiboroOption, .value = "N", .help = "a opção repassada ao Quiboro (padrão: 1)"}},
    .exits = {"aceita (o caminho do recibo vai para a saída padrão)", "arquivo alterado após a importação",
              "recusada ou uso incorreto", "falha"},
};

// A bare name missing from the current folder is looked for in its declaration folder under GERADA.
fs::path resolveDeliveryFile(const kova::cli::Arguments& args) {
    const fs::path given = args.operand();
    std::error_code ec;
    if (fs::exists(given, ec) || given.has_parent_path()) return given;
    return args.programFolder() / "GERADA" / given.stem() / given;
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

ExitStatus transmitir(const kova::cli::Arguments& args) {
    kova::TransmissionRequest request;
    if (const auto text = args.value(kQuiboroOption)) {
        const auto option = parseOption(*text);
        if (!option) return kova::cli::refuseUsage(kCommand, "Opção inválida: " + *text);
        request.option = *option;
    }
    const fs::path file = resolveDeliveryFile(args);
    std::error_code ec;
    if (!fs::is_regular_file(file, ec)) {
        std::cerr << "O arquivo de declaração não existe: " << file.string() << "\n";
        return ExitStatus::Refused;
    }
    request.deliveryFile = fs::absolute(file, ec);
    if (ec) request.deliveryFile = file;

    kova::cli::BatchPrompts prompts;
    switch (kova::transmit(prompts, request)) {
        case kova::TransmissionOutcome::Accepted:
            std::cout << kova::receiptPathOf(request.deliveryFile).string() << "\n";
            return ExitStatus::Done;
        case kova::TransmissionOutcome::Altered:
            return ExitStatus::ErrorsFound;
        case kova::TransmissionOutcome::Refused:
            return ExitStatus::Refused;
        case kova::TransmissionOutcome::Failed:
            break;
    }
    return ExitStatus::Failure;
}

const kova::cli::RegisterCommand registration(kCommand, transmitir);

}  // namespace
