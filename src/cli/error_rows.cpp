#include "cli/error_rows.h"

#include "cli/json_text.h"
#include "core/error_details.h"
#include "core/error_export.h"
#include "core/error_texts.h"

namespace kova::cli {

namespace {

// Values come from the file: one a spreadsheet would take for a formula gets a leading "'".
std::string csvField(std::string_view text) {
    const std::string guard = startsLikeFormula(text) ? "'" : "";
    if (text.find_first_of(";\"\r\n") == std::string_view::npos) return guard + std::string(text);
    std::string quoted = "\"" + guard;
    for (const char c : text) {
        if (c == '"') quoted += '"';
        quoted += c;
    }
    return quoted + '"';
}

}  // namespace

std::string jsonErrorRow(const ErrorListing& row, std::string_view leadingKeys) {
    return "{" + std::string(leadingKeys) + "\"TIPOREG\":" + jsonString(row.recordType) +
           ",\"nreg\":" + std::to_string(row.recordNumber) + ",\"posini\":" + jsonString(row.firstColumn) +
           ",\"posfin\":" + jsonString(row.lastColumn) + ",\"coderro\":" + std::to_string(row.code) +
           ",\"COMPLEMENTOERR\":" + jsonString(row.complement) + ",\"descerro\":" + jsonString(row.description) +
           ",\"campo\":" + jsonString(errorFieldLabel(row)) + ",\"valor\":" + jsonString(row.value) +
           ",\"dica\":" + jsonString(errorHint(row.code)) + "}";
}

void printJsonRows(ErrorLog& log, std::ostream& out, std::string_view leadingKeys) {
    log.listErrors([&](const ErrorListing& row) {
        out << jsonErrorRow(row, leadingKeys) << "\n";
        return true;
    });
}

std::string csvErrorHeading() {
    return "arquivo;TIPOREG;nreg;posini;posfin;coderro;COMPLEMENTOERR;descerro;campo;valor;dica\n";
}

std::string csvErrorRow(std::string_view fileName, const ErrorListing& row) {
    return csvField(fileName) + ";" + csvField(row.recordType) + ";" + std::to_string(row.recordNumber) + ";" +
           csvField(row.firstColumn) + ";" + csvField(row.lastColumn) + ";" + std::to_string(row.code) + ";" +
           csvField(row.complement) + ";" + csvField(row.description) + ";" + csvField(errorFieldLabel(row)) + ";" +
           csvField(row.value) + ";" + csvField(errorHint(row.code)) + "\n";
}

}  // namespace kova::cli
