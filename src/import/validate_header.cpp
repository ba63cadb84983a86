// validateHeader: the header record, field by field.
#include "core/field_checks.h"
#include "core/record_layout.h"
#include "import/record_errors.h"
#include "import/record_validators.h"

namespace kova {

namespace {

const RetryText& headerFaultText() {
    static const RetryText text = detail::faultText("Valida tipo 1");
    return text;
}

constexpr detail::NameCodes kHeaderNameCodes{92, 72, 28, 79, 80, 97};

// Positions 45-46 must be one of the special-situation codes.
bool knownSituation(std::string_view situation) {
    return situation == "00" || situation == "01" || situation == "02" || situation == "03" || situation == "05";
}

}  // namespace

bool RecordValidators::validateHeader() {
    const detail::FaultTrap trap(prompts_, headerFaultText());
    const detail::RecordErrors errors(state_, log_, trap);
    return detail::runTrapped([&] {
        if (state_.cancel.set) return false;
        state_.recordNumber = 1;
        const HeaderRecord rec(state_.record);

        if (!detail::sequenceAccepted(errors, rec.sequence(), 1)) return false;

        state_.declarationYear = std::string(rec.year());
        const std::string_view year = rec.year();

        if (!isNumeric(rec.cnpj())) {
            errors.record(2, 10, 23);
        } else if (!isValidCnpj(rec.cnpj())) {
            errors.record(22, 10, 23);
        }

        if (isNumeric(year)) {
            const auto value = detail::digitsValue(year);
            const auto today = static_cast<std::uint64_t>(clock_.now().year);
            if (value > today) errors.record(10, 24, 27);
            if (value < 2006) errors.record(value != 0 ? 10 : 89, 24, 27);
        } else {
            errors.record(2, 24, 27);
        }

        // Both period dates: valid, and in the declaration year.
        const auto checkPeriodDate = [&](std::string_view date, int first, int yearCode, int yearFirst,
                                         int yearLast) {
            if (!isNumeric(date)) {
                errors.record(2, first, first + 7);
            } else if (!isValidDate(toYearMonthDay(date))) {
                errors.record(24, first, first + 7);
            } else if (RecordView(date).field(5, 4) != year) {
                errors.record(yearCode, yearFirst, yearLast);
            }
        };
        // A start in another year is reported over the year's columns, the end over its own.
        checkPeriodDate(rec.periodStart(), 28, 12, 24, 27);
        checkPeriodDate(rec.periodEnd(), 36, 13, 36, 43);

        if (rec.periodStartYmd() > rec.periodEndYmd()) errors.record(15, 36, 43);

        if (!isNumeric(rec.type())) {
            errors.record(2, 44, 44);
        } else if (rec.type() != "0" && rec.type() != "1") {
            errors.record(8, 44, 44);
        } else {
            state_.declarationType = std::string(rec.type());
        }

        if (state_.cancel.set) return false;

        const std::string_view situation = rec.situation();
        if (!isNumeric(situation)) {
            errors.record(2, 45, 46);
        } else {
            if (!knownSituation(situation)) errors.record(16, 45, 46);
            if (isNumeric(year) && situation == "00" && rec.periodEnd() != "3112" + std::string(year)) {
                errors.record(20, 36, 43, std::string(year) + " p/ Sit Especial 00");
            }
        }

        const std::string_view event = rec.eventDate();
        if (!isNumeric(event)) {
            errors.record(2, 47, 54);
        } else {
            if (event != "00000000" && !isValidDate(rec.eventDateYmd())) errors.record(81, 47, 54);
            if (situation == "00") {
                if (event != "00000000") errors.record(29, 47, 54);
            } else if (situation != "  ") {
                if (event != rec.periodEnd()) errors.record(47, 47, 54);
            }
        }

        if (!isValidUf(rec.uf())) errors.record(40, 55, 56);

        if (const int code = detail::nameErrorCode(rec.name(), kHeaderNameCodes)) errors.record(code, 57, 116);

        if (state_.cancel.set) return false;

        if (!detail::allOf(rec.filler(), 19, ' ')) errors.record(9, 124, 142);
        return true;
    });
}

}  // namespace kova
