#include "core/error_export.h"

#include "core/error_details.h"
#include "core/error_texts.h"

namespace kova {

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::string_view kFormulaStarts = "=+-@\t\r";

}  // namespace

bool startsLikeFormula(std::string_view text) {
    return !text.empty() && kFormulaStarts.find(text.front()) != std::string_view::npos;
}

void appendCsvCell(std::string& line, std::string_view text) {
    line += '"';
    if (startsLikeFormula(text)) line += '\'';
    for (char c : text) {
        if (c == '"') line += '"';
        line += c;
    }
    line += '"';
}

std::int64_t exportErrorsCsv(ErrorLog& log, const std::filesystem::path& path, FileOps& ops) {
    AtomicFileWriter file(path, ops);
    std::string line;
    line.append(kByteOrderMark).append(kErrorCsvHeading).append("\r\n");
    std::int64_t rows = 0;
    log.listErrors([&](const ErrorListing& row) {
        const std::string cells[] = {row.recordType,
                                     std::to_string(row.recordNumber),
                                     row.firstColumn,
                                     row.lastColumn,
                                     std::to_string(row.code),
                                     errorFieldLabel(row),
                                     row.value,
                                     errorMessage(row),
                                     std::string(errorHint(row.code))};
        for (const std::string& cell : cells) {
            appendCsvCell(line, cell);
            line += ';';
        }
        line.back() = '\r';
        line += '\n';
        file.write(line);
        line.clear();
        ++rows;
        return true;
    });
    file.write(line);
    file.commit();
    return rows;
}

}  // namespace kova
