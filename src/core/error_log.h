// The error log of the last import: every check records its findings here (table ERROS).
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace kova {

// One row of the log. All texts are UTF-8 (record bytes are converted from Windows-1252 before they get here).
struct ErrorRow {
    std::string TIPOREG;   // "1".."5", "T", the unknown type character, or "0" for a read failure
    std::int64_t nreg = 0;
    std::string posini;    // "0001".."0142"; "0000" for a read failure
    std::string posfin;
    int coderro = 0;
    std::string CNPJ;
    std::string NOME;
    std::optional<std::string> COMPLEMENTOERR;
};

// One row of CONSULTAERROS: the log joined with the error texts, in the order recorded.
struct ErrorListing {
    std::string descerro;
    std::string COMPLEMENTOERR;  // "" when none
    std::string TIPOREG;
    std::int64_t nreg = 0;
    std::string posini;
    std::string posfin;
    int coderro = 0;
    std::string CNPJ;  // declarant of the row (the error report prints it in each page header)
    std::string NOME;
};

class ErrorLog {
public:
    virtual ~ErrorLog() = default;
    virtual void GRAVAERRO(const std::string& TIPOREG, std::int64_t nreg, const std::string& posini,
                           const std::string& posfin, int coderro, const std::string& CNPJ,
                           const std::string& NOME,
                           const std::optional<std::string>& COMPLEMENTOERR = std::nullopt) = 0;
    virtual std::int64_t rowCount() = 0;
    // "DELETE FROM ERROS": one set-based statement.
    virtual void emptyLog() = 0;
    // The rows of CONSULTAERROS in the order recorded; stops early when the visitor returns false.
    virtual void CONSULTAERROS(const std::function<bool(const ErrorListing&)>& visit) = 0;
    // An import records all its rows inside one batch (one transaction on the database).
    virtual void beginBatch() {}
    virtual void commitBatch() {}
};

}  // namespace kova
