// validateEntity (charitable entities) and validateBeneficiary (beneficiaries of diplomatic immunities): identification,
// strictly ascending order, name, and the counts the delivery header carries.
#include <string>

#include "core/faults.h"
#include "core/field_checks.h"
#include "core/record_layout.h"
#include "import/record_errors.h"
#include "import/record_validators.h"

namespace kova {

namespace {

RetryText reportOnlyFaultText(const char* title) {
    return detail::faultText(
        title, [](const Fault& fault) { return "Erro na leitura do arquivo.\n(" + faultMessage(fault) + ")"; }, false);
}

const RetryText& entityFaultText() {
    static const RetryText text = reportOnlyFaultText("Valida tipo 3");
    return text;
}

const RetryText& beneficiaryFaultText() {
    static const RetryText text = reportOnlyFaultText("Valida tipo 4");
    return text;
}

constexpr detail::NameCodes kEntityNameCodes{92, 72, 74, 93, 0, 75};
constexpr detail::NameCodes kBeneficiaryNameCodes{92, 72, 77, 94, 0, 78};

// Strictly ascending keys: `lower` when the key is below the previous one, `equal` when it repeats it.
void checkAscending(const detail::RecordErrors& errors, bool seen, const std::string& previous,
                    std::string_view key, int lower, int equal) {
    if (!seen) return;
    if (previous > key) {
        errors.record(lower, EntityField::cnpj);
    } else if (previous == key) {
        errors.record(equal, EntityField::cnpj);
    }
}

void checkName(const detail::RecordErrors& errors, const EntityRecord& rec, const detail::NameCodes& codes) {
    if (const int code = detail::nameErrorCode(rec.name(), codes)) errors.record(code, EntityField::name);
}

}  // namespace

bool RecordValidators::validateEntity() {
    const detail::FaultTrap trap(prompts_, entityFaultText());
    const detail::RecordErrors errors(state_, log_, trap);
    return detail::runTrapped([&] {
        if (state_.cancel.set) return false;
        const EntityRecord rec(state_.record);
        if (!detail::sequenceAccepted(errors, rec.sequence(), state_.recordNumber)) return false;

        if (rec.type() != "J") errors.record(11, EntityField::type);

        const std::string_view cnpj = rec.cnpj();
        if (!isNumeric(cnpj)) {
            errors.record(2, EntityField::cnpj);
        } else {
            if (!isValidCnpj(cnpj)) errors.record(22, EntityField::cnpj);
            checkAscending(errors, state_.entitySeen, state_.previousEntityCnpj, cnpj, 56, 66);
        }
        // Even a malformed CNPJ is the key the next entity is ordered against.
        state_.previousEntityCnpj.assign(cnpj);
        state_.entitySeen = true;

        checkName(errors, rec, kEntityNameCodes);
        ++state_.count3;
        return true;
    });
}

bool RecordValidators::validateBeneficiary() {
    const detail::FaultTrap trap(prompts_, beneficiaryFaultText());
    const detail::RecordErrors errors(state_, log_, trap);
    return detail::runTrapped([&] {
        if (state_.cancel.set) return false;
        const EntityRecord rec(state_.record);
        if (!detail::sequenceAccepted(errors, rec.sequence(), state_.recordNumber)) return false;

        const std::string_view personType = rec.type();
        if (personType != "J" && personType != "F") errors.record(11, BeneficiaryField::type);

        // The CPF's findings, as the CNPJ's, are reported over the whole identification field.
        const std::string_view cnpj = rec.cnpj();
        if (!isNumeric(cnpj)) {
            errors.record(2, BeneficiaryField::cnpj);
        } else if (personType == "J") {
            if (!isValidCnpj(cnpj)) errors.record(22, BeneficiaryField::cnpj);
            checkAscending(errors, state_.legalBeneficiarySeen, state_.previousBeneficiaryCnpj, cnpj, 56, 85);
            state_.previousBeneficiaryCnpj.assign(cnpj);
            state_.legalBeneficiarySeen = true;
        } else if (personType == "F") {
            if (rec.cpfPrefix() != "000") {
                errors.record(45, BeneficiaryField::cnpj);
            } else {
                const std::string_view cpf = rec.cpf();
                if (!isValidCpf(cpf)) errors.record(23, BeneficiaryField::cnpj);
                // Natural persons all come before the legal entities.
                if (state_.legalBeneficiarySeen) errors.record(57, BeneficiaryField::cnpj);
                checkAscending(errors, state_.naturalBeneficiarySeen, state_.previousBeneficiaryCpf, cpf, 64, 67);
                state_.naturalBeneficiarySeen = true;
                state_.previousBeneficiaryCpf.assign(cpf);
            }
        }

        checkName(errors, rec, kBeneficiaryNameCodes);
        ++state_.count4;
        return true;
    });
}

}  // namespace kova
