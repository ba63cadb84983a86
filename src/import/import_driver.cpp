#include "import/import_driver.h"

#include "core/folder_lock.h"
#include "core/record_layout.h"
#include "core/retry.h"
#include "core/text.h"
#include "import/file_helpers.h"
#include "import/pending_list.h"
#include "import/record_errors.h"
#include "import/record_validators.h"

namespace kova {

namespace fs = std::filesystem;

namespace {

constexpr const char* kTitleImportFile = "Importar Arquivo";
constexpr const char* kEmptyFile = "O arquivo selecionado para importação está vazio.";
constexpr int kFaultPermissionDenied = 70;

std::string faultText(const Fault& fault) {
    const std::string description = faultDescription(fault.number());
    return description.empty() ? fault.platformText() : description;
}

bool isFolder(const fs::path& path) {
    std::error_code ec;
    return fs::is_directory(path, ec);
}

// What the look-up of the chosen path finds.
enum class Lookup { File, NotFound, Invalid };

Lookup lookUp(const fs::path& path) {
    std::error_code ec;
    const fs::file_status st = fs::status(path, ec);
    if (st.type() == fs::file_type::not_found) return Lookup::NotFound;
    if (ec) throw faultFromErrorCode(ec);
    const fs::path name = path.filename();
    if (name == "." || name == "..") return Lookup::Invalid;
    if (fs::is_regular_file(st)) return Lookup::File;
    if (fs::is_directory(st)) {
        // A folder named alone is no file; named with a trailing separator its first file is found, then
        // refused as a folder.
        const bool trailingSeparator = !path.empty() && !path.has_filename();
        return trailingSeparator && countFiles(path, "*.*") > 0 ? Lookup::Invalid : Lookup::NotFound;
    }
    return Lookup::Invalid;  // a device, a pipe, a socket: never read as a declaration
}

// The whole import's rows are one transaction; whatever way the import ends, the batch is closed.
class BatchGuard {
public:
    explicit BatchGuard(ErrorLog& log) : log_(log) {}
    BatchGuard(const BatchGuard&) = delete;
    BatchGuard& operator=(const BatchGuard&) = delete;
    ~BatchGuard() {
        if (!open_) return;
        try {
            log_.commitBatch();
        } catch (...) {
            // Reported where the import commits on its normal road; here the import is already failing.
        }
    }
    void begin() {
        log_.beginBatch();
        open_ = true;
    }
    void commit() {
        if (!open_) return;
        log_.commitBatch();
        open_ = false;
    }

private:
    ErrorLog& log_;
    bool open_ = false;
};

// The log the checks write to. It remembers a row that could not be written and was given up on, so that a
// check that stopped there never reads as a clean end: a retried write of the same row clears it.
class WatchedLog : public ErrorLog {
public:
    explicit WatchedLog(ErrorLog& log) : log_(log) {}
    void recordRow(const ErrorRow& row) override {
        const std::string key = row.recordType + "/" + std::to_string(row.recordNumber) + "/" + row.firstColumn +
                                "/" + row.lastColumn + "/" + std::to_string(row.code);
        try {
            log_.recordRow(row);
        } catch (...) {
            if (lost_.empty()) lost_ = key;
            throw;
        }
        if (key == lost_) lost_.clear();
    }
    std::int64_t rowCount() override { return log_.rowCount(); }
    void emptyLog() override { log_.emptyLog(); }
    void listErrors(const std::function<bool(const ErrorListing&)>& visit) override { log_.listErrors(visit); }
    void beginBatch() override { log_.beginBatch(); }
    void commitBatch() override { log_.commitBatch(); }
    bool rowLost() const { return !lost_.empty(); }

private:
    ErrorLog& log_;
    std::string lost_;  // the first row that failed and was not written since
};

}  // namespace

// One run of the checks: the open file and the fault traps of this import.
class ImportDriver::Run {
public:
    explicit Run(ImportDriver& d)
        : d_(d), s_(d.session_), st_(d.session_.state), events_(d.events_), prompts_(d.prompts_),
          log_(d.errorLog_), batch_(log_) {}

