// Shared fixture of the record validator tests: one import state, a memory log, scripted prompts and a clock
// fixed in 2024, so that the header's year rule has a known "today".
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "core/clock.h"
#include "import/import_state.h"
#include "import/record_validators.h"
#include "import/validation_fakes.h"

namespace kova::validation_tests {

class ValidatorTest : public ::testing::Test {
protected:
    ValidatorTest() { state.declarantCnpj = "12345678000195"; state.declarantName = std::string(60, 'N'); }

    // Puts `record` in place as record `nreg` of type `tipo` and runs the validator of that type.
    bool validate(const std::string& record, std::int64_t recordNumber, const std::string& recordType) {
        state.record = record;
        state.recordNumber = recordNumber;
        state.recordType = recordType;
        switch (recordType.empty() ? '?' : recordType[0]) {
            case '1': return validators.validateHeader();
            case '2': return validators.validateContacts();
            case '3': return validators.validateEntity();
            case '4': return validators.validateBeneficiary();
            case '5': return validators.validateLevy();
            default: return validators.validateTrailer();
        }
    }

    ImportState state;
    FaultyErrorLog log;
    RecordingPrompts prompts;
    FixedClock clock{DateTime{2024, 6, 15, 10, 0, 0}};
    RecordValidators validators{state, log, prompts, clock};
};

}  // namespace kova::validation_tests
