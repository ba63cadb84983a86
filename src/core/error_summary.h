// The error rows of a log counted per error code and per record type: the summary above the error list of the
// import screen and `kova-cli erros --resumo`.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "core/error_log.h"

namespace kova {

// One line of the summary: the rows of one code or of one record type.
struct ErrorTally {
    enum class Kind { Code, RecordType };
    Kind kind = Kind::Code;
    int code = 0;            // Kind::Code
    std::string recordType;  // Kind::RecordType, as the log keeps it ("1".."5", "T", "0", an unknown character)
    std::string text;        // "22 - CNPJ inválido (dígito verificador ou zeros)", "Tipo 3 - entidades beneficentes"
    std::int64_t count = 0;
    bool matches(int rowCode, std::string_view rowType) const {
        return kind == Kind::Code ? rowCode == code : rowType == recordType;
    }
};

// A record type as people read it: "Tipo 3 - entidades beneficentes", "Trailer (T)", "Falha na leitura do
// arquivo" (type "0"), "Tipo desconhecido "X"".
std::string recordTypeText(std::string_view recordType);

// "<text> — 1.204 registros".
std::string tallyLine(const ErrorTally& tally);

class ErrorSummary {
public:
    void add(int code, std::string_view recordType, std::string_view description);
    void add(const ErrorListing& row) { add(row.code, row.recordType, row.description); }
    std::int64_t total() const { return total_; }
    // By ascending code.
    std::vector<ErrorTally> byCode() const;
    // Types 1 to 5, the trailer, unknown types, then read failures.
    std::vector<ErrorTally> byRecordType() const;

private:
    struct CodeCount {
        std::string description;
        std::int64_t count = 0;
    };
    std::map<int, CodeCount> codes_;
    std::map<std::string, std::int64_t, std::less<>> types_;
    std::int64_t total_ = 0;
};

// Every row of the log, counted.
ErrorSummary summarizeErrors(ErrorLog& log);

}  // namespace kova
