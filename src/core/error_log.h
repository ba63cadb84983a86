// The error log of the last import: every check records its findings here (table ERROS).
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace kova {

// One row of the log. All texts are UTF-8 (record bytes are converted from Windows-1252 before they get here).
struct ErrorRow {
    std::string recordType;   // "1".."5", "T", the unknown type character, or "0" for a read failure
    std::int64_t recordNumber = 0;
    std::string firstColumn;    // "0001".."0142"; "0000" for a read failure
    std::string lastColumn;
    int code = 0;
    std::string cnpj;
    std::string name;
    std::optional<std::string> complement;
    // What the faulty columns hold, made visible (see visibleText): kept beside the row, not in ERROS.
    std::string value;
};

// One row of CONSULTAERROS: the log joined with the error texts, in the order recorded.
struct ErrorListing {
    std::string description;
    std::string complement;  // "" when none
    std::string recordType;
    std::int64_t recordNumber = 0;
    std::string firstColumn;
    std::string lastColumn;
    int code = 0;
    std::string cnpj;  // declarant of the row (the error report prints it in each page header)
    std::string name;
    std::string value;  // "" when the row has none (a read failure, a log written by an earlier version)
};

class ErrorLog {
public:
    virtual ~ErrorLog() = default;
    // Appends one row (GRAVAERRO).
    virtual void recordRow(const ErrorRow& row) = 0;
    // The same row given field by field, without a value.
    void recordError(const std::string& recordType, std::int64_t recordNumber, const std::string& firstColumn,
                     const std::string& lastColumn, int code, const std::string& cnpj, const std::string& name,
                     const std::optional<std::string>& complement = std::nullopt) {
        recordRow(ErrorRow{recordType, recordNumber, firstColumn, lastColumn, code, cnpj, name, complement, {}});
    }
    virtual std::int64_t rowCount() = 0;
    // "DELETE FROM ERROS": one set-based statement.
    virtual void emptyLog() = 0;
    // The rows of CONSULTAERROS in the order recorded; stops early when the visitor returns false.
    virtual void listErrors(const std::function<bool(const ErrorListing&)>& visit) = 0;
    // An import records all its rows inside one batch (one transaction on the database).
    virtual void beginBatch() {}
    virtual void commitBatch() {}
};

}  // namespace kova
