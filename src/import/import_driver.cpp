#include "import/import_driver.h"

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

Message exclamation(std::string title, std::string text, Buttons buttons = Buttons::Ok) {
    Message m;
    m.title = std::move(title);
    m.text = std::move(text);
    m.icon = Icon::Exclamation;
    m.buttons = buttons;
    m.defaultAnswer = Answer::Ok;
    return m;
}

std::string faultText(const Fault& fault) {
    const std::string description = faultDescription(fault.number());
    return description.empty() ? fault.platformText() : description;
}

std::string lastEight(const std::string& text) { return text.size() <= 8 ? text : text.substr(text.size() - 8); }

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

}  // namespace

// One run of validateFile: the open file and the traps of this import.
class ImportDriver::Run {
public:
    explicit Run(ImportDriver& d)
        : d_(d), s_(d.session_), st_(d.session_.state), view_(d.view_), prompts_(d.prompts_), batch_(d.errorLog_) {}

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
    std::string now() const { return d_.clock_.now().hhmmss(); }

    // Abort: the import ends without generating.
    bool abort() {
        s_.answer = ImportAnswer::NotGenerated;
        reader_.reset();
        commitBatch();
        return false;
    }
    // Commits the rows recorded so far; a failure ends the import as a fault.
    bool commitBatch() {
        if (trap2([&] { batch_.commit(); })) return true;
        d_.faulted_ = true;
        s_.answer = ImportAnswer::NotGenerated;
        return false;
    }
    // A trap ended the import: as abort, remembered as a failure of the machine.
    bool failed() {
        d_.faulted_ = true;
        return abort();
    }

    // Trap 1: steps 6 and 7.
    bool trap1(const std::function<void()>& step) {
        RetryText text;
        text.title = kTitleImportFile;
        text.sentence = "Erro de leitura. Verifique a unidade de disco.";
        return withRetry(prompts_, text, step);
    }

