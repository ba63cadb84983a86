// An error log kept in memory: for tests and for checks that must not touch the work database.
#pragma once

#include <string>
#include <vector>

#include "core/error_log.h"

namespace kova {

class MemoryErrorLog : public ErrorLog {
public:
    struct Row : ErrorRow {};

    void recordRow(const ErrorRow& row) override { rows.push_back(Row{row}); }
    std::int64_t rowCount() override { return static_cast<std::int64_t>(rows.size()); }
    void emptyLog() override { rows.clear(); }
    void listErrors(const std::function<bool(const ErrorListing&)>& visit) override {
        for (const auto& r : rows) {
            ErrorListing l;
            l.description = description(r.code);
            l.complement = r.complement.value_or("");
            l.recordType = r.recordType;
            l.recordNumber = r.recordNumber;
            l.firstColumn = r.firstColumn;
            l.lastColumn = r.lastColumn;
            l.code = r.code;
            l.cnpj = r.cnpj;
            l.name = r.name;
            l.value = r.value;
            if (!visit(l)) return;
        }
    }

    std::vector<Row> rows;

protected:
    // The text CONSULTAERROS gives an error code (the work database joins the real one).
    virtual std::string description(int code) const { return "Erro " + std::to_string(code); }
};

}  // namespace kova
