// The import of a declaration file: choosing the file, checking every record, then (when it is clean) handing it
// to generation, and transmitting the declaration just generated. Whoever drives it (the import screen, kova-cli,
// the tests) follows it through ImportEvents and answers its questions through Prompts.
#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "core/clock.h"
#include "core/folder_lock.h"
#include "core/error_log.h"
#include "core/ports.h"
#include "core/record_reader.h"
#include "import/declarant_data.h"
#include "import/checking_passes.h"
#include "import/import_events.h"
#include "import/import_state.h"

namespace kova {

// The import's answer field ("0"/empty, "1", "2" keep their meanings); the transmit question writes it too.
enum class ImportAnswer {
    UnderWay = 0,        // "0" or empty: import under way or successful
    NotGenerated = 1,    // "1": ended without generating (error, refusal, cancel, replace declined)
    NoTransmission = 2,  // "2": No to the transmission question
};

// What one import keeps, and the values it shares with generation and transmission.
struct ImportSession {
    std::filesystem::path programFolder;  // holds KOVALDDB.MDB and GERADA
    std::filesystem::path fileName;       // the file name as the person gave it last
    std::filesystem::path chosenPath;     // the last name that named a readable file
    ImportAnswer answer = ImportAnswer::UnderWay;
    DeclarantData declarant;              // read when the file was chosen
    DeclarationNames names;               // where this declaration is stored
    ImportState state;                    // current record, cancel flag, seen flags, totals, counts
    std::uint64_t fileSize = 0;
    std::uint64_t bytesConsumed = 0;
    // The delivery file written by generation, handed to the transmission.
    std::filesystem::path generatedDeliveryFile;
};

// Everything generation needs from the import.
struct GenerationContext {
    ImportSession& session;  // input file, declarant data, names, state (cancel flag, totals, counts), program
                             // folder, answer field (a declined replace question sets NotGenerated)
    ImportEvents& events;
    Prompts& prompts;
    const Clock& clock;
    ErrorLog& errorLog;
};

class GenerationPort {
public:
    virtual ~GenerationPort() = default;
    // Before the detail pass of the import: where its records go (`sink`, nullptr when this generation does not
    // take them); false when they cannot be kept (the person was told).
    virtual bool startBody(GenerationContext& /*context*/, RecordSink*& sink) {
        sink = nullptr;
        return true;
    }
    // Writes the sealed delivery file of a declaration that has just passed its checks (GERARQ).
    virtual bool generateDeliveryFile(GenerationContext& context) = 0;
    // The import ended without a generation: whatever startBody kept is dropped. Never throws.
    virtual void dropBody() noexcept {}
};

// What choosing a file found.
struct FileChoice {
    enum class Kind {
        NoFile,         // no name given
        NotFound,       // the name names no readable file: nothing else changes
        EmptyFile,      // size 0: the notice says so
        Refused,        // the first record cannot be a header: the notice says why
        ReadAbandoned,  // a read failure and the person gave up
        Accepted,       // the declarant data were read: the file can be imported
    };
    Kind kind = Kind::NoFile;
    DeclarantDisplay declarant;  // the declarant data of an accepted file; empty otherwise
    std::string notice;          // the one line the pending list shows for an empty or refused file
    bool accepted() const { return kind == Kind::Accepted; }
};

// How an import ended.
enum class ImportOutcome {
    Succeeded,     // clean import (and generation when there is one)
    ErrorsListed,  // error rows recorded and listed
    Refused,       // ended without generating and without rows (message, refusal, replace declined)
    Cancelled,     // "Importação Cancelada."
    Failed,        // a fault of the program or the machine ended it (its message was shown), or generation
                   // failed without a refusal
};

struct ImportResult {
    ImportOutcome outcome = ImportOutcome::Failed;
    bool generated = false;  // the delivery file of this import was written
};

// The announcement after a generated declaration: where it was stored.
std::string importSuccessText(const ImportSession& session);

class ImportDriver {
public:
    ImportDriver(ImportSession& session, ImportEvents& events, Prompts& prompts, const Clock& clock,
                 ErrorLog& errorLog, GenerationPort* generation = nullptr);

    // A file name was given (typed, picked or passed): reads the declarant data of its first record.
    FileChoice choose(const std::filesystem::path& fileName);

    // Checks the structure and every record of the chosen file (VALDISCO): true when it passed with no error row.
    bool validateFile();

    // The whole import: the checks, then generation when they passed, then the outcome.
    ImportResult run();

    // Asks "Confirma o cancelamento da importação ?": Yes stops the running pass at its next record.
    bool requestCancel();
    // The person left: a running pass stops at its next record.
    void abandon() { session_.state.cancel.set = true; }
    // A new folder or file was picked: an earlier cancel no longer holds.
    void clearCancel() { session_.state.cancel.set = false; }
    bool cancelled() const { return session_.state.cancel.set; }

    // Transmits the declaration just generated, timing the phase; `transmit` tells whether it was handed over.
    bool transmitGenerated(const std::function<bool(const std::filesystem::path& deliveryFile)>& transmit);

    void setSourceOpener(SourceOpener opener) { openSource_ = std::move(opener); }
    // How long run() waits for another process writing the same program folder before it refuses.
    void setWriteLockWait(std::chrono::milliseconds wait) { writeLockWait_ = wait; }
    // Run at the end of run(), the folder still locked: what reads the log of this import (the rows a batch
    // command prints) reads it before another process's import can empty it.
    void setWhileLocked(std::function<void(const ImportResult&)> step) { whileLocked_ = std::move(step); }

private:
    class Run;
    ImportOutcome outcomeAfterImport(bool done);
    ImportSession& session_;
    ImportEvents& events_;
    Prompts& prompts_;
    const Clock& clock_;
    ErrorLog& errorLog_;
    GenerationPort* generation_;
    SourceOpener openSource_;
    std::chrono::milliseconds writeLockWait_{kDefaultWriteLockWait};
    std::function<void(const ImportResult&)> whileLocked_;
    bool faulted_ = false;       // the last validation ended through a fault trap
    std::int64_t rowsFound_ = 0;  // the error rows the last validation recorded
};

}  // namespace kova
