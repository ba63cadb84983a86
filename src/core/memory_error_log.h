// An error log kept in memory: for tests and for checks that must not touch the work database.
#pragma once

#include <string>
#include <vector>

#include "core/error_log.h"

namespace kova {

class MemoryErrorLog : public ErrorLog {
public:
    struct Row : ErrorRow {};

    void GRAVAERRO(const std::string& TIPOREG, std::int64_t nreg, const std::string& posini,
                   const std::string& posfin, int coderro, const std::string& CNPJ, const std::string& NOME,
                   const std::optional<std::string>& COMPLEMENTOERR = std::nullopt) override {
        Row r;
        r.TIPOREG = TIPOREG;
        r.nreg = nreg;
        r.posini = posini;
        r.posfin = posfin;
        r.coderro = coderro;
        r.CNPJ = CNPJ;
        r.NOME = NOME;
        r.COMPLEMENTOERR = COMPLEMENTOERR;
        rows.push_back(std::move(r));
    }
    std::int64_t rowCount() override { return static_cast<std::int64_t>(rows.size()); }
    void emptyLog() override { rows.clear(); }
    void CONSULTAERROS(const std::function<bool(const ErrorListing&)>& visit) override {
        for (const auto& r : rows) {
            ErrorListing l;
            l.descerro = description(r.coderro);
            l.COMPLEMENTOERR = r.COMPLEMENTOERR.value_or("");
            l.TIPOREG = r.TIPOREG;
            l.nreg = r.nreg;
            l.posini = r.posini;
            l.posfin = r.posfin;
            l.coderro = r.coderro;
            l.CNPJ = r.CNPJ;
            l.NOME = r.NOME;
            if (!visit(l)) return;
        }
    }

    std::vector<Row> rows;

protected:
    // The text CONSULTAERROS gives an error code (the work database joins the real one).
    virtual std::string description(int coderro) const { return "Erro " + std::to_string(coderro); }
};

}  // namespace kova