    // Trap 2: step 8 and steps 10 to the end. Error 70 is reported once; any other fault may be repeated.
    bool trap2(const std::function<void()>& step) {
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

    // Finish: the common ending.
    bool finish(bool result) {
        if (!commitBatch()) result = false;
        if (!s_.names.declarationFolder.empty() && isFolder(s_.names.declarationFolder) &&
            countFiles(s_.names.declarationFolder, "*.*") == 0) {
            std::error_code ec;
            fs::remove(s_.names.declarationFolder, ec);  // only ever an empty folder; a failure leaves it
        }
        view_.setBusy(false);
        reader_.reset();
        return result;
    }

    // The rows are committed before they are listed.
    void showPendingList() {
        if (!commitBatch()) return;
        view_.setButtonEnabled(ImportButton::PrintPending, true);
        kova::listPending(d_.errorLog_, view_);
    }

    // -1 when the log could not be read and the person gave up.
    std::int64_t rowCount() {
        std::int64_t rows = 0;
        return trap2([&] { rows = d_.errorLog_.rowCount(); }) ? rows : -1;
    }

    bool steps() {
        // 1
        st_.resetForImport();
        st_.declarantCnpj = s_.declarant.cnpj;
        st_.declarantName = s_.declarant.name;
        s_.names = DeclarationNames{};
        d_.faulted_ = false;
        // 2
        const TimingLabels open = timingLabelsOf(TimingFrame::OpenFile);
        view_.showFrame(TimingFrame::OpenFile, true);
        view_.setTimeLabel(open.start, "HI: " + now());
        view_.setTimeLabel(open.end, "HF: ");
        view_.setTimeLabel(open.elapsed, "");
        // 3
        view_.setErrorCount(formatThousands(0));
        view_.clearPending();
        view_.showStatus(true);
        view_.setStatus("Verificando o arquivo selecionado ...");
        view_.pump();
        // 4: the batch opens here so that emptying the log and the new rows commit together.
        if (!trap2([&] {
                batch_.begin();
                if (d_.errorLog_.rowCount() > 0) d_.errorLog_.emptyLog();
            }))
            return failed();
        // 5
        if (s_.fileBox.empty()) {
            prompts_.show(exclamation("Importar", "O arquivo a importar deve ser informado."));
            return abort();
        }
        // 6
        const fs::path path = s_.fileBox;
        Lookup found = Lookup::NotFound;
        if (!trap1([&] { found = lookUp(path); })) return failed();
        if (found == Lookup::NotFound) {
            prompts_.show(exclamation("Gerar Declaração", "O arquivo selecionado não existe."));
            return abort();
        }
        if (found == Lookup::Invalid) {
            prompts_.show(exclamation("Gerar Declaração", "Arquivo selecionado inválido."));
            return abort();
        }
        // 7
        view_.setPickersEnabled(false);
        view_.setFileBoxEnabled(false);
        for (ImportButton b : {ImportButton::Ok, ImportButton::Close, ImportButton::Help, ImportButton::PrintPending})
            view_.setButtonEnabled(b, false);
        view_.setButtonEnabled(ImportButton::Cancel, true);
        view_.setPercent(0);
        // 8: the drive of the file can be read.
        if (!trap2([&] {
                std::error_code ec;
                const fs::path absolute = fs::absolute(path, ec);
                if (ec) throw faultFromErrorCode(ec);
                fs::directory_iterator root(absolute.root_path(), ec);
                if (ec) throw faultFromErrorCode(ec);
            }))
            return failed();
        // 9
        view_.setStatus("Verificando existência da pasta de trabalho...");
        view_.pump();
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
        // 10
        view_.pump();
        std::uintmax_t size = 0;
        if (!trap2([&] {
                std::error_code ec;
                size = fs::file_size(path, ec);
                if (ec) throw faultFromErrorCode(ec);
            }))
            return failed();
        if (size == 0) {
            prompts_.show(exclamation(kTitleImportFile, kEmptyFile));
            return abort();
        }
        // 11
        s_.names = declarationNames(s_.programFolder, s_.declarant);
        // 12
        if (!declarationFolderAccepted(open)) return abort();
        // 13
        view_.setStatus("Abrindo o arquivo ...");
        view_.pump();
        if (!trap2([&] {
                reader_ = std::make_unique<RecordReader>(openSource(d_.openSource_, path));
                s_.fileSize = reader_->size();
            }))
            return failed();
        // 14
        stopClock(open);
        // 15
        const TimingLabels critique = timingLabelsOf(TimingFrame::Critique);
        view_.setPercent(0);
        view_.showFrame(TimingFrame::Critique, true);
        view_.setTimeLabel(critique.start, "HI: " + now());
        view_.setTimeLabel(critique.end, "HF: ");
        view_.setTimeLabel(critique.elapsed, "");
        view_.setStatus("Efetuando crítica de estrutura do arquivo ...");
        view_.pump();
        // 16
        st_.seen1 = st_.seen2 = st_.seen3 = st_.seen4 = st_.seen5 = st_.seenT = false;
        view_.setBusy(true);
        if (!checkStructure(*reader_, st_, d_.errorLog_, prompts_, view_)) {
            const std::int64_t rows = rowCount();
            if (rows < 0) return failed();
            if (rows > 0) showPendingList();
            s_.answer = ImportAnswer::NotGenerated;
            return finish(false);
        }
        // 17
        st_.resetOrdering();
        view_.setStatus("Efetuando crítica de detalhe dos registros ...");
        view_.pump();
        st_.recordNumber = 0;
        s_.bytesConsumed = 0;
        if (!trap2([&] { reader_->rewind(); })) return failed();
        view_.setPercent(0);
        // 18
        if (!detailPass()) return failed();
        // 19
        if (st_.cancel.set) return finish(false);
        // 20
        view_.setPercent(100);
        const std::int64_t rows = rowCount();
        if (rows < 0) return failed();
        if (rows > 0) {
            showPendingList();
            return finish(false);
        }
        // 21
        if (st_.zeroAmountCount != 0)
            view_.appendWarning(st_.zeroAmountCount == 1
                                    ? "AVISO: Existe registro com valores da base de cálculo e da KOVA não "
                                      "retida zerados."
                                    : "AVISO: Existem registros com valores da base de cálculo e da KOVA não "
                                      "retida zerados.");
        // 22
        reader_.reset();
        stopClock(critique);
        return finish(true);
    }

    void stopClock(const TimingLabels& labels) {
        view_.setTimeLabel(labels.end, "HF: " + now());
        view_.setTimeLabel(labels.elapsed, "Tempo: " + elapsedTime(lastEight(view_.timeLabel(labels.start)),
                                                                     lastEight(view_.timeLabel(labels.end))));
    }

    // Step 12: the declaration folder holds nothing, or only this declaration's own delivery file.
    bool declarationFolderAccepted(const TimingLabels& open) {
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
            if (count > 1) view_.setTimeLabel(open.start, "HI: " + now());
        }
    }