    bool execute() {
        try {
            return steps();
        } catch (const Fault& fault) {
            // A fault that escaped the step traps (inside a validator's own work, for instance) cannot be
            // repeated safely: it is reported and ends the import.
            prompts_.show(exclamation(kTitleImportFile, "Erro ao importar o arquivo. \n(" +
                                                            std::to_string(fault.number()) +
                                                            "): " + faultText(fault)));
            return failed();
        }
    }

private:
    // The import ends without generating.
    bool abort() {
        s_.answer = ImportAnswer::NotGenerated;
        reader_.reset();
        commitBatch();
        return false;
    }
    // Commits the rows recorded so far; a failure ends the import as a fault.
    bool commitBatch() {
        if (readTrap([&] { batch_.commit(); })) return true;
        d_.faulted_ = true;
        s_.answer = ImportAnswer::NotGenerated;
        return false;
    }
    // A trap ended the import: as abort, remembered as a failure of the machine.
    bool failed() {
        d_.faulted_ = true;
        return abort();
    }

    // The trap of looking the file up: a failure of the disk may be tried again.
    bool lookUpTrap(const std::function<void()>& step) {
        RetryText text;
        text.title = kTitleImportFile;
        text.sentence = "Erro de leitura. Verifique a unidade de disco.";
        return withRetry(prompts_, text, step);
    }

    // The trap of reading the file and the log: a file in use (70) is reported once; any other fault may be
    // tried again.
    bool readTrap(const std::function<void()>& step) {
        RetryText text;
        text.title = kTitleImportFile;
        text.compose = [](const Fault& fault) {
            return "Erro ao importar o arquivo. \n(" + std::to_string(fault.number()) + "): " + faultText(fault) +
                   "\nTenta novamente ?";
        };
        bool denied = false;
        const bool done = withRetry(prompts_, text, [&] {
            try {
                step();
            } catch (const Fault& fault) {
                if (fault.number() != kFaultPermissionDenied) throw;
                denied = true;
            }
        });
        if (denied)
            prompts_.show(exclamation(kTitleImportFile, "Não foi possível abrir o arquivo selecionado. Pode estar "
                                                        "sendo utilizado por outro aplicativo."));
        return done && !denied;
    }

    // The common ending: an empty declaration folder is not left behind.
    bool finish(bool result) {
        if (!commitBatch()) result = false;
        if (!s_.names.declarationFolder.empty() && isFolder(s_.names.declarationFolder) &&
            countFiles(s_.names.declarationFolder, "*.*") == 0) {
            std::error_code ec;
            fs::remove(s_.names.declarationFolder, ec);  // only ever an empty folder; a failure leaves it
        }
        events_.busyChanged(false);
        reader_.reset();
        return result;
    }

    // The rows are committed before they are listed.
    void showPendingList() {
        if (commitBatch()) listPending(log_, events_);
    }

    // -1 when the log could not be read and the person gave up.
    std::int64_t rowCount() {
        std::int64_t rows = 0;
        return readTrap([&] { rows = log_.rowCount(); }) ? rows : -1;
    }

    // A finding that could not be recorded: the checks are incomplete, so the import fails.
    bool rowLost() {
        if (!log_.rowLost()) return false;
        prompts_.show(exclamation(kTitleImportFile,
                                  "Não foi possível registrar todos os erros encontrados no banco de dados de "
                                  "trabalho.\nA importação foi interrompida e a declaração não foi gerada."));
        return true;
    }

    void status(const std::string& text) {
        events_.statusChanged(text);
        events_.pump();
    }

