// The state of one import, shared by the structure check, the validators, the driver and generation.
#pragma once

#include <cstdint>
#include <string>

#include "core/decimal_total.h"
#include "core/ports.h"

namespace kova {

struct ImportState {
    // The record being validated: its bytes (Windows-1252, no CR LF), its number (from 1) and its type
    // character ("T" for the trailer).
    std::string record;
    std::int64_t recordNumber = 0;
    std::string recordType;

    CancelFlag cancel;

    // Declarant CNPJ (14) and name (60) as record bytes, taken from the header by the structure check.
    std::string declarantCnpj;
    std::string declarantName;

    // Record-type-seen flags of the structure check.
    bool seen1 = false, seen2 = false, seen3 = false, seen4 = false, seen5 = false, seenT = false;

    // Header validation.
    std::string declarationYear;  // the header's Ano, stored even when wrong
    std::string declarationType;  // the header's Tipo, only when "0" or "1"

    // Type 2.
    std::string representativeCpf;             // CPFREPRESENTANTE
    std::string representativeTelephoneBlock;  // DDD, telephone and extension of the representative

    // Ordering state of types 3 and 4 (cleared before the detail pass).
    bool entitySeen = false;
    std::string previousEntityCnpj;
    bool legalBeneficiarySeen = false;
    std::string previousBeneficiaryCnpj;
    bool naturalBeneficiarySeen = false;
    std::string previousBeneficiaryCpf;

    // Type 5.
    bool type5Seen = false;
    std::string previousLevyCnpj;
    std::string previousDueDate;  // YYYYMMDD
    DecimalTotal baseTotal;
    DecimalTotal levyTotal;
    std::int64_t zeroAmountCount = 0;

    // Counts of type 3, 4 and 5 records validated.
    std::int64_t count3 = 0, count4 = 0, count5 = 0;

    // At the start of an import: counts, totals and the zero-amount count.
    void resetForImport();
    // Before the detail pass: the first-record-of-a-kind flags and previous keys of types 3, 4 and 5.
    void resetOrdering();
};

}  // namespace kova
