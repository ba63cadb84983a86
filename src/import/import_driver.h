// The import: choosing a file, the driver validateFile, the import button and the cancel button of the import screen.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "core/clock.h"
#include "core/error_log.h"
#include "core/ports.h"
#include "core/record_reader.h"
#include "import/declarant_data.h"
#include "import/import_state.h"
#include "import/import_view.h"

namespace kova {

// The import screen's answer field ("0"/empty, "1", "2" keep their meanings).
enum class ImportAnswer {
    UnderWay = 0,        // "0" or empty: import under way or successful
    NotGenerated = 1,    // "1": ended without generating (error, refusal, cancel, replace declined)
    NoTransmission = 2,  // "2": No to the transmission question
};

// The main window's answer field: "1" once a declaration has been generated.
enum class MainAnswer { Empty, Zero, Generated };

// What the import screen keeps while it is open, and the program-wide values the import uses.
struct ImportSession {
    std::filesystem::path programFolder;  // holds KOVALDDB.MDB and GERADA
    std::filesystem::path fileBox;        // TxtArq: the text of the file-name box
    std::filesystem::path chosenPath;     // the path remembered when the file was chosen
    ImportAnswer answer = ImportAnswer::UnderWay;
    MainAnswer mainAnswer = MainAnswer::Empty;
    DeclarantData declarant;              // read when the file was chosen (readDeclarantData)
    DeclarationNames names;               // composed at step 11 / by ensureDeclarationFolder
    ImportState state;                    // current record, cancel flag, seen flags, totals, counts
    std::uint64_t fileSize = 0;
    std::uint64_t bytesConsumed = 0;
    // Identification of the generated declaration, set by generation and handed to the transmission.
    std::string generatedDeclarationId;
};

// Everything generation needs from the import.
struct GenerationContext {
    ImportSession& session;  // input file (chosenPath), declarant data, names, state (cancel flag, totals,
                             // counts), program folder, answer field (the replace question sets NotGenerated)
    ImportView& view;        // timing frame 1 (LblTempo 2, 3, 12), Label4, PgBar, busy pointer, pickers
    Prompts& prompts;
    const Clock& clock;
    ErrorLog& errorLog;
};

// generateDeliveryFile: writes the sealed delivery file of a declaration that validateFile has just passed. The replace question
// (ReplaceQuestionDialog) is the implementation's own port, given to it at construction.
class GenerationPort {
public:
    virtual ~GenerationPort() = default;
    virtual bool generateDeliveryFile(GenerationContext& context) = 0;
};

// How the import button ended, for the screen (offerTransmission) and kova-cli (exit status).
enum class ImportOutcome {
    Succeeded,     // clean import (and generation when there is one): the screen runs offerTransmission
    ErrorsListed,  // error rows recorded and listed
    Refused,       // ended without generating and without rows (message, refusal, replace declined)
    Cancelled,     // "Importação Cancelada."
    Failed,        // a fault of the program or the machine ended it (its message was shown), or generation
                   // failed without a refusal
};

// The announcement after a generated declaration: where it was stored (the screen adds its transmit question).
std::string importSuccessText(const ImportSession& session);

class ImportDriver {
public:
    ImportDriver(ImportSession& session, ImportView& view, Prompts& prompts, const Clock& clock,
                 ErrorLog& errorLog, GenerationPort* generation = nullptr);

    // TxtArq change: a new text in the file-name box (choosing a file).
    void fileBoxChanged(const std::filesystem::path& text);
    // File1 click: the folder and file name become TxtArq.
    void fileClicked(const std::filesystem::path& folder, const std::string& fileName);

    // The driver: true when the structure check passed and the detail pass ran to its end with no error row.
    bool validateFile();

    // BtnCmd(0): validateFile, then generateDeliveryFile, then the outcome logic.
    ImportOutcome importButton();

    // BtnCmd(4): asks "Confirma o cancelamento da importação ?"; Yes sets the cancel flag and answer "1".
    void cancelButton();

    // Unload of the screen: the cancel flag is set, so a running pass stops at its next record.
    void unload() { session_.state.cancel.set = true; }

    void setSourceOpener(SourceOpener opener) { openSource_ = std::move(opener); }

private:
    class Run;
    ImportOutcome outcomeAfterImport(bool imported);
    ImportSession& session_;
    ImportView& view_;
    Prompts& prompts_;
    const Clock& clock_;
    ErrorLog& errorLog_;
    GenerationPort* generation_;
    SourceOpener openSource_;
    bool faulted_ = false;  // the last validateFile ended through a fault trap
};

}  // namespace kova
