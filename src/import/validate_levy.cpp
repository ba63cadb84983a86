// validateLevy (levy neither withheld nor paid, with its exact totals) and validateTrailer (the trailer).
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
        return "Erro na leitura do arquivo.\n(" + faultMessage(fault) + ")\nTenta novamente ?";
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
    if (!isNumeric(amount)) {
        errors.record(2, first, first + 16);
    } else {
        total.addDigits(amount);
    }
}

}  // namespace

bool RecordValidators::validateLevy() {
    const detail::FaultTrap trap(prompts_, levyFaultText());
    const detail::RecordErrors errors(state_, log_, trap);
    return detail::runTrapped([&] {
        if (state_.cancel.set) return false;
        const LevyRecord rec(state_.record);

        if (!detail::sequenceAccepted(errors, rec.sequence(), state_.recordNumber)) return false;

        // Equal CNPJs are allowed: one CNPJ may have several due dates.
        const std::string_view cnpj = rec.cnpj();
        if (!isNumeric(cnpj)) {
            errors.record(2, 10, 23);
        } else {
            if (!isValidCnpj(cnpj)) errors.record(22, 10, 23);
            if (state_.type5Seen && state_.previousLevyCnpj > cnpj) errors.record(56, 10, 23);
        }

        const std::string dueDate = rec.dueDateYmd();
        if (!isNumeric(rec.dueDate())) {
            errors.record(2, 24, 31);
        } else {
            if (state_.type5Seen && state_.previousLevyCnpj == cnpj) {
                if (dueDate == state_.previousDueDate) {
                    errors.record(86, 24, 31);
                } else if (dueDate < state_.previousDueDate) {
                    errors.record(87, 24, 31);
                }
            }
            const std::string_view year = state_.declarationYear;
            if (!isValidDate(dueDate)) {
                errors.record(24, 24, 31);
            } else {
                if (dueDate > std::string(year) + "1231") errors.record(88, 24, 31);
                if (isNumeric(year) && dueDate < earliestDueDate(year)) errors.record(88, 24, 31);
            }
        }

        // Whatever was found, this record is the one the next is ordered against.
        state_.previousLevyCnpj.assign(cnpj);
        state_.type5Seen = true;
        state_.previousDueDate = dueDate;

        addAmount(errors, rec.baseAmount(), 32, state_.baseTotal);
        addAmount(errors, rec.levyAmount(), 49, state_.levyTotal);
        if (detail::allOf(rec.baseAmount(), 17, '0') && detail::allOf(rec.levyAmount(), 17, '0')) {
            ++state_.zeroAmountCount;
        }

        if (!detail::allOf(rec.filler(), 77, ' ')) errors.record(9, 66, 142);
        ++state_.count5;
        return true;
    });
}

bool RecordValidators::validateTrailer() {
    const detail::FaultTrap trap(prompts_, trailerFaultText());
    const detail::RecordErrors errors(state_, log_, trap);
    return detail::runTrapped([&] {
        if (state_.cancel.set) return false;
        const TrailerRecord rec(state_.record);

        if (!detail::allOf(rec.filler(), 137, '9')) errors.record(17, 2, 138);

        if (!isNumeric(rec.year())) {
            errors.record(2, 139, 142);
        } else if (rec.year() != state_.declarationYear) {
            errors.record(54, 139, 142);
        }
        return true;
    });
}

}  // namespace kova
