// kova-cli recibo: validates the receipt of a transmitted declaration and prints the delivery receipt, with the
// same checks as the receipt screen.
#ifdef KOVA_HAVE_PRINT_QT
#include <iostream>
#include <string>

#include "cli/command.h"
#include "cli/print_command.h"
#include "core/text.h"
#include "delivery/receipt_validation.h"
#include "print/receipt_print.h"

namespace {

using kova::cli::ExitStatus;

constexpr std::string_view kValidateOption = "--validar";

const kova::cli::CommandDescription kCommand{
    .name = "recibo",
    .summary = "valida o recibo de entrega e imprime o recibo",
    .purpose = "Valida o recibo de entrega (ARQUIVO.REC ao lado do arquivo) e imprime o recibo, depois de verificar a\n"
               "integridade da declaração e validar o recibo, como a tela de impressão do recibo.",
    .operand = "ARQUIVO.DEC",
    .options = {{.name = kValidateOption,
                 .help = "só valida o recibo e escreve os dados do recibo na saída padrão (0 válido, 1 inválido)"},
                kova::cli::pdfOption("grava o recibo neste arquivo PDF em vez de mandá-lo à impressora padrão"),
                kova::cli::textOption("escreve a página na saída padrão")},
    .exits = {"impresso (ou válido)", "recusado", "uso incorreto"},
};

void printData(const kova::ReceiptData& d) {
    const std::pair<const char*, const std::string*> fields[] = {
        {"ARQUIVORECIBO", &d.receiptFile}, {"DATARECEPCAO", &d.receptionDate},
        {"HORARECEPCAO", &d.receptionTime},   {"CODIGOAUTENTICACAO", &d.authenticationCode},
        {"NICERTIFICADO", &d.certificateId}, {"NUMERORECIBO", &d.receiptNumber},
        {"CNPJ", &d.cnpj},                   {"NOME", &d.name},
        {"ANO", &d.year},                     {"RETIFICADORA", &d.rectifying},
        {"NOMESITUACAO", &d.situationText},   {"INICIOPERIODO", &d.periodStart},
        {"FIMPERIODO", &d.periodEnd},       {"RECIBORETIFICADA", &d.rectifiedReceipt},
        {"CPFREPRESENTANTE", &d.representativeCpf}, {"TELEFONE", &d.phone},
        {"TOTALBASE", &d.totalBaseDigits},   {"TOTALNAORETIDA", &d.levyTotalDigits},
    };
    for (const auto& [name, value] : fields) std::cout << name << ": " << kova::printable(*value) << "\n";
    std::cout << "QTDENTIDADES: " << d.entityCount << "\nQTDDIPLOMATICOS: " << d.beneficiaryCount << "\n";
}

ExitStatus recibo(const kova::cli::Arguments& args) {
    const bool validateOnly = args.has(kValidateOption);
    // Validating prints nothing, so a destination makes no sense with it.
    if (validateOnly && (args.has(kova::cli::kPdfOption) || args.has(kova::cli::kTextOption)))
        return kova::cli::refuseUsage(kCommand, "");
    const std::filesystem::path file = args.operand();
    kova::ReceiptData data;
    if (validateOnly) {
        kova::print::BatchPrintPrompts prompts(std::cerr);
        const bool valid = kova::validateReceipt(file, prompts, data);
        printData(data);
        std::cerr << (valid ? "Recibo válido.\n" : "Recibo inválido.\n");
        return valid ? ExitStatus::Done : ExitStatus::ErrorsFound;
    }
    kova::cli::BatchPrinting printing(kova::cli::printDestination(args));
    const auto result = kova::print::printReceipt(file, printing.context(), data);
    return result == kova::print::ReceiptPrintResult::Printed ? ExitStatus::Done : ExitStatus::ErrorsFound;
}

const kova::cli::RegisterCommand registration(kCommand, recibo);

}  // namespace
#endif
