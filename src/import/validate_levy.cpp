// VALIDATIPO5 (levy neither withheld nor paid, with its exact totals) and VALIDATIPOT (the trailer).
#include <string>

#include "core/faults.h"
#include "core/field_checks.h"
#include "core/record_layout.h"
#include "import/record_errors.h"
#include "import/record_validators.h"

namespace kova {

namespace {

const RetryText& levyFaultText() {
    static const RetryText text = detail::faultText("Valida tipo 5", [](const Fault& fault) {
        return "Erro na leitura do arquivo.\n(" + MSGERRO(fault) + ")\nTenta novamente ?";
    });
    return text;
}

const RetryText& trailerFaultText() {
    static const RetryText text = detail::faultText(
        "Valida tipo T",
        [](const Fault& fault) { return "Erro na leitura do arquivo.\n(" + std::to_string(fault.number()) + ") "; },
        false);
    return text;
}

// The earliest due date allowed: 1 January nine years before the declaration year ("" when there is none).
std::string earliestDueDate(std::string_view year) {
    const std::uint64_t value = detail::digitsValue(year);
    if (value < 9) return {};
    return detail::zeroPaddedText(value - 9, 4) + "0101";
}

// An amount: digits are added to the total, anything else is reported.
void addAmount(const detail::RecordErrors& errors, std::string_view amount, int first, DecimalTotal& total) {
    if (!NUMERICO(amount)) {
        errors.record(2, first, first + 16);
    } else {
        total.addDigits(amount);
    }
}

}  // namespace

bool RecordValidators::VALIDATIPO5() {
    const detail::FaultTrap trap(prompts_, levyFaultText());
    const detail::RecordErrors errors(state_, log_, trap);
    return detail::runTrapped([&] {
        if (state_.cancel.set) return false;
        const LevyRecord rec(state_.record);

        if (!detail::sequenceAccepted(errors, rec.SEQ(), state_.nreg)) return false;

        // Equal CNPJs are allowed: one CNPJ may have several due dates.
        const std::string_view cnpj = rec.CNPJDECL();
        if (!NUMERICO(cnpj)) {
            errors.record(2, 10, 23);
        } else {
            if (!VALIDACNPJ(cnpj)) errors.record(22, 10, 23);
            if (state_.type5Seen && state_.previousType5CNPJ > cnpj) errors.record(56, 10, 23);
        }

        const std::string dueDate = rec.VENCIMENTOymd();
        if (!NUMERICO(rec.VENCIMENTO())) {
            errors.record(2, 24, 31);
        } else {
            if (state_.type5Seen && state_.previousType5CNPJ == cnpj) {
                if (dueDate == state_.previousDueDate) {
                    errors.record(86, 24, 31);
                } else if (dueDate < state_.previousDueDate) {
                    errors.record(87, 24, 31);
                }
            }
            const std::string_view year = state_.declarationYear;
            if (!VALIDADATA(dueDate)) {
                errors.record(24, 24, 31);
            } else {
                if (dueDate > std::string(year) + "1231") errors.record(88, 24, 31);
                if (NUMERICO(year) && dueDate < earliestDueDate(year)) errors.record(88, 24, 31);
            }
        }

        // Whatever was found, this record is the one the next is ordered against.
        state_.previousType5CNPJ.assign(cnpj);
        state_.type5Seen = true;
        state_.previousDueDate = dueDate;

        addAmount(errors, rec.BASECALCULO(), 32, state_.baseTotal);
        addAmount(errors, rec.KOVA(), 49, state_.levyTotal);
        if (detail::allOf(rec.BASECALCULO(), 17, '0') && detail::allOf(rec.KOVA(), 17, '0')) {
            ++state_.zeroAmountCount;
        }

        if (!detail::allOf(rec.filler(), 77, ' ')) errors.record(9, 66, 142);
        ++state_.count5;
        return true;
    });
}

bool RecordValidators::VALIDATIPOT() {
    const detail::FaultTrap trap(prompts_, trailerFaultText());
    const detail::RecordErrors errors(state_, log_, trap);
    return detail::runTrapped([&] {
        if (state_.cancel.set) return false;
        const TrailerRecord rec(state_.record);

        if (!detail::allOf(rec.filler(), 137, '9')) errors.record(17, 2, 138);

        if (!NUMERICO(rec.Ano())) {
            errors.record(2, 139, 142);
        } else if (rec.Ano() != state_.declarationYear) {
            errors.record(54, 139, 142);
        }
        return true;
    });
}

}  // namespace kova
