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

// One person's fields: the representative's or the responsible's.
void checkPerson(const detail::RecordErrors& errors, const RecordView& rec, const Field& cpfField,
                 const Field& areaCode, const Field& phone, const Field& extension) {
    const auto zeros = [&](const Field& field) { return detail::fieldIsAll(rec, field, '0'); };

    const std::string_view cpf = rec.field(cpfField);
    if (!isNumeric(cpf)) {
        errors.record(2, cpfField);
    } else if (zeros(cpfField)) {
        errors.record(76, cpfField);
    } else if (!isValidCpf(cpf)) {
        errors.record(23, cpfField);
    }

    const std::string_view ddd = rec.field(areaCode);
    if (!isNumeric(ddd)) {
        errors.record(2, areaCode);
    } else if (zeros(areaCode)) {
        errors.record(76, areaCode);
    } else if (detail::digitsValue(ddd) < 10) {
        errors.record(84, areaCode);
    }

    if (!isNumeric(rec.field(phone))) {
        errors.record(2, phone);
    } else if (zeros(phone)) {
        errors.record(76, phone);
    }

    if (!isNumeric(rec.field(extension))) errors.record(2, extension);
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
        using C = ContactField;
        checkPerson(errors, rec, C::representativeCpf, C::representativeAreaCode, C::representativePhone,
                    C::representativeExtension);
        checkPerson(errors, rec, C::responsibleCpf, C::responsibleAreaCode, C::responsiblePhone, C::responsibleExtension);

        if (!detail::fieldIsAll(rec, C::filler, ' ')) errors.record(9, C::filler);
        return true;
    });
}

}  // namespace kova
