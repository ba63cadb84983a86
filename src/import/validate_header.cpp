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

// SITUACAO must be one of the special-situation codes.
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
            errors.record(2, HeaderField::cnpj);
        } else if (!isValidCnpj(rec.cnpj())) {
            errors.record(22, HeaderField::cnpj);
        }

        if (isNumeric(year)) {
            const auto value = detail::digitsValue(year);
            const auto today = static_cast<std::uint64_t>(clock_.now().year);
            if (value > today) errors.record(10, HeaderField::year);
            if (value < 2006) errors.record(value != 0 ? 10 : 89, HeaderField::year);
        } else {
            errors.record(2, HeaderField::year);
        }

        // Both period dates: valid, and in the declaration year.
        const auto checkPeriodDate = [&](const Field& field, int yearCode, const Field& yearField) {
            const std::string_view date = rec.field(field);
            if (!isNumeric(date)) {
                errors.record(2, field);
            } else if (!isValidDate(toYearMonthDay(date))) {
                errors.record(24, field);
            } else if (RecordView(date).field(5, 4) != year) {
                errors.record(yearCode, yearField);
            }
        };
        // A start in another year is reported over the year's columns, the end over its own.
        checkPeriodDate(HeaderField::periodStart, 12, HeaderField::year);
        checkPeriodDate(HeaderField::periodEnd, 13, HeaderField::periodEnd);

        if (rec.periodStartYmd() > rec.periodEndYmd()) errors.record(15, HeaderField::periodEnd);

        if (!isNumeric(rec.type())) {
            errors.record(2, HeaderField::type);
        } else if (rec.type() != "0" && rec.type() != "1") {
            errors.record(8, HeaderField::type);
        } else {
            state_.declarationType = std::string(rec.type());
        }

        if (state_.cancel.set) return false;

        const std::string_view situation = rec.situation();
        if (!isNumeric(situation)) {
            errors.record(2, HeaderField::situation);
        } else {
            if (!knownSituation(situation)) errors.record(16, HeaderField::situation);
            // A rule of the situation, reported over the end of the period that breaks it.
            if (isNumeric(year) && situation == "00" && rec.periodEnd() != "3112" + std::string(year)) {
                errors.record(20, HeaderField::periodEnd, std::string(year) + " p/ Sit Especial 00");
            }
        }

        const std::string_view event = rec.eventDate();
        if (!isNumeric(event)) {
            errors.record(2, HeaderField::eventDate);
        } else {
            if (event != "00000000" && !isValidDate(rec.eventDateYmd())) errors.record(81, HeaderField::eventDate);
            if (situation == "00") {
                if (event != "00000000") errors.record(29, HeaderField::eventDate);
            } else if (situation != "  ") {
                if (event != rec.periodEnd()) errors.record(47, HeaderField::eventDate);
            }
        }

        if (!isValidUf(rec.uf())) errors.record(40, HeaderField::uf);

        if (const int code = detail::nameErrorCode(rec.name(), kHeaderNameCodes)) errors.record(code, HeaderField::name);

        if (state_.cancel.set) return false;

        if (!detail::fieldIsAll(rec, HeaderField::filler, ' ')) errors.record(9, HeaderField::filler);
        return true;
    });
}

}  // namespace kova
