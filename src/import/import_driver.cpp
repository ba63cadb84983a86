#include "import/import_driver.h"

#include <optional>

#include "core/folder_lock.h"
#include "import/file_helpers.h"
#include "import/pending_list.h"

namespace kova {

namespace fs = std::filesystem;

namespace {

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

}  // namespace

// One run of the checks: the fault traps of this import and the folder steps around the checking passes.
class ImportDriver::Run {
public:
    explicit Run(ImportDriver& d)
        : d_(d), s_(d.session_), st_(d.session_.state), events_(d.events_), prompts_(d.prompts_),
          log_(d.errorLog_), batch_(log_), check_(st_, log_, prompts_, events_, d.clock_) {}

    bool execute() {
        try {
            return steps();
        } catch (const Fault& fault) {
            // A fault that escaped the step traps (inside a validator's own work, for instance) cannot be
            // repeated safely: it is reported and ends the import.
            prompts_.show(exclamation(kImportFileTitle, importFaultText(fault)));
            return failed();
        }
    }

private:
    // The import ends without generating.
    bool abort() {
        s_.answer = ImportAnswer::NotGenerated;
        check_.close();
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

    bool readTrap(const std::function<void()>& step) { return underReadTrap(prompts_, step); }

    // The common ending: an empty declaration folder is not left behind. Only a real folder goes: a link in
    // its place is neither followed nor removed.
    bool finish(bool result) {
        if (!commitBatch()) result = false;
        std::error_code ec;
        const fs::path& folder = s_.names.declarationFolder;
        if (!folder.empty() && fs::is_directory(fs::symlink_status(folder, ec)) && countFiles(folder, "*.*") == 0)
            fs::remove(folder, ec);  // only ever an empty folder; a failure leaves it
        events_.busyChanged(false);
        check_.close();
        return result;
    }

    // The rows the checks counted are committed, then listed.
    bool listRows() {
        d_.rowsFound_ = check_.rows();
        if (d_.rowsFound_ > 0 && commitBatch()) listPending(log_, events_);
        return finish(false);
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
        switch (lookUpChosenFile(prompts_, path)) {
            case FileLookup::File: break;
            case FileLookup::Refused: return abort();
            case FileLookup::Abandoned: return failed();
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
            prompts_.show(exclamation(kImportFileTitle, "Erro ao criar o diretório de trabalho.\n(" +
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
            prompts_.show(exclamation(kImportFileTitle, kEmptyFileText));
            return abort();
        }
        s_.names = declarationNames(s_.programFolder, s_.declarant);
        if (!declarationFolderAccepted()) return abort();
        if (!check_.open(path, d_.openSource_)) return failed();
        openTimer_->finish();

        events_.setPercent(0);
        PhaseTimer critique(events_, d_.clock_, ImportPhase::Critique);
        // The records go to generation as they are checked: what is sealed is exactly what was checked.
        const auto startGeneration = [&](RecordSink*& sink) {
            GenerationContext context{s_, events_, prompts_, d_.clock_, d_.errorLog_};
            return d_.generation_ == nullptr || d_.generation_->startBody(context, sink);
        };
        const CheckingPasses::Outcome outcome = check_.run(startGeneration);
        s_.fileSize = check_.fileSize();
        s_.bytesConsumed = check_.bytesConsumed();
        switch (outcome) {
            case CheckingPasses::Outcome::Failed:
                return failed();
            case CheckingPasses::Outcome::RowLost:
                prompts_.show(exclamation(kImportFileTitle,
                                          "Não foi possível registrar todos os erros encontrados no banco de dados "
                                          "de trabalho.\nA importação foi interrompida e a declaração não foi "
                                          "gerada."));
                return failed();
            case CheckingPasses::Outcome::StructureStopped:
                s_.answer = ImportAnswer::NotGenerated;
                return listRows();
            case CheckingPasses::Outcome::Cancelled:
                return finish(false);
            case CheckingPasses::Outcome::DetailErrors:
                return listRows();
            case CheckingPasses::Outcome::Clean:
                break;
        }
        if (check_.changedSinceOpened()) {
            prompts_.show(exclamation(kImportFileTitle, "O arquivo selecionado foi alterado durante a importação.\n"
                                                        "A declaração não foi gerada. Importe o arquivo novamente."));
            return abort();
        }
        check_.close();
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

    ImportDriver& d_;
    ImportSession& s_;
    ImportState& st_;
    ImportEvents& events_;
    Prompts& prompts_;
    ErrorLog& log_;
    BatchGuard batch_;
    CheckingPasses check_;
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
        choice.notice = kEmptyFileText;
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
            choice.notice = kEmptyFileText;
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
        prompts_.show(exclamation(kImportFileTitle, importFaultText(fault)));
        return result;
    }
    if (!lock) {
        prompts_.show(exclamation(kImportFileTitle, folderInUseMessage(session_.programFolder)));
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
    if (whileLocked_) whileLocked_(result);
    return result;
}

ImportOutcome ImportDriver::outcomeAfterImport(bool done) {
    if (session_.state.cancel.set) {
        events_.busyChanged(false);
        prompts_.show(exclamation(kImportFileTitle, "Importação Cancelada."));
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
