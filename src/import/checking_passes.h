// The checking passes of a declaration file, shared by the import and by kova-cli validar: the chosen path looked
// up, the file opened, the structure check, then every record handed to the validator of its type, under the
// import's fault traps. Nothing here touches a program folder: the findings go to the error log it is given.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "core/clock.h"
#include "core/error_log.h"
#include "core/faults.h"
#include "core/ports.h"
#include "core/record_reader.h"
#include "import/declarant_data.h"
#include "import/import_events.h"
#include "import/import_state.h"

namespace kova {

inline constexpr const char* kImportFileTitle = "Importar Arquivo";
inline constexpr const char* kEmptyFileText = "O arquivo selecionado para importação está vazio.";

// "Erro ao importar o arquivo. " + LF + "(number): " + the fault's text.
std::string importFaultText(const Fault& fault);

// The trap of reading the file and the log: a file in use (70) is reported once; any other fault is offered
// again ("Tenta novamente ?"). False when the step did not complete.
bool underReadTrap(Prompts& prompts, const std::function<void()>& step);

// What the look-up of the chosen path found.
enum class FileLookup {
    File,
    Refused,    // nothing there, a folder, a device: "O arquivo selecionado não existe." or "Arquivo selecionado
                // inválido." was shown
    Abandoned,  // the disk failed and the person gave up
};
FileLookup lookUpChosenFile(Prompts& prompts, const std::filesystem::path& path);

// Takes the records of the detail pass as they are read, so that exactly the bytes that were checked are sealed.
class RecordSink {
public:
    virtual ~RecordSink() = default;
    // False when the record could not be kept and the person gave up (told through the prompts).
    virtual bool take(std::string_view record) = 0;
};

class WatchedLog;

class CheckingPasses {
public:
    enum class Outcome {
        Clean,             // both passes ran to the end and nothing was recorded
        StructureStopped,  // the structure check stopped: with rows (rows() > 0), or with a message, a cancel
        DetailErrors,      // the detail pass recorded rows(): rows
        Cancelled,         // the cancel flag stopped the detail pass
        RowLost,           // a finding could not be recorded: the checks are incomplete
        Failed,            // a fault was given up on, or the step before the detail pass said no
    };

    // The state must hold the declarant's CNPJ and name for the rows written before the header is read.
    CheckingPasses(ImportState& state, ErrorLog& log, Prompts& prompts, ImportEvents& events, const Clock& clock);
    ~CheckingPasses();
    CheckingPasses(const CheckingPasses&) = delete;
    CheckingPasses& operator=(const CheckingPasses&) = delete;

    // Opens the file for both passes ("Abrindo o arquivo ..."); false when a fault was given up on.
    bool open(const std::filesystem::path& path, const SourceOpener& opener = {});

    // The structure check, then the detail pass. `beforeDetail` runs between them and may name where the checked
    // records go; false from it ends the check as Failed. A clean end tells the zero-amount warning.
    Outcome run(const std::function<bool(RecordSink*&)>& beforeDetail = {});

    // The rows recorded, counted when the pass that ended the check stopped.
    std::int64_t rows() const { return rows_; }
    std::uint64_t fileSize() const { return fileSize_; }
    std::uint64_t bytesConsumed() const { return bytesConsumed_; }

    // The file was written since it was opened: the checks may not have seen what it now holds. A fault while
    // looking counts as unchanged (it was reported).
    bool changedSinceOpened();
    void close() { reader_.reset(); }

private:
    bool detailPass(RecordSink* sink);
    bool recordUnknownType();
    // The rows recorded; false when the log could not be read and the person gave up.
    bool countRows();

    ImportState& state_;
    std::unique_ptr<WatchedLog> log_;
    Prompts& prompts_;
    ImportEvents& events_;
    const Clock& clock_;
    std::unique_ptr<RecordReader> reader_;
    std::string openedStamp_;
    std::int64_t rows_ = 0;
    std::uint64_t fileSize_ = 0;
    std::uint64_t bytesConsumed_ = 0;
};

}  // namespace kova