    bool steps() {
        st_.resetForImport();
        st_.declarantCnpj = s_.declarant.cnpj;
        st_.declarantName = s_.declarant.name;
        s_.names = DeclarationNames{};
        d_.faulted_ = false;
        d_.rowsFound_ = 0;
        openTimer_.emplace(events_, d_.clock_, ImportPhase::OpenFile);
        events_.errorCountChanged(0);
        events_.pendingCleared();
        status("Verificando o arquivo selecionado ...");
        // The batch opens here so that emptying the log and the new rows commit together.
        if (!readTrap([&] {
                batch_.begin();
                if (log_.rowCount() > 0) log_.emptyLog();
            }))
            return failed();
        if (s_.fileName.empty()) {
            prompts_.show(exclamation("Importar", "O arquivo a importar deve ser informado."));
            return abort();
        }
        const fs::path path = s_.fileName;
        Lookup found = Lookup::NotFound;
        if (!lookUpTrap([&] { found = lookUp(path); })) return failed();
        if (found == Lookup::NotFound) {
            prompts_.show(exclamation("Gerar Declaração", "O arquivo selecionado não existe."));
            return abort();
        }
        if (found == Lookup::Invalid) {
            prompts_.show(exclamation("Gerar Declaração", "Arquivo selecionado inválido."));
            return abort();
        }
        events_.setPercent(0);
        // The drive of the file can be read.
        if (!readTrap([&] {
                std::error_code ec;
                const fs::path absolute = fs::absolute(path, ec);
                if (ec) throw faultFromErrorCode(ec);
                fs::directory_iterator root(absolute.root_path(), ec);
                if (ec) throw faultFromErrorCode(ec);
            }))
            return failed();
        status("Verificando existência da pasta de trabalho...");
        bool generatedFolder = false;
        try {
            generatedFolder = ensureGeneratedFolder(s_.programFolder, prompts_);
        } catch (const Fault& fault) {
            prompts_.show(exclamation(kTitleImportFile, "Erro ao criar o diretório de trabalho.\n(" +
                                                            std::to_string(fault.number()) + ")"));
            return failed();
        }
        if (!generatedFolder) {
            prompts_.show(exclamation("Valida Arquivo",
                                      "Não foi possível criar o diretório de declarações geradas.\n"
                                      "Verifique se o disco onde a aplicação está instalada,\n"
                                      "tem área livre disponível."));
            return abort();
        }
        events_.pump();
        std::uintmax_t size = 0;
        if (!readTrap([&] {
                std::error_code ec;
                size = fs::file_size(path, ec);
                if (ec) throw faultFromErrorCode(ec);
            }))
            return failed();
        if (size == 0) {
            prompts_.show(exclamation(kTitleImportFile, kEmptyFile));
            return abort();
        }
        s_.names = declarationNames(s_.programFolder, s_.declarant);
        if (!declarationFolderAccepted()) return abort();
        status("Abrindo o arquivo ...");
        if (!readTrap([&] {
                reader_ = std::make_unique<RecordReader>(openSource(d_.openSource_, path));
                s_.fileSize = reader_->size();
                openedStamp_ = reader_->stamp();
            }))
            return failed();
        openTimer_->finish();

        events_.setPercent(0);
        PhaseTimer critique(events_, d_.clock_, ImportPhase::Critique);
        status("Efetuando crítica de estrutura do arquivo ...");
        st_.seen1 = st_.seen2 = st_.seen3 = st_.seen4 = st_.seen5 = st_.seenT = false;
        events_.busyChanged(true);
        if (!checkStructure(*reader_, st_, log_, prompts_, events_)) {
            if (rowLost()) return failed();
            const std::int64_t rows = rowCount();
            if (rows < 0) return failed();
            d_.rowsFound_ = rows;
            if (rows > 0) showPendingList();
            s_.answer = ImportAnswer::NotGenerated;
            return finish(false);
        }

        st_.resetOrdering();
        status("Efetuando crítica de detalhe dos registros ...");
        st_.recordNumber = 0;
        s_.bytesConsumed = 0;
        if (!readTrap([&] { reader_->rewind(); })) return failed();
        events_.setPercent(0);
        // The records go to generation as they are checked: what is sealed is exactly what was checked.
        RecordSink* sink = nullptr;
        GenerationContext context{s_, events_, prompts_, d_.clock_, d_.errorLog_};
        if (d_.generation_ != nullptr && !d_.generation_->startBody(context, sink)) return failed();
        if (!detailPass(sink) || rowLost()) return failed();
        if (st_.cancel.set) return finish(false);

        events_.setPercent(100);
        const std::int64_t rows = rowCount();
        if (rows < 0) return failed();
        d_.rowsFound_ = rows;
        if (rows > 0) {
            showPendingList();
            return finish(false);
        }
        if (st_.zeroAmountCount != 0)
            events_.warning(st_.zeroAmountCount == 1
                                ? "AVISO: Existe registro com valores da base de cálculo e da KOVA não retida "
                                  "zerados."
                                : "AVISO: Existem registros com valores da base de cálculo e da KOVA não retida "
                                  "zerados.");
        if (fileChangedSinceOpened()) return abort();
        reader_.reset();
        critique.finish();
        return finish(true);
    }

