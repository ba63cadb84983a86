// kova-cli recibo: validates the receipt of a transmitted declaration and prints the delivery receipt, with the
// same checks as the receipt screen.
#ifdef KOVA_HAVE_PRINT_QT
#include <iostream>
#include <string>
#include <vector>

#include "cli/command_registry.h"
#include "cli/print_command.h"
#include "delivery/receipt_validation.h"
#include "print/receipt_print.h"

namespace fs = std::filesystem;

namespace {

const char* kUsage =
    "Uso: kova-cli recibo ARQUIVO.DEC [--validar] [--pdf SAIDA.pdf | --texto]\n"
    "Valida o recibo de entrega (ARQUIVO.REC ao lado do arquivo) e imprime o recibo, depois de verificar a\n"
    "integridade da declaração e validar o recibo, como a tela de impressão do recibo.\n"
    "  --validar  só valida o recibo e escreve os dados do recibo na saída padrão (0 válido, 1 inválido)\n"
    "  --pdf      grava o recibo neste arquivo PDF em vez de mandá-lo à impressora padrão\n"
    "  --texto    escreve a página na saída padrão\n"
    "Saída: 0 impresso (ou válido), 1 recusado, 2 uso incorreto.\n";

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
    for (const auto& [name, value] : fields) std::cout << name << ": " << *value << "\n";
    std::cout << "QTDENTIDADES: " << d.entityCount << "\nQTDDIPLOMATICOS: " << d.beneficiaryCount << "\n";
}

int recibo(const std::vector<std::string>& given) {
    std::vector<std::string> args = given;
    const auto destination = kova::cli::takeDestinationOrUsage(args, kUsage);
    if (!destination) return 2;
    const bool destinationGiven = args.size() != given.size();
    bool validateOnly = false;
    std::optional<fs::path> file;
    for (const std::string& a : args) {
        if (a == "--help" || a == "-h") {
            std::cout << kUsage;
            return 0;
        }
        if (a == "--validar") {
            validateOnly = true;
        } else if (!file && !a.starts_with("--")) {
            file = fs::path(a);
        } else {
            std::cerr << "Argumento inválido: " << a << "\n" << kUsage;
            return 2;
        }
    }
    if (!file || (validateOnly && destinationGiven)) {
        std::cerr << kUsage;
        return 2;
    }
    kova::ReceiptData data;
    if (validateOnly) {
        kova::print::BatchPrintPrompts prompts(std::cerr);
        const bool valid = kova::validateReceipt(*file, prompts, data);
        printData(data);
        std::cerr << (valid ? "Recibo válido.\n" : "Recibo inválido.\n");
        return valid ? 0 : 1;
    }
    kova::cli::BatchPrinting printing(*destination);
    const auto result = kova::print::printReceipt(*file, printing.context(), data);
    return result == kova::print::ReceiptPrintResult::Printed ? 0 : 1;
}

const kova::cli::RegisterCommand registration("recibo", "valida o recibo de entrega e imprime o recibo", recibo);

}  // namespace
#endif
