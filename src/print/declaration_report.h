// The declaration report "RELATÓRIO DE CONSULTA": an identification page and one section per detail type, read
// from the delivery file line by line and printed as it is read (nothing of the file is held).
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "core/ports.h"
#include "core/record_layout.h"
#include "core/record_reader.h"
#include "delivery/integrity_check.h"
#include "print/line_composer.h"
#include "print/print_context.h"
#include "print/receipt_print.h"

namespace kova::print {

inline constexpr int kReportColumns = 120;
inline constexpr int kEstimatedRecordsPerPage = 56;

// "Toda Declaração", or "Selecionar Registros" with the ticked sections.
struct ReportSelection {
    bool wholeDeclaration = true;
    bool type3 = false;
    bool type4 = false;
    bool type5 = false;
    bool wants(char type) const;
};

// 1 (the identification page) plus, for each wanted type, its records divided by 56, rounded up.
std::int64_t estimatePages(const DeclarationCheck& counts, const ReportSelection& selection);

// "Serão impressas N páginas." / "Será impressa 1 página.", a line feed and "Confirma impressão ?".
std::string pageEstimateQuestion(std::int64_t total);

class DeclarationReport {
public:
    DeclarationReport(PrintContext& context, CancelFlag& cancel);

    ReportSelection selection;
    // The declarant CNPJ variable: set by the selection, overwritten from the type-1 record while printing.
    std::string declarantCnpj;

    // Checks printer, fonts and the file, asks for confirmation with the page estimate and prints. True when
    // the report went to the printer, also after a stop.
    bool printDeclarationReport(const std::filesystem::path& deliveryFile, const StatusSink& status = {});

    // The pieces, on the current printer and file.
    void printPageHeading(std::int64_t page, std::int64_t total);
    void printIdentificationTitle();
    void printEntitiesHeading(const std::string& cnpj, std::int64_t page, std::int64_t total);
    void printBeneficiariesHeading(const std::string& cnpj, std::int64_t page, std::int64_t total);
    void printLeviesHeading(const std::string& cnpj, std::int64_t page, std::int64_t total);
    bool printIdentification();
    bool printEntities();
    bool printBeneficiaries();
    bool printLevies();

    std::int64_t pagesPrinted() const { return page_; }
    std::int64_t estimatedTotal() const { return total_; }

private:
    struct Section;
    bool printReport(const std::filesystem::path& deliveryFile);
    bool readNext();
    bool runSection(const Section& section);
    void sectionHeader(const Section& section);
    bool printRecord(const Section& section);
    void rule();
    void centredLine(std::string_view text);
    void telephoneLine(std::string_view area, std::string_view number, std::string_view extension);
    bool guarded(const std::function<void()>& step);
    std::string_view utf8Field(const RecordView& record, std::size_t first, std::size_t length);
    std::string_view maskedField(std::string_view mask, const RecordView& record, std::size_t first,
                                 std::size_t length);
    std::string_view amountField(std::string& out, std::string_view digits);

    PrintContext& c_;
    CancelFlag& cancel_;
    std::unique_ptr<RecordReader> reader_;
    std::string_view line_;  // the reader's current line, valid until the next read
    // The fields of a record line are composed in these, reused from record to record.
    std::string utf8_, field_, amount_, baseAmount_, levyAmount_;
    LineComposer recordLine_;
    bool atEnd_ = false;
    std::int64_t page_ = 0;
    std::int64_t total_ = 0;
    std::int64_t counts3_ = 0, counts4_ = 0, counts5_ = 0;
    std::int16_t lineCounter_ = 0;
    std::string today_;
};

}  // namespace kova::print
