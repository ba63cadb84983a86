#include "print/error_report.h"

#include <exception>

#include "core/faults.h"
#include "core/text.h"
#include "print/line_composer.h"
#include "print/print_format.h"

namespace kova::print {

namespace {

constexpr int kHeaderLines = 13;
constexpr int kPageColumns = 3 + 90;
constexpr int kLastLine = kHeaderLines + kErrorRowsPerPage;  // the line count at which a page is full
const std::string kEquals(90, '=');
const std::string kDashes(90, '-');

// posini/posfin are stored as four-digit texts; one that is not a number is printed as it stands.
std::string fourDigits(const std::string& column) {
    const std::string_view t = trimBlanks(column);
    if (!t.empty() && t.size() <= 18 && t.find_first_not_of("0123456789") == std::string_view::npos)
        return zeroPadded(wholeNumber(t), 4);
    return column;
}

void pageHeader(Printer& p, const ErrorListing& row, int page, const std::string& today) {
    p.line();
    p.at(3, kEquals);
    p.endLine();
    p.at(4, "SECRETARIA DA ARVENTA - QOT");
    p.at(70, "Emitido em: " + today);
    p.endLine();
    p.line();
    p.at(22, "           K O V A - NÃO-INCIDÊNCIA     Versão " + std::to_string(versionMajor()) + "." +
                 std::to_string(versionMinor()) + "         ");
    p.endLine();
    p.line();
    p.at(3, kDashes);
    p.endLine();
    p.at(4, "RELATÓRIO DE ERROS DE VALIDAÇÃO");
    p.at(84, "Pag.: " + pageNumberGrouped(page));
    p.endLine();
    p.line();
    p.at(4, "CNPJ: " + applyMask(kCnpjMask, row.cnpj) + " - " + row.name);
    p.endLine();
    p.at(3, kEquals);
    p.endLine();
    p.at(3, "Descrição ");
    p.at(59, "Tipo");
    p.at(65, "N.REG");
    p.at(71, "Pos.Inicial");
    p.at(83, "Pos.Final");
    p.endLine();
    p.at(3, std::string(55, '-'));
    p.at(59, std::string(4, '-'));
    p.at(65, std::string(5, '-'));
    p.at(71, std::string(11, '-'));
    p.at(83, std::string(9, '-'));
    p.endLine();
}

// `description` is a buffer the caller keeps from row to row.
void detailLine(LineComposer& line, const ErrorListing& row, std::string& description) {
    description.clear();
    appendErrorDescription(description, row);
    line.at(3, description);
    line.at(61, row.recordType == "0" ? std::string_view(" ") : std::string_view(row.recordType));
    line.at(65, zeroPadded(row.recordNumber, 5));
    line.at(75, fourDigits(row.firstColumn));
    line.at(86, fourDigits(row.lastColumn));
    line.endLine();
}

}  // namespace

std::string errorDescription(const ErrorListing& row) {
    std::string out;
    appendErrorDescription(out, row);
    return out;
}

void appendErrorDescription(std::string& out, const ErrorListing& row) {
    const std::size_t from = out.size();
    if (row.complement.empty()) {
        out += row.description;
    } else {
        out += trimBlanks(leadingChars(row.description, 32));
        out += trimBlanks(leadingChars(row.complement, 23));
    }
    fitFrom(out, from, 55);
}

PrintOutcome printErrorReport(ErrorLog& log, PrintContext& c) {
    Printer& p = c.printer;
    checkPrinterFonts(p, c.flags);
    if (!c.flags.printerPresent) {
        tell(c.prompts, "Imprimir", "Não existe impressora instalada.", Icon::Critical);
        return PrintOutcome::Refused;
    }
    const auto font = chooseFont(c.flags);
    if (!font) {
        tell(c.prompts, "Imprimir", "A impressora instalada não suporta as fontes utilizadas pelo sistema.",
             Icon::Critical);
        return PrintOutcome::Refused;
    }
    p.setFont(*font, 10);
    p.setBold(false);
    p.setPageGrid(PageGrid{kPageColumns, kLastLine + 2, 0.0});

    const std::string today = c.clock.now().ddmmyyyySlashes();
    int page = 0;
    int lineCount = 0;
    std::string description;
    LineComposer line(p, kPageColumns);
    // A fault raised while drawing a row is the printer's; any other the listing raises is the log's own.
    bool printerFault = false;
    try {
        // The query is read once, as a stream: a page starts when a row arrives and the page before is full.
        log.listErrors([&](const ErrorListing& row) {
            if (c.stop && c.stop->set) return false;
            printerFault = true;
            if (page == 0 || lineCount >= kLastLine) {
                if (page > 0) {
                    p.at(3, kDashes);
                    p.endLine();
                    p.newPage();
                }
                ++page;
                pageHeader(p, row, page, today);
                lineCount = kHeaderLines;
            }
            detailLine(line, row, description);
            ++lineCount;
            c.progress.pump();
            printerFault = false;
            return true;
        });
        printerFault = true;
        if (c.stop && c.stop->set) {
            p.abortDocument();
            return PrintOutcome::Stopped;
        }
        if (page == 0) {
            tell(c.prompts, "Imprimir Erros", "Não existem erros para impressão.", Icon::Exclamation);
            return PrintOutcome::NothingToPrint;
        }
        p.at(3, kDashes);
        p.endLine();
        p.at(3, kEquals);
        p.endLine();
        p.endDocument();
    } catch (const std::exception& e) {
        // Nothing half-printed is sent: the document is dropped.
        p.abortDocument();
        if (const auto* fault = dynamic_cast<const Fault*>(&e); fault && !printerFault) {
            tell(c.prompts, "Imprimir Erros",
                 "Não foi possível ler os erros no banco de dados.\n" + faultMessage(*fault), Icon::Critical);
            return PrintOutcome::Failed;
        }
        tell(c.prompts, "Imprimir Erros", "Erro de impressão. Verifique se a impressora está em linha.",
             Icon::Exclamation);
        return PrintOutcome::Failed;
    }
    tell(c.prompts, "Impressão de Erros", "Impressão do Relatório de Erros concluída.", Icon::Exclamation);
    return PrintOutcome::Printed;
}

}  // namespace kova::print