    // The declaration folder holds nothing, or only this declaration's own delivery file; otherwise the person
    // is asked to clean it, until it is clean or the person cancels.
    bool declarationFolderAccepted() {
        for (;;) {
            const std::int32_t count = countFiles(s_.names.declarationFolder, "*.*");
            if (count == 0) return true;
            if (count == 1 && fileIsReadable(s_.names.deliveryFilePath)) return true;
            const std::string folder = s_.names.declarationFolder.string();
            const std::string text =
                count > 1 ? "A pasta de destino contém recibo de entrega de declaração\n"
                            "ou arquivos não reconhecidos pelo programa. Verifique os\n"
                            "arquivos contidos na pasta " + folder
                          : std::string("A pasta de destino contém recibo de entrega de declaração\n"
                                        "ou arquivos não reconhecidos pelo programa.\n"
                                        "Verifique os arquivos contidos na pasta.");
            if (prompts_.show(exclamation("Arquivos na pasta", text, Buttons::OkCancel)) != Answer::Ok) return false;
            if (count > 1) openTimer_->restart();
        }
    }

    // Written while it was read: the checks may not have seen what the file now holds.
    bool fileChangedSinceOpened() {
        std::string now;
        if (!readTrap([&] { now = reader_->stamp(); }) || now == openedStamp_) return false;
        prompts_.show(exclamation(kTitleImportFile, "O arquivo selecionado foi alterado durante a importação.\n"
                                                    "A declaração não foi gerada. Importe o arquivo novamente."));
        return true;
    }

    // Every record to the validator of its type, and to the sink; false when a trap or the sink ended it.
    bool detailPass(RecordSink* sink) {
        RecordValidators validators(st_, log_, prompts_, d_.clock_);
        while (!st_.cancel.set) {
            bool more = false;
            if (!readTrap([&] { more = reader_->next(st_.record); })) return false;
            if (!more) break;
            st_.recordType.assign(RecordView(st_.record).recordType());
            ++st_.recordNumber;
            if (RecordView(st_.record).isTrailer()) {
                st_.recordType = "T";
                if (!validators.validateTrailer()) break;
                st_.seenT = true;
            } else if (st_.recordType.size() == 1 && st_.recordType[0] >= '1' && st_.recordType[0] <= '5') {
                if (!validateByType(validators, st_.recordType[0])) break;
            } else if (!recordUnknownType()) {
                return false;
            }
            if (sink != nullptr && !sink->take(st_.record)) return false;
            s_.bytesConsumed += st_.record.size() + 2;
            reportProgress(events_, s_.bytesConsumed, s_.fileSize);
        }
        return true;
    }

    static bool validateByType(RecordValidators& v, char type) {
        switch (type) {
            case '1': return v.validateHeader();
            case '2': return v.validateContacts();
            case '3': return v.validateEntity();
            case '4': return v.validateBeneficiary();
            default: return v.validateLevy();
        }
    }

    // A record of no known type: error 1 over the whole record, and the pass goes on.
    bool recordUnknownType() {
        const ErrorRow row{detail::typeText(st_.recordType),
                           st_.recordNumber,
                           "0001",
                           "0142",
                           1,
                           cp1252ToUtf8(st_.declarantCnpj),
                           cp1252ToUtf8(st_.declarantName),
                           std::nullopt,
                           visibleText(RecordView(st_.record).field(kWholeRecord))};
        return readTrap([&] { log_.recordRow(row); });
    }

