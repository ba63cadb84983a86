// validateContacts: the contact record (legal representative and person responsible).
#include <string>

#include "core/field_checks.h"
#include "core/record_layout.h"
#include "import/record_errors.h"
#include "import/record_validators.h"

namespace kova {

namespace {

const RetryText& contactsFaultText() {
    static const RetryText text = detail::faultText(
        "Valida tipo 2",
        [](const Fault& fault) { return "Erro na leitura do arquivo.\n(" + std::to_string(fault.number()) + ")"; },
        false);
    return text;
}

// One person's CPF, area code, telephone and extension, starting at the CPF's column.
void checkPerson(const detail::RecordErrors& errors, const RecordView& rec, int first) {
    const auto zeros = [](std::string_view field, std::size_t length) { return detail::allOf(field, length, '0'); };

    const std::string_view cpf = rec.field(first, 11);
    if (!isNumeric(cpf)) {
        errors.record(2, first, first + 10);
    } else if (zeros(cpf, 11)) {
        errors.record(76, first, first + 10);
    } else if (!isValidCpf(cpf)) {
        errors.record(23, first, first + 10);
    }

    const int dddFirst = first + 11;
    const std::string_view ddd = rec.field(dddFirst, 4);
    if (!isNumeric(ddd)) {
        errors.record(2, dddFirst, dddFirst + 3);
    } else if (zeros(ddd, 4)) {
        errors.record(76, dddFirst, dddFirst + 3);
    } else if (detail::digitsValue(ddd) < 10) {
        errors.record(84, dddFirst, dddFirst + 3);
    }

    const int phoneFirst = dddFirst + 4;
    const std::string_view phone = rec.field(phoneFirst, 9);
    if (!isNumeric(phone)) {
        errors.record(2, phoneFirst, phoneFirst + 8);
    } else if (zeros(phone, 9)) {
        errors.record(76, phoneFirst, phoneFirst + 8);
    }

    const int extensionFirst = phoneFirst + 9;
    if (!isNumeric(rec.field(extensionFirst, 5))) errors.record(2, extensionFirst, extensionFirst + 4);
}

}  // namespace

bool RecordValidators::validateContacts() {
    const detail::FaultTrap trap(prompts_, contactsFaultText());
    const detail::RecordErrors errors(state_, log_, trap);
    return detail::runTrapped([&] {
        if (state_.cancel.set) return false;
        const ContactRecord rec(state_.record);

        // The contact record is always the second line.
        if (!detail::sequenceAccepted(errors, rec.sequence(), 2)) return false;

        // The delivery header carries the representative's CPF and telephone whatever their errors.
        state_.representativeCpf = std::string(rec.representativeCpf());
        state_.representativeTelephoneBlock = std::string(rec.representativePhoneBlock());
        checkPerson(errors, rec, 10);
        checkPerson(errors, rec, 39);

        if (!detail::allOf(rec.filler(), 75, ' ')) errors.record(9, 68, 142);
        return true;
    });
}

}  // namespace kova
