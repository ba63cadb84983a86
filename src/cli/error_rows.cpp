#include "cli/error_rows.h"

#include "cli/json_text.h"
#include "core/error_details.h"
#include "core/error_texts.h"

namespace kova::cli {

namespace {

std::string csvField(std::string_view text) {
    if (text.find_first_of(";\"\r\n") == std::string_view::npos) return std::string(text);
    std::string quoted = "\"";
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

std::string csvErrorHeading() { return "arquivo;TIPOREG;nreg;posini;posfin;coderro;COMPLEMENTOERR;descerro\n"; }

std::string csvErrorRow(std::string_view fileName, const ErrorListing& row) {
    return csvField(fileName) + ";" + csvField(row.recordType) + ";" + std::to_string(row.recordNumber) + ";" +
           csvField(row.firstColumn) + ";" + csvField(row.lastColumn) + ";" + std::to_string(row.code) + ";" +
           csvField(row.complement) + ";" + csvField(row.description) + "\n";
}

}  // namespace kova::cli