    ImportDriver& d_;
    ImportSession& s_;
    ImportState& st_;
    ImportEvents& events_;
    Prompts& prompts_;
    WatchedLog log_;
    BatchGuard batch_;
    std::unique_ptr<RecordReader> reader_;
    std::string openedStamp_;
    std::optional<PhaseTimer> openTimer_;
};

ImportDriver::ImportDriver(ImportSession& session, ImportEvents& events, Prompts& prompts, const Clock& clock,
                           ErrorLog& errorLog, GenerationPort* generation)
    : session_(session), events_(events), prompts_(prompts), clock_(clock), errorLog_(errorLog),
      generation_(generation) {}

bool ImportDriver::validateFile() {
    const bool result = Run(*this).execute();
    events_.busyChanged(false);
    return result;
}

FileChoice ImportDriver::choose(const fs::path& fileName) {
    session_.fileName = fileName;
    FileChoice choice;
    if (fileName.empty()) return choice;
    if (!fileIsReadable(fileName)) {
        choice.kind = FileChoice::Kind::NotFound;
        return choice;
    }
    session_.chosenPath = fileName;
    std::error_code ec;
    if (fs::file_size(fileName, ec) == 0 && !ec) {
        choice.kind = FileChoice::Kind::EmptyFile;
        choice.notice = kEmptyFile;
        return choice;
    }
    switch (const DeclarantOutcome outcome = readDeclarantData(fileName, prompts_, session_.declarant, openSource_)) {
        case DeclarantOutcome::Read:
            choice.kind = FileChoice::Kind::Accepted;
            choice.declarant = session_.declarant.display();
            break;
        case DeclarantOutcome::WrongLength:
        case DeclarantOutcome::WrongFileName:
            choice.kind = FileChoice::Kind::Refused;
            choice.notice = declarantRefusalText(outcome);
            break;
        case DeclarantOutcome::Missing:
            session_.answer = ImportAnswer::NotGenerated;
            choice.kind = FileChoice::Kind::NotFound;
            break;
        case DeclarantOutcome::EmptyFile:
            choice.kind = FileChoice::Kind::EmptyFile;
            choice.notice = kEmptyFile;
            break;
        case DeclarantOutcome::NoPath:
        case DeclarantOutcome::ReadAbandoned:
            choice.kind = FileChoice::Kind::ReadAbandoned;
            break;
    }
    return choice;
}

ImportResult ImportDriver::run() {
    session_.answer = ImportAnswer::UnderWay;
    ImportResult result;
    // The import writes the work database and GERADA: one writer at a time per program folder.
    std::unique_ptr<FolderWriteLock> lock;
    try {
        lock = FolderWriteLock::acquire(session_.programFolder, writeLockWait_, [this] { events_.pump(); });
    } catch (const Fault& fault) {
        prompts_.show(exclamation(kTitleImportFile, "Erro ao importar o arquivo. \n(" +
                                                        std::to_string(fault.number()) + "): " + faultText(fault)));
        return result;
    }
    if (!lock) {
        prompts_.show(exclamation(kTitleImportFile, folderInUseMessage(session_.programFolder)));
        result.outcome = ImportOutcome::Refused;
        return result;
    }
    const bool imported = validateFile();
    if (imported && generation_ != nullptr) {
        GenerationContext context{session_, events_, prompts_, clock_, errorLog_};
        result.generated = generation_->generateDeliveryFile(context);
    } else if (generation_ != nullptr) {
        generation_->dropBody();
    }
    events_.statusChanged("");
    events_.setPercent(0);
    result.outcome = outcomeAfterImport(imported && (generation_ == nullptr || result.generated));
    events_.busyChanged(false);
    return result;
}

ImportOutcome ImportDriver::outcomeAfterImport(bool done) {
    if (session_.state.cancel.set) {
        events_.busyChanged(false);
        prompts_.show(exclamation(kTitleImportFile, "Importação Cancelada."));
        events_.folderContentsChanged();
        return ImportOutcome::Cancelled;
    }
    if (faulted_) return ImportOutcome::Failed;
    if (rowsFound_ > 0) return ImportOutcome::ErrorsListed;
    if (session_.answer == ImportAnswer::UnderWay) return done ? ImportOutcome::Succeeded : ImportOutcome::Failed;
    return ImportOutcome::Refused;
}

bool ImportDriver::requestCancel() {
    const bool confirmed =
        prompts_.show(question("Cancelar", "Confirma o cancelamento da importação ?", Answer::No)) == Answer::Yes;
    session_.state.cancel.set = confirmed;
    if (confirmed) session_.answer = ImportAnswer::NotGenerated;
    return confirmed;
}

bool ImportDriver::transmitGenerated(const std::function<bool(const fs::path& deliveryFile)>& transmit) {
    events_.statusChanged("Aguarde a transmissão da declaração...");
    PhaseTimer timer(events_, clock_, ImportPhase::Transmission);
    events_.pump();
    const bool sent = transmit(session_.generatedDeliveryFile.empty() ? session_.names.deliveryFilePath
                                                                      : session_.generatedDeliveryFile);
    timer.finish(sent);
    return sent;
}

std::string importSuccessText(const ImportSession& session) {
    return "Arquivo importado com sucesso.\n\nA declaração foi gravada na seguinte pasta: \n" +
           session.names.declarationFolder.string();
}

}  // namespace kova
