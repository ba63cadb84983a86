// The structure check and the validators of each record type. Each works on the import state and records its
// findings through the error log; a run-time fault is offered again through the prompts (retry pattern).
#pragma once

#include "core/clock.h"
#include "core/error_log.h"
#include "core/ports.h"
#include "core/record_reader.h"
#include "import/import_state.h"

namespace kova {

class RecordValidators {
public:
    RecordValidators(ImportState& state, ErrorLog& log, Prompts& prompts, const Clock& clock)
        : state_(state), log_(log), prompts_(prompts), clock_(clock) {}

    // Each validates state.record (number state.nreg, type state.tipo); true to go on, false to stop the pass.
    bool validateHeader();
    bool validateContacts();
    bool validateEntity();
    bool validateBeneficiary();
    bool validateLevy();
    bool validateTrailer();

private:
    ImportState& state_;
    ErrorLog& log_;
    Prompts& prompts_;
    const Clock& clock_;
};

// The first pass over the opened file. Reports progress (bytes consumed) and pumps events after every record.
// True only when the whole file was read and the error log is empty at the end.
bool checkStructure(RecordReader& reader, ImportState& state, ErrorLog& log, Prompts& prompts, Progress& progress);

}  // namespace kova
