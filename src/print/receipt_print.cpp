#include "print/receipt_print.h"

#include "core/faults.h"
#include "core/retry.h"
#include "core/text.h"
#include "delivery/integrity_check.h"
#include "print/print_format.h"

namespace kova::print {

namespace {

constexpr int kPageColumns = 100;
constexpr int kPageLines = 54;
constexpr double kTopCm = 0.5;
constexpr double kLeftCm = 1.0;
constexpr RectangleCm kStampFrame{12.5, 16.0, 19.5, 20.9};
const std::string kRule(kPageColumns, '_');

// Characters first..first+length-1 (1-based) of a UTF-8 text.
std::string chars(std::string_view text, int first, int length) { return leftChars(dropChars(text, first - 1), length); }

bool isBlank(std::string_view text) { return trimBlanks(text).empty(); }

std::string telephoneLine(const std::string& telefone) {
    return "Telefone: (" + std::to_string(wholeNumber(chars(telefone, 1, 4))) + ") " +
           std::to_string(wholeNumber(chars(telefone, 5, 5))) + "-" + std::string(trimBlanks(chars(telefone, 10, 4))) +
           "     Ramal: " + std::to_string(wholeNumber(chars(telefone, 14, 5)));
}

// A text centred on the page's 100 columns: it starts at (100 - length) / 2, halves to even.
void centred(Printer& p, std::string_view text) {
    p.at(centringOffset(kPageColumns, columnWidth(text)), text);
    p.endLine();
}

void rule(Printer& p) { p.line(kRule); }

void boldLines(Printer& p, int count) {
    p.setBold(true);
    for (int i = 0; i < count; ++i) p.endLine();
}

}  // namespace

std::string alteredFileMessage() {
    return "O arquivo selecionado foi alterado após o procedimento de importação.\n"
           "Estas alterações invalidam a declaração e impedem a impressão da declaração.\n"
           "Repita a operação de importação.";
}

void drawReceiptPage(Printer& p, const ReceiptData& d) {
    // Every conversion comes first, so a bad field fails before anything reaches the printer.
    const std::string telephone = telephoneLine(d.phone);
    const std::string entities = rightAligned(formatThousands(d.entityCount), 9);
    const std::string diplomats = rightAligned(formatThousands(d.beneficiaryCount), 9);
    const std::string base = rightAligned("R$ " + amountFromDigits(trimBlanks(d.totalBaseDigits)), 40);
    const std::string notWithheld = rightAligned("R$ " + amountFromDigits(trimBlanks(d.levyTotalDigits)), 40);
    const bool signedDeclaration = d.certificateId != std::string(14, ' ');
    const bool niIsCpf = chars(d.certificateId, 13, 2) == "  ";

    p.setPageGrid(PageGrid{kPageColumns, kPageLines, kTopCm});
    p.setBold(false);
    p.rectangle(kStampFrame);
    p.moveTo(kLeftCm, kTopCm);
    p.endLine();  // 1
    p.setBold(true);
    p.write("MINISTÉRIO DA DORVELA");
    p.at(60, "RECIBO DE ENTREGA DA DECLARAÇÃO");
    p.endLine();
    p.write("SECRETARIA DA ARVENTA");
    p.at(60, "DECLARAÇÃO DA KOVA NÃO-INCIDÊNCIA");
    p.endLine();
    rule(p);
    p.endLine();  // 5
    centred(p, "KOVA NÃO-INCIDÊNCIA");
    rule(p);
    p.endLine();  // 8
    p.setBold(false);
    p.endLine();  // 9
    p.line("CNPJ: " + applyMask(kCnpjMask, d.cnpj));
    p.line("NOME EMPRESARIAL: " + d.name);
    p.write("Ano Competência: " + d.year);
    p.at(65, "Retificadora:     " + d.rectifying);
    p.endLine();
    p.line("Situação: " + dropChars(d.situationText, 5));
    p.write("Início do Período: " + d.periodStart);
    p.at(65, "Final do Período: " + d.periodEnd);
    p.endLine();
    p.line(d.rectifiedReceipt != " " ? "Número da Declaração Retificada: " + d.rectifiedReceipt : std::string());
    rule(p);
    p.endLine();  // 17
    p.setBold(true);
    centred(p, "RESUMO DA DECLARAÇÃO");
    p.setBold(false);
    rule(p);
    p.endLine();  // 20
    p.write("Total de Entidades Beneficentes de Assistência Social");
    p.at(79, entities);
    p.endLine();
    p.endLine();  // 22
    p.write("Total de Beneficiários de Privilégios e Imunidades Diplomáticas e");
    p.at(79, diplomats);
    p.endLine();
    p.line("Consulares");
    p.endLine();  // 25
    p.write("Total da base de cálculo de KOVA");
    p.at(48, base);
    p.endLine();
    p.endLine();  // 27
    p.write("Total da KOVA não retida");
    p.at(48, notWithheld);
    p.endLine();
    rule(p);
    p.endLine();  // 30
    p.line("Considerar-se-á não entregue a declaração que não atender às especificações técnicas");
    p.line("estabelecidas pela Secretaria da Arventa.");
    rule(p);
    p.endLine();  // 34
    p.setBold(true);
    centred(p, "DADOS DO REPRESENTANTE DA PESSOA JURÍDICA");
    p.setBold(false);
    rule(p);
    p.endLine();  // 37
    p.line("CPF: " + applyMask(kCpfMask, d.representativeCpf));
    p.line(telephone);
    boldLines(p, 5);  // 40-44
    p.at(62, "   Declaração recebida via");
    p.endLine();
    p.at(62, "Internet pelo agente receptor");
    p.endLine();
    p.at(62, "           TALVEX");
    p.endLine();
    p.write("Versão " + std::to_string(versionMajor()) + "." + zeroPadded(versionMinor(), 2));
    p.at(62, "  em " + d.receptionDate + " às " + d.receptionTime);
    p.endLine();
    if (signedDeclaration) p.write("Esta declaração foi assinada com o certificado");
    p.at(62, std::string(9, ' ') + d.authenticationCode);
    p.endLine();
    if (signedDeclaration) {
        const std::string ni(trimBlanks(d.certificateId));
        p.line("digital do NI " + applyMask(niIsCpf ? kCpfMask : kCnpjMask, ni));
    }
    boldLines(p, 3);
    p.at(70, applyMask(kMaskRecibo, d.receiptNumber));
    p.endLine();
    p.setBold(false);
}

bool printReceiptPage(const std::filesystem::path& deliveryFile, PrintContext& c, ReceiptData& data) {
    const std::string path = deliveryFile.string();
    if (!validateReceipt(deliveryFile, c.prompts, data)) {
        tell(c.prompts, "Imprimir recibo",
             "Erro na recuperação do registro de cabeçalho da declaração.\nArquivo: " + path, Icon::Exclamation);
        return false;
    }
    checkPrinterFonts(c.printer, c.flags);
    if (!c.flags.printerPresent) {
        tell(c.prompts, "Imprimir Recibo", "Não existe impressora instalada.", Icon::Critical);
        return false;
    }
    const auto font = chooseFont(c.flags);
    if (!font) {
        tell(c.prompts, "Imprimir Recibo", "A impressora instalada não suporta as fontes utilizadas pelo sistema.",
             Icon::Critical);
        return false;
    }
    if (isBlank(data.phone)) {
        tell(c.prompts, "Imprimir recibo",
             "Não consta o Telefone do representante da empresa no registro Header da declaração.\nArquivo: " +
                 path + "\nAtualize a versão do MVR.",
             Icon::Exclamation);
        return false;
    }
    RetryText retry;
    retry.title = "Imprimir Recibo";
    retry.sentence = "Erro na impressão do recibo.";
    // A retry prints the whole page again: what the failed attempt drew is dropped first.
    return withRetry(c.prompts, retry, [&] {
        c.printer.abortDocument();
        if (!c.printer.defaultPrinterName()) throw Fault(482);
        c.printer.setFont(*font, 10);
        try {
            drawReceiptPage(c.printer, data);
            c.printer.endDocument();
        } catch (...) {
            c.printer.abortDocument();
            throw;
        }
    });
}

ReceiptPrintResult printReceipt(const std::filesystem::path& deliveryFile, PrintContext& c, ReceiptData& data,
                                const StatusSink& status) {
    const auto setStatus = [&](const std::string& text) {
        if (status) status(text);
    };
    const Answer answer = c.prompts.show(Message{"Imprimir Recibo", "Confirma a impressão do recibo ?",
                                                 Icon::Question, Buttons::YesNo, Answer::Yes});
    if (answer != Answer::Yes) return ReceiptPrintResult::Declined;

    ReceiptPrintResult result = ReceiptPrintResult::NotPrinted;
    DeclarationCheck check;
    if (!checkDeclaration(deliveryFile.string(), c.prompts, check)) {
        tell(c.prompts, "Validar Arquivo", alteredFileMessage(), Icon::Critical);
        result = ReceiptPrintResult::Altered;
    } else if (!validateReceipt(deliveryFile, c.prompts, data)) {
        tell(c.prompts, "Validar Arquivo",
             "As informações do recibo de entrega foram corrompidas após a sua gravação.\nO recibo não será "
             "impresso.",
             Icon::Critical);
        result = ReceiptPrintResult::ReceiptCorrupted;
    } else {
        setStatus("Verificando o arquivo da declaração... Aguarde.");
        if (printReceiptPage(deliveryFile, c, data)) {
            tell(c.prompts, "Imprimir Recibo", "O recibo da declaração foi enviado para a impressora.",
                 Icon::Information);
            result = ReceiptPrintResult::Printed;
        }
    }
    setStatus("");
    return result;
}

}  // namespace kova::print
