// What an error row says beyond ERROS: the field, the value, the summary and the CSV export.
#include <gtest/gtest.h>

#include <filesystem>

#include "core/error_details.h"
#include "core/error_export.h"
#include "core/error_summary.h"
#include "core/spooled_error_log.h"
#include "core/text.h"
#include "support/csv_reader.h"
#include "support/file_bytes.h"
#include "support/temp_folder.h"

namespace kova {
namespace {

using testing_support::readCsv;
using testing_support::TempFolder;

TEST(ErrorDetails, FieldLabelFollowsFromTypeAndColumnsAndValuesAreShownSafely) {
    struct Case {
        const char *type, *first, *last, *label;
    };
    const Case cases[] = {
        {"1", "0010", "0015", "CNPJ do declarante"},  // part of a field
        {"2", "0020", "0021", "CPF do representante / DDD do representante"},
        {"T", "0139", "0139", "Ano da declaração"},  // one column
        {"9", "0001", "0142", "Registro inteiro"},  // the whole record, whatever its type
        {"1", "0143", "0150", ""},
        {"0", "0000", "0000", ""},  // a read failure names no record
        {"1", "0043", "0036", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(errorFieldLabel(c.type, c.first, c.last), c.label) << c.type << " " << c.first << "-" << c.last;
    // Values from the file are shown safely: controls escaped, the code page's characters converted.
    EXPECT_EQ(visibleText("A\x01" "B\x7F\r\n"), "A\\x01B\\x7F\\x0D\\x0A");
    EXPECT_EQ(visibleText("\xC7\xC3O \x81\x80"), "ÇÃO \\x81€");  // an undefined byte of the code page, then €
}

ErrorRow row(const char* type, std::int64_t number, const char* first, const char* last, int code, std::string value,
             std::optional<std::string> complement = std::nullopt) {
    return ErrorRow{type, number, first, last, code, "11222333000181", "EMPRESA", std::move(complement),
                    std::move(value)};
}

TEST(ErrorSummary, CountsPerCodeAndPerRecordTypeInFileOrder) {
    TempFolder folder;
    SpooledErrorLog log(folder.path());
    for (int i = 0; i < 1204; ++i) log.recordRow(row("3", 3 + i, "0011", "0024", 22, "1"));
    log.recordRow(row("T", 1300, "0139", "0142", 54, "2024"));
    log.recordRow(row("1", 1, "0036", "0043", 24, "31132025"));
    const ErrorSummary summary = summarizeErrors(log);
    EXPECT_EQ(tallyLine(summary.byCode()[0]), "22 - CNPJ inválido (dígito verificador ou zeros) — 1.204 registros");
    EXPECT_EQ(tallyLine(summary.byRecordType().front()), "Tipo 1 - cabeçalho — 1 registro");
    EXPECT_EQ(tallyLine(summary.byRecordType().back()), "Trailer (T) — 1 registro");
}

TEST(ErrorExport, CsvReadsBackCellForCellWithFormulasNeutralised) {
    TempFolder folder;
    SpooledErrorLog log(folder.path());
    log.recordRow(row("1", 1, "0036", "0043", 20, "31122024", "2025 p/ Sit Especial 00"));
    log.recordRow(row("3", 4, "0025", "0142", 93, "=HYPERLINK(\"x\";\"AÇÃO\")"));
    const auto path = folder / "erros.csv";
    EXPECT_EQ(exportErrorsCsv(log, path), 2);

    const std::string text = testing_support::readBytes(path);
    ASSERT_EQ(text.substr(0, 3), "\xEF\xBB\xBF");
    const auto lines = readCsv(text.substr(3));
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[1][7], "Período final deve ser 31/12/2025 p/ Sit Especial 00");
    EXPECT_EQ(lines[2][5] + "|" + lines[2][6], "Nome da entidade|'=HYPERLINK(\"x\";\"AÇÃO\")");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 1);  // no temporary left
}

}  // namespace
}  // namespace kova
