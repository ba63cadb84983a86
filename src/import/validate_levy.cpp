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
void addAmount(const detail::RecordErrors& errors, const LevyRecord& rec, const Field& field, DecimalTotal& total) {
    const std::string_view amount = rec.field(field);
    if (!isNumeric(amount)) {
        errors.record(2, field);
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
            errors.record(2, LevyField::cnpj);
        } else {
            if (!isValidCnpj(cnpj)) errors.record(22, LevyField::cnpj);
            if (state_.type5Seen && state_.previousLevyCnpj > cnpj) errors.record(56, LevyField::cnpj);
        }

        const std::string dueDate = rec.dueDateYmd();
        if (!isNumeric(rec.dueDate())) {
            errors.record(2, LevyField::dueDate);
        } else {
            if (state_.type5Seen && state_.previousLevyCnpj == cnpj) {
                if (dueDate == state_.previousDueDate) {
                    errors.record(86, LevyField::dueDate);
                } else if (dueDate < state_.previousDueDate) {
                    errors.record(87, LevyField::dueDate);
                }
            }
            const std::string_view year = state_.declarationYear;
            if (!isValidDate(dueDate)) {
                errors.record(24, LevyField::dueDate);
            } else {
                if (dueDate > std::string(year) + "1231") errors.record(88, LevyField::dueDate);
                if (isNumeric(year) && dueDate < earliestDueDate(year)) errors.record(88, LevyField::dueDate);
            }
        }

        // Whatever was found, this record is the one the next is ordered against.
        state_.previousLevyCnpj.assign(cnpj);
        state_.type5Seen = true;
        state_.previousDueDate = dueDate;

        addAmount(errors, rec, LevyField::baseAmount, state_.baseTotal);
        addAmount(errors, rec, LevyField::levyAmount, state_.levyTotal);
        if (detail::fieldIsAll(rec, LevyField::baseAmount, '0') && detail::fieldIsAll(rec, LevyField::levyAmount, '0')) {
            ++state_.zeroAmountCount;
        }

        if (!detail::fieldIsAll(rec, LevyField::filler, ' ')) errors.record(9, LevyField::filler);
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

        if (!detail::fieldIsAll(rec, TrailerField::filler, '9')) errors.record(17, TrailerField::filler);

        if (!isNumeric(rec.year())) {
            errors.record(2, TrailerField::year);
        } else if (rec.year() != state_.declarationYear) {
            errors.record(54, TrailerField::year);
        }
        return true;
    });
}

}  // namespace kova
