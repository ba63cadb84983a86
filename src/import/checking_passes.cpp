#include "import/checking_passes.h"

#include <optional>

#include "core/record_layout.h"
#include "core/retry.h"
#include "core/text.h"
#include "import/file_helpers.h"
#include "import/record_errors.h"
#include "import/record_validators.h"

namespace kova {

namespace {

namespace fs = std::filesystem;

constexpr int kFaultPermissionDenied = 70;

// What the look-up of the chosen path finds.
enum class Lookup { File, NotFound, Invalid };

Lookup lookUp(const fs::path& path) {
    std::error_code ec;
    const fs::file_status st = fs::status(path, ec);
    if (st.type() == fs::file_type::not_found) return Lookup::NotFound;
    if (ec == std::errc::too_many_symbolic_link_levels) return Lookup::Invalid;  // a link loop: no file at all
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

bool validateByType(RecordValidators& v, char type) {
    switch (type) {
        case '1': return v.validateHeader();
        case '2': return v.validateContacts();
        case '3': return v.validateEntity();
        case '4': return v.validateBeneficiary();
        default: return v.validateLevy();
    }
}

}  // namespace

// The log the checks write to. It remembers a row that could not be written and was given up on, so that a check
// that stopped there never reads as a clean end: a retried write of the same row clears it.
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

std::string importFaultText(const Fault& fault) {
    const std::string description = faultDescription(fault.number());
    return "Erro ao importar o arquivo. \n(" + std::to_string(fault.number()) +
           "): " + (description.empty() ? fault.platformText() : description);
}

bool underReadTrap(Prompts& prompts, const std::function<void()>& step) {
    RetryText text;
    text.title = kImportFileTitle;
    text.compose = [](const Fault& fault) { return importFaultText(fault) + "\nTenta novamente ?"; };
    bool denied = false;
    const bool done = withRetry(prompts, text, [&] {
        try {
            step();
        } catch (const Fault& fault) {
            if (fault.number() != kFaultPermissionDenied) throw;
            denied = true;
        }
    });
    if (denied)
        prompts.show(exclamation(kImportFileTitle, "Não foi possível abrir o arquivo selecionado. Pode estar "
                                                   "sendo utilizado por outro aplicativo."));
    return done && !denied;
}

FileLookup lookUpChosenFile(Prompts& prompts, const fs::path& path) {
    RetryText text;
    text.title = kImportFileTitle;
    text.sentence = "Erro de leitura. Verifique a unidade de disco.";
    Lookup found = Lookup::NotFound;
    if (!withRetry(prompts, text, [&] { found = lookUp(path); })) return FileLookup::Abandoned;
    if (found == Lookup::File) return FileLookup::File;
    prompts.show(exclamation("Gerar Declaração", found == Lookup::NotFound ? "O arquivo selecionado não existe."
                                                                           : "Arquivo selecionado inválido."));
    return FileLookup::Refused;
}

CheckingPasses::CheckingPasses(ImportState& state, ErrorLog& log, Prompts& prompts, ImportEvents& events,
                                   const Clock& clock)
    : state_(state), log_(std::make_unique<WatchedLog>(log)), prompts_(prompts), events_(events), clock_(clock) {}

CheckingPasses::~CheckingPasses() = default;

bool CheckingPasses::open(const std::filesystem::path& path, const SourceOpener& opener) {
    events_.statusChanged("Abrindo o arquivo ...");
    events_.pump();
    return underReadTrap(prompts_, [&] {
        reader_ = std::make_unique<RecordReader>(openSource(opener, path));
        fileSize_ = reader_->size();
        openedStamp_ = reader_->stamp();
    });
}

CheckingPasses::Outcome CheckingPasses::run(const std::function<bool(RecordSink*&)>& beforeDetail) {
    events_.statusChanged("Efetuando crítica de estrutura do arquivo ...");
    events_.pump();
    state_.seen1 = state_.seen2 = state_.seen3 = state_.seen4 = state_.seen5 = state_.seenT = false;
    events_.busyChanged(true);
    if (!checkStructure(*reader_, state_, *log_, prompts_, events_)) {
        if (log_->rowLost()) return Outcome::RowLost;
        return countRows() ? Outcome::StructureStopped : Outcome::Failed;
    }

    state_.resetOrdering();
    events_.statusChanged("Efetuando crítica de detalhe dos registros ...");
    events_.pump();
    state_.recordNumber = 0;
    bytesConsumed_ = 0;
    if (!underReadTrap(prompts_, [&] { reader_->rewind(); })) return Outcome::Failed;
    events_.setPercent(0);
    RecordSink* sink = nullptr;
    if (beforeDetail && !beforeDetail(sink)) return Outcome::Failed;
    if (!detailPass(sink)) return Outcome::Failed;
    if (log_->rowLost()) return Outcome::RowLost;
    if (state_.cancel.set) return Outcome::Cancelled;

    events_.setPercent(100);
    if (!countRows()) return Outcome::Failed;
    if (rows_ > 0) return Outcome::DetailErrors;
    if (state_.zeroAmountCount != 0)
        events_.warning(state_.zeroAmountCount == 1
                            ? "AVISO: Existe registro com valores da base de cálculo e da KOVA não retida zerados."
                            : "AVISO: Existem registros com valores da base de cálculo e da KOVA não retida "
                              "zerados.");
    return Outcome::Clean;
}

bool CheckingPasses::countRows() {
    return underReadTrap(prompts_, [&] { rows_ = log_->rowCount(); });
}

bool CheckingPasses::changedSinceOpened() {
    std::string now;
    return underReadTrap(prompts_, [&] { now = reader_->stamp(); }) && now != openedStamp_;
}

// Every record to the validator of its type, and to the sink; false when a trap or the sink ended it.
bool CheckingPasses::detailPass(RecordSink* sink) {
    RecordValidators validators(state_, *log_, prompts_, clock_);
    while (!state_.cancel.set) {
        bool more = false;
        if (!underReadTrap(prompts_, [&] { more = reader_->next(state_.record); })) return false;
        if (!more) break;
        state_.recordType.assign(RecordView(state_.record).recordType());
        ++state_.recordNumber;
        if (RecordView(state_.record).isTrailer()) {
            state_.recordType = "T";
            if (!validators.validateTrailer()) break;
            state_.seenT = true;
        } else if (state_.recordType.size() == 1 && state_.recordType[0] >= '1' && state_.recordType[0] <= '5') {
            if (!validateByType(validators, state_.recordType[0])) break;
        } else if (!recordUnknownType()) {
            return false;
        }
        if (sink != nullptr && !sink->take(state_.record)) return false;
        bytesConsumed_ += state_.record.size() + 2;
        reportProgress(events_, bytesConsumed_, fileSize_);
    }
    return true;
}

// A record of no known type: error 1 over the whole record, and the pass goes on.
bool CheckingPasses::recordUnknownType() {
    const ErrorRow row{detail::typeText(state_.recordType),
                       state_.recordNumber,
                       "0001",
                       "0142",
                       1,
                       cp1252ToUtf8(state_.declarantCnpj),
                       cp1252ToUtf8(state_.declarantName),
                       std::nullopt,
                       visibleText(RecordView(state_.record).field(kWholeRecord))};
    return underReadTrap(prompts_, [&] { log_->recordRow(row); });
}

}  // namespace kova