    // Step 18; false when a trap ended it.
    bool detailPass() {
        RecordValidators validators(st_, d_.errorLog_, prompts_, d_.clock_);
        while (!st_.cancel.set) {
            bool more = false;
            if (!trap2([&] { more = reader_->next(st_.record); })) return false;
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
            s_.bytesConsumed += st_.record.size() + 2;
            reportProgress(view_, s_.bytesConsumed, s_.fileSize);
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
        const std::string recordType = detail::typeText(st_.recordType);
        const std::string cnpj = cp1252ToUtf8(st_.declarantCnpj);
        const std::string nome = cp1252ToUtf8(st_.declarantName);
        return trap2([&] { d_.errorLog_.recordError(recordType, st_.recordNumber, "0001", "0142", 1, cnpj, nome); });
    }

    ImportDriver& d_;
    ImportSession& s_;
    ImportState& st_;
    ImportView& view_;
    Prompts& prompts_;
    BatchGuard batch_;
    std::unique_ptr<RecordReader> reader_;
};

ImportDriver::ImportDriver(ImportSession& session, ImportView& view, Prompts& prompts, const Clock& clock,
                           ErrorLog& errorLog, GenerationPort* generation)
    : session_(session), view_(view), prompts_(prompts), clock_(clock), errorLog_(errorLog),
      generation_(generation) {}

bool ImportDriver::validateFile() {
    const bool result = Run(*this).execute();
    view_.setBusy(false);
    return result;
}

void ImportDriver::fileBoxChanged(const fs::path& text) {
    session_.fileBox = text;
    // 1
    if (!session_.state.cancel.set) {
        view_.setErrorCount("0");
        view_.setButtonEnabled(ImportButton::PrintPending, false);
        view_.setCaption("Importar Declaração");
        view_.clearPending();
    }
    // 2
    for (TimingFrame f : {TimingFrame::OpenFile, TimingFrame::Generation, TimingFrame::Transmission,
                          TimingFrame::Critique})
        view_.showFrame(f, false);
    view_.setPercent(0);
    // 3, 4
    if (text.empty()) {
        view_.setButtonEnabled(ImportButton::Ok, false);
        clearDeclarant(view_);
    } else if (fileIsReadable(text)) {
        session_.chosenPath = text;
        std::error_code ec;
        const std::uintmax_t size = fs::file_size(text, ec);
        if (!ec && size == 0) {
            view_.setButtonEnabled(ImportButton::Ok, false);
            clearDeclarant(view_);
            showNotice(view_, kEmptyFile);
        } else if (readDeclarantData(session_.chosenPath, view_, prompts_, session_.declarant, openSource_) ==
                   DeclarantOutcome::Missing) {
            session_.answer = ImportAnswer::NotGenerated;
        }
    }
    // 5
    view_.pump();
}

void ImportDriver::fileClicked(const fs::path& folder, const std::string& fileName) {
    session_.state.cancel.set = false;
    fileBoxChanged(folder / fileName);
}

ImportOutcome ImportDriver::importButton() {
    // 1: the main window's answer belongs to the last import only.
    session_.answer = ImportAnswer::UnderWay;
    session_.mainAnswer = MainAnswer::Empty;
    view_.setButtonEnabled(ImportButton::Cancel, true);
    view_.setPickersEnabled(false);
    // 2
    const bool imported = validateFile();
    bool generated = false;
    if (imported && generation_ != nullptr) {
        GenerationContext context{session_, view_, prompts_, clock_, errorLog_};
        generated = generation_->generateDeliveryFile(context);
        if (generated) session_.mainAnswer = MainAnswer::Generated;
    }
    // 3
    view_.setStatus("");
    view_.setPercent(0);
    view_.setPickersEnabled(true);
    view_.setFileBoxEnabled(true);
    // 5
    const ImportOutcome outcome = outcomeAfterImport(imported && (generation_ == nullptr || generated));
    // 6
    view_.setBusy(false);
    view_.setButtonEnabled(ImportButton::Close, true);
    view_.setButtonEnabled(ImportButton::Help, true);
    return outcome;
}

ImportOutcome ImportDriver::outcomeAfterImport(bool done) {
    if (session_.state.cancel.set) {
        view_.setButtonEnabled(ImportButton::PrintPending, view_.pendingLineCount() > 0);
        view_.setBusy(false);
        prompts_.show(exclamation(kTitleImportFile, "Importação Cancelada."));
        view_.refreshPickers();
        return ImportOutcome::Cancelled;
    }
    std::int64_t rows = 0;
    bool logReadable = true;
    try {
        rows = errorLog_.rowCount();
    } catch (const Fault&) {
        logReadable = false;
    }
    if (session_.answer == ImportAnswer::UnderWay) {
        // Nothing to print when the import stopped without a row.
        if (rows == 0 && !done) view_.setButtonEnabled(ImportButton::PrintPending, false);
    } else {
        view_.setButtonEnabled(ImportButton::Ok, session_.answer != ImportAnswer::NotGenerated);
    }
    if (faulted_ || !logReadable) return ImportOutcome::Failed;
    if (rows > 0) return ImportOutcome::ErrorsListed;
    if (session_.answer == ImportAnswer::UnderWay) return done ? ImportOutcome::Succeeded : ImportOutcome::Failed;
    return ImportOutcome::Refused;
}

void ImportDriver::cancelButton() {
    Message m;
    m.title = "Cancelar";
    m.text = "Confirma o cancelamento da importação ?";
    m.icon = Icon::Question;
    m.buttons = Buttons::YesNo;
    m.defaultAnswer = Answer::No;
    if (prompts_.show(m) == Answer::Yes) {
        session_.state.cancel.set = true;
        session_.answer = ImportAnswer::NotGenerated;
    } else {
        session_.state.cancel.set = false;
    }
}

std::string importSuccessText(const ImportSession& session) {
    return "Arquivo importado com sucesso.\n\nA declaração foi gravada na seguinte pasta: \n" +
           session.names.declarationFolder.string();
}

}  // namespace kova
