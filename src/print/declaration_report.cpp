#include "print/declaration_report.h"

#include <filesystem>
#include <system_error>

#include "core/faults.h"
#include "core/field_checks.h"
#include "core/record_layout.h"
#include "core/retry.h"
#include "core/text.h"
#include "print/print_format.h"

namespace kova::print {

namespace {

// Records of a section page before a new one starts: the counter runs from 0 and a page breaks above 56.
constexpr std::int16_t kLastRecordIndex = 56;
// Lines of the fullest page: 11 of the section header, 57 records, the closing rule and the stop line.
constexpr int kReportRows = 11 + kLastRecordIndex + 1 + 2;
const std::string kRule(kReportColumns, '-');

std::string text(const RecordView& r, std::size_t first, std::size_t length) {
    return cp1252ToUtf8(r.field(first, length));
}

std::string slashed(const RecordView& r, std::size_t dd) {
    return text(r, dd, 2) + "/" + text(r, dd + 2, 2) + "/" + text(r, dd + 4, 4);
}

bool startsWith(std::string_view line, std::string_view prefix) { return line.substr(0, prefix.size()) == prefix; }

char typeOf(std::string_view line) { return line.size() >= 9 ? line[8] : '\0'; }

}  // namespace

struct DeclarationReport::Section {
    char type;
    const char* title;
    void (DeclarationReport::*header)(const std::string&, std::int64_t, std::int64_t);
    bool (DeclarationReport::*record)();
    std::int64_t count;
};

bool ReportSelection::wants(char type) const {
    if (wholeDeclaration) return true;
    return (type == '3' && type3) || (type == '4' && type4) || (type == '5' && type5);
}

std::int64_t estimatePages(const DeclarationCheck& counts, const ReportSelection& selection) {
    const auto pages = [](std::int64_t n) { return (n + kEstimatedRecordsPerPage - 1) / kEstimatedRecordsPerPage; };
    std::int64_t total = 1;
    if (selection.wants('3')) total += pages(counts.count3);
    if (selection.wants('4')) total += pages(counts.count4);
    if (selection.wants('5')) total += pages(counts.count5);
    return total;
}

std::string pageEstimateQuestion(std::int64_t total) {
    const std::string n = std::to_string(total);
    return (total > 1 ? "Serão impressas " + n + " páginas." : "Será impressa " + n + " página.") +
           "\nConfirma impressão ?";
}

DeclarationReport::DeclarationReport(PrintContext& context, CancelFlag& cancel)
    : c_(context), cancel_(cancel), recordLine_(context.printer, kReportColumns) {}

bool DeclarationReport::guarded(const std::function<void()>& step) {
    static const RetryText retry = [] {
        RetryText text;
        text.title = "Imprimir Declaração";
        text.sentence = "Erro na impressão do relatório.";
        return text;
    }();
    return withRetry(c_.prompts, retry, step);
}

// The next line of the delivery file into line_; false when the person gave up after a read fault.
bool DeclarationReport::readNext() {
    return guarded([this] { atEnd_ = !reader_->next(line_); });
}

std::string_view DeclarationReport::utf8Field(const RecordView& record, std::size_t first, std::size_t length) {
    return cp1252AsUtf8(record.field(first, length), utf8_);
}

std::string_view DeclarationReport::maskedField(std::string_view mask, const RecordView& record, std::size_t first,
                                                std::size_t length) {
    field_.clear();
    appendMasked(field_, mask, utf8Field(record, first, length));
    return field_;
}

// The amount right-aligned in 22 columns, into `out`.
std::string_view DeclarationReport::amountField(std::string& out, std::string_view digits) {
    amount_.clear();
    appendAmountFromDigits(amount_, digits);
    out.clear();
    appendRightAligned(out, amount_, 22);
    return out;
}

void DeclarationReport::rule() { c_.printer.line(kRule); }

void DeclarationReport::centredLine(std::string_view title) {
    c_.printer.line(centred(title, kReportColumns));
}

void DeclarationReport::printPageHeading(std::int64_t page, std::int64_t total) {
    Printer& p = c_.printer;
    p.setBold(true);
    p.write("MINISTÉRIO DA DORVELA");
    p.at(100, "DECLARAÇÃO DE KOVA");
    p.endLine();
    p.write("SECRETARIA DA ARVENTA");
    p.at(100, "NÃO-INCIDÊNCIA");
    p.endLine();
    p.write("Emitido em " + today_);
    p.at(100, "Página: " + zeroPadded(page, 3) + "/" + zeroPadded(total, 3));
    p.endLine();
    p.setBold(false);
}

void DeclarationReport::printIdentificationTitle() {
    rule();
    centredLine("RELATÓRIO DE CONSULTA");
    rule();
    centredLine("INFORMAÇÕES DA DECLARAÇÃO E IDENTIFICAÇÃO DO DECLARANTE");
    rule();
    c_.printer.endLine();
}

void DeclarationReport::telephoneLine(std::string_view area, std::string_view number, std::string_view extension) {
    Printer& p = c_.printer;
    p.write("Telefone: (" + std::to_string(wholeNumber(area)) + ")" +
            applyMask("@@@@@-@@@@", std::to_string(wholeNumber(number))));
    p.at(30, " Ramal :" + std::to_string(wholeNumber(extension)));
    p.endLine();
}

bool DeclarationReport::printIdentification() {
    std::string header;
    std::string contacts;
    if (!guarded([&] {
            if (!reader_->next(header)) throw Fault(62);
        }))
        return false;
    ++page_;
    declarantCnpj = std::string(HeaderRecord(header).cnpj());
    if (!readNext()) return false;
    if (atEnd_) {
        // No contact record after the header: reading past the end is the run-time fault it always was.
        if (!guarded([] { throw Fault(62); })) return false;
    }
    contacts.assign(line_);
    return guarded([&] {
        Printer& p = c_.printer;
        const HeaderRecord h(header);
        const ContactRecord k(contacts);
        printPageHeading(page_, total_);
        printIdentificationTitle();
        const auto item = [&](const std::string& t) {
            p.line(t);
            p.endLine();
        };
        item("CNPJ do Declarante: " + applyMask(kCnpjMask, text(h, 10, 14)));
        item("Nome do Declarante: " + text(h, 57, 60));
        item("Ano Competência   : " + text(h, 24, 4));
        item(std::string("Tipo Declaração   : ") + (h.type() == "0" ? "Original" : "Retificadora"));
        item("Situação          : " + situationName(h.situation()));
        p.write("Início do Período : " + slashed(h, 28));
        p.at(40, " Final do Período: " + slashed(h, 36));
        p.at(73, "UF: " + text(h, 55, 2));
        p.endLine();
        p.endLine();
        p.endLine();
        rule();

        centredLine("DADOS DO REPRESENTANTE DA PESSOA JURÍDICA");
        rule();
        p.endLine();
        p.endLine();
        p.line("CPF     : " + applyMask(kCpfMask, text(k, 10, 11)));
        telephoneLine(k.representativeAreaCode(), k.representativePhone(), k.representativeExtension());
        p.endLine();
        p.endLine();
        rule();

        centredLine("DADOS DO RESPONSÁVEL PELO PREENCHIMENTO");
        rule();
        p.endLine();
        p.line("CPF     : " + applyMask(kCpfMask, text(k, 39, 11)));
        telephoneLine(k.responsibleAreaCode(), k.responsiblePhone(), k.responsibleExtension());
        p.endLine();
        rule();
    });
}

void DeclarationReport::sectionHeader(const Section& s) {
    Printer& p = c_.printer;
    p.newPage();
    printPageHeading(page_, total_);
    p.setBold(true);
    p.endLine();
    centredLine(s.title);
    p.endLine();
    rule();
    p.write("RELATÓRIO DE CONSULTA");
    p.at(97, "CNPJ DO DECLARANTE:");
    p.endLine();
    p.at(98, applyMask(kCnpjMask, cp1252ToUtf8(declarantCnpj)));
    p.endLine();
    p.endLine();
    if (s.type == '5') {
        p.write("SEQ");
        p.at(10, "CNPJ");
        p.at(31, "DATA DE VENCIMENTO");
        p.at(57, "BASE DE CÁLCULO");
        p.at(81, "KOVA NÃO RETIDA");
    } else {
        p.write("CNPJ/CPF");
        p.at(25, "Nome");
    }
    p.endLine();
    p.setBold(false);
}

namespace {
constexpr const char* kTitle3 = "DADOS DAS ENTIDADES BENEFICENTES DE ASSISTÊNCIA SOCIAL";
constexpr const char* kTitle4 = "DADOS DOS BENEFICIÁRIOS DE PRIVILÉGIOS E IMUNIDADES DIPLOMÁTICAS E CONSULARES";
constexpr const char* kTitle5 = "DADOS DA KOVA NÃO RETIDA E NÃO RECOLHIDA";
}  // namespace

void DeclarationReport::printEntitiesHeading(const std::string& cnpj, std::int64_t page, std::int64_t total) {
    declarantCnpj = cnpj;
    page_ = page;
    total_ = total;
    sectionHeader(Section{'3', kTitle3, nullptr, nullptr, 0});
}

void DeclarationReport::printBeneficiariesHeading(const std::string& cnpj, std::int64_t page, std::int64_t total) {
    declarantCnpj = cnpj;
    page_ = page;
    total_ = total;
    sectionHeader(Section{'4', kTitle4, nullptr, nullptr, 0});
}

void DeclarationReport::printLeviesHeading(const std::string& cnpj, std::int64_t page, std::int64_t total) {
    declarantCnpj = cnpj;
    page_ = page;
    total_ = total;
    sectionHeader(Section{'5', kTitle5, nullptr, nullptr, 0});
}

bool DeclarationReport::printRecord(const Section& s) {
    return guarded([this, &s] {
        Printer& p = c_.printer;
        // A retry prints the record's line again over what the failed attempt left of it.
        if (p.documentOpen() && p.currentColumn() > 1) p.carriageReturn();
        const RecordView r(line_);
        // Every conversion before anything is drawn, so a bad amount fails without half a line.
        if (s.type == '5') {
            const LevyRecord l(line_);
            amountField(baseAmount_, l.baseAmount());
            amountField(levyAmount_, l.levyAmount());
        }
        if (lineCounter_ > kLastRecordIndex) {
            rule();
            (this->*s.header)(declarantCnpj, page_ + 1, total_);
            lineCounter_ = 0;
        }
        if (s.type == '5') {
            // The five fields of the fullest line, composed and handed to the printer as one text.
            LineComposer& line = recordLine_;
            line.at(1, utf8Field(r, 1, 8));
            line.at(10, maskedField(kCnpjMask, r, 10, 14));
            line.at(35, maskedField("@@/@@/@@@@", r, 24, 8));
            line.at(50, baseAmount_);
            line.at(74, levyAmount_);
            line.endLine();
        } else {
            const EntityRecord e(line_);
            // An individual's CPF is the identifier's last 11 characters.
            if (s.type == '4' && e.type() == "F")
                p.write(maskedField(kCpfMask, r, 14, 11));
            else
                p.write(maskedField(kCnpjMask, r, 11, 14));
            // The name's trailing blanks carry nothing; the back end keeps what is left on the paper.
            p.at(25, trimRightBlanks(utf8Field(r, 25, 118)));
            p.endLine();
        }
        ++lineCounter_;
    });
}

bool DeclarationReport::printEntities() {
    return printRecord(Section{'3', kTitle3, &DeclarationReport::printEntitiesHeading, nullptr, 0});
}
bool DeclarationReport::printBeneficiaries() {
    return printRecord(Section{'4', kTitle4, &DeclarationReport::printBeneficiariesHeading, nullptr, 0});
}
bool DeclarationReport::printLevies() {
    return printRecord(Section{'5', kTitle5, &DeclarationReport::printLeviesHeading, nullptr, 0});
}

bool DeclarationReport::runSection(const Section& s) {
    lineCounter_ = 0;
    if (!guarded([&] { (this->*s.header)(declarantCnpj, page_ + 1, total_); })) return false;
    while (!atEnd_ && !cancel_.set) {
        const bool notPrinted = startsWith(line_, "R1") || startsWith(line_, "R9") || startsWith(line_, "T9");
        const char type = typeOf(line_);
        if (!notPrinted && type == s.type) {
            if (!(this->*s.record)()) return false;
        } else if (type > s.type && type <= '5' && !notPrinted) {
            break;
        } else if (!selection.wholeDeclaration && startsWith(line_, "T9")) {
            break;
        }
        c_.progress.pump();
        if (!readNext()) return false;
    }
    return guarded([&] { rule(); });
}

bool DeclarationReport::printReport(const std::filesystem::path& deliveryFile) {
    if (!guarded([&] { reader_ = std::make_unique<RecordReader>(deliveryFile); })) return false;
    if (!readNext()) return false;  // the delivery header
    page_ = 0;
    c_.printer.setFontSize(8);
    if (!printIdentification()) return false;
    if (!readNext()) return false;
    const Section sections[] = {
        {'3', kTitle3, &DeclarationReport::printEntitiesHeading, &DeclarationReport::printEntities, counts3_},
        {'4', kTitle4, &DeclarationReport::printBeneficiariesHeading, &DeclarationReport::printBeneficiaries, counts4_},
        {'5', kTitle5, &DeclarationReport::printLeviesHeading, &DeclarationReport::printLevies, counts5_},
    };
    for (const Section& s : sections) {
        if (!selection.wants(s.type) || s.count == 0) continue;
        if (!runSection(s)) return false;
    }
    if (cancel_.set && !guarded([&] { c_.printer.line("IMPRESSÃO INTERROMPIDA"); })) return false;
    try {
        c_.printer.endDocument();
    } catch (const Fault& f) {
        // The device took the document and lost it: nothing is left to try again.
        tell(c_.prompts, "Imprimir Declaração", "Erro na impressão do relatório.\n" + faultMessage(f), Icon::Critical);
        return false;
    }
    return true;
}

bool DeclarationReport::printDeclarationReport(const std::filesystem::path& deliveryFile, const StatusSink& status) {
    const auto setStatus = [&](const std::string& t) {
        if (status) status(t);
    };
    cancel_.set = false;
    checkPrinterFonts(c_.printer, c_.flags);
    if (!c_.flags.printerPresent) {
        tell(c_.prompts, "Imprimir", "Não existe impressora instalada.", Icon::Critical);
        return false;
    }
    const auto font = chooseFont(c_.flags);
    if (!font) {
        tell(c_.prompts, "Imprimir",
             "A impressora instalada não suporta as fontes de caracter utilizadas pelo sistema.", Icon::Critical);
        return false;
    }
    if (!guarded([&] {
            if (!c_.printer.defaultPrinterName()) throw Fault(482);
        }))
        return false;
    setStatus("Verificando os registros da declaração... Aguarde.");
    std::error_code ec;
    if (!std::filesystem::is_regular_file(deliveryFile, ec)) {
        tell(c_.prompts, "Imprimir", "O arquivo de declaração selecionado não existe.", Icon::Critical);
        return false;
    }
    DeclarationCheck check;
    if (!checkDeclaration(deliveryFile.string(), c_.prompts, check)) {
        tell(c_.prompts, "Validar Arquivo", alteredFileMessage(), Icon::Critical);
        return false;
    }
    counts3_ = check.count3;
    counts4_ = check.count4;
    counts5_ = check.count5;
    total_ = estimatePages(check, selection);
    const Answer answer = c_.prompts.show(
        Message{"Imprimir Declaração", pageEstimateQuestion(total_), Icon::Question, Buttons::YesNo, Answer::Yes});
    if (answer != Answer::Yes) return false;

    today_ = c_.clock.now().ddmmyyyySlashes();
    c_.printer.setFont(*font, 8);
    c_.printer.setBold(false);
    c_.printer.setPageGrid(PageGrid{kReportColumns, kReportRows, 0.0});
    const bool printed = printReport(deliveryFile);
    if (!printed) c_.printer.abortDocument();
    reader_.reset();
    return printed;
}

}  // namespace kova::print
