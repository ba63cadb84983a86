#include "delivery/generation.h"

#include <memory>
#include <optional>
#include <system_error>

#include "core/faults.h"
#include "core/field_checks.h"
#include "core/retry.h"
#include "core/text.h"
#include "delivery/delivery_file_writer.h"
#include "delivery/delivery_writers.h"
#include "delivery/header_reader.h"
#include "import/file_helpers.h"

namespace kova {

namespace fs = std::filesystem;

namespace {

constexpr const char* kTitleGenerate = "Gerar Arquivo";
constexpr const char* kTitleUnexpected = "Gera Arquivo";
constexpr const char* kUnexpected = "Erro na geração da declaração.";
constexpr const char* kAskAgain = "Deseja tentar novamente ?";
constexpr const char* kFolderNotCreated = "Não foi possível criar a pasta de declarações geradas.";
constexpr int kFolderFault = 76;

// The hidden delivery files that a generation killed half-way left in a folder. Links are never followed: only
// regular files of the folder itself are removed.
void removeLeftoverTemporaries(const fs::path& folder, FileOps& ops) {
    std::error_code ec;
    if (fs::is_symlink(folder, ec)) return;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code typeError;
        if (!it->is_regular_file(typeError) || it->is_symlink(typeError)) continue;
        if (!isDeliveryTemporaryName(it->path().filename().string())) continue;
        try {
            removeFileIfPresent(it->path(), ops);
        } catch (const Fault&) {
            // A leftover that cannot be removed does not stop the generation.
        }
    }
}

}  // namespace

Message replaceQuestionMessage(const ReplaceQuestionFields& labels) {
    return question(kReplaceQuestionTitle,
                    "Nome Empresarial: " + labels.name + "\nCNPJ do declarante: " + labels.cnpj + "\nCompetência: " +
                        labels.year + "\nTipo: " + labels.type + "\nSituação Especial: " + labels.situation + "\n\n" +
                        kReplaceQuestionText,
                    Answer::No);
}

DeliveryHeaderFields headerFieldsOf(const DeclarantData& declarant, const ImportState& state) {
    DeliveryHeaderFields f;
    f.year = declarant.year;
    f.type = declarant.type;
    f.cnpj = declarant.cnpj;
    f.name = declarant.name;
    f.uf = declarant.uf;
    f.situation = declarant.situation;
    f.periodStart = declarant.startDate;
    f.periodEnd = declarant.endDate;
    f.eventDate = declarant.eventDate;
    f.representativeCpf = state.representativeCpf;
    f.representativePhoneBlock = state.representativeTelephoneBlock;
    f.baseTotal = state.baseTotal;
    f.levyTotal = state.levyTotal;
    f.count3 = state.count3;
    f.count4 = state.count4;
    return f;
}

class DeliveryGeneration::Run {
public:
    Run(DeliveryGeneration& owner, GenerationContext& context)
        : owner_(owner),
          c_(context),
          session_(context.session),
          events_(context.events),
          unexpected_(context.prompts, context.events, kTitleUnexpected, kUnexpected) {}

    bool execute() {
        const bool result = generate();
        finish(result);
        return result;
    }

private:
    bool generate() {
        timer_.emplace(events_, c_.clock, ImportPhase::Generation);
        events_.setPercent(0);
        events_.statusChanged("Gerando o arquivo da declaração ...");
        events_.pump();
        if (!fileIsReadable(session_.chosenPath)) {
            c_.prompts.show(exclamation(kTitleGenerate,
                                        "Não foi encontrado o arquivo de trabalho. A declaração deve ser validada "
                                        "novamente."));
            return false;
        }
        if (!owner_.writers_) {
            c_.prompts.show(exclamation(kTitleUnexpected, kUnexpected));
            return false;
        }
        header_ = headerFieldsOf(session_.declarant, session_.state);
        if (!prepareFolders() || !mayReplaceExisting()) return false;
        return writeReceiptRecords() && writeHeaderAndCommit();
    }

    bool folderRetry(bool withFaultText, const std::function<bool()>& make) {
        RetryText text;
        text.title = kTitleGenerate;
        text.compose = [withFaultText](const Fault& fault) {
            return std::string(kFolderNotCreated) + "\n" + (withFaultText ? faultMessage(fault) + "\n" : "") +
                   kAskAgain;
        };
        return withRetry(c_.prompts, text, [&] {
            if (!make()) throw Fault(kFolderFault);
        });
    }

    bool prepareFolders() {
        const fs::path& program = session_.programFolder;
        if (!folderRetry(false, [&] { return ensureGeneratedFolder(program, c_.prompts); })) return false;
        return folderRetry(
            true, [&] { return ensureDeclarationFolder(program, session_.declarant, c_.prompts, session_.names); });
    }

    // A delivery file of the same declaration is replaced only when the person agrees.
    bool mayReplaceExisting() {
        std::error_code ec;
        if (!fs::is_regular_file(session_.names.deliveryFilePath, ec)) return true;
        std::string existing;
        if (readDeliveryHeader(session_.names.deliveryFilePath, existing) != 0) {
            c_.prompts.show(exclamation("Gerar Declaração",
                                        "Erro na leitura do cabeçalho dos registros das declarações gravadas."));
            return false;
        }
        if (!sameDeclaration(DeliveryHeaderView(existing), header_)) return true;

        const DeclarantData& d = session_.declarant;
        const ReplaceQuestionFields labels{cp1252ToUtf8(trimRightBlanks(d.name)),
                                           applyMask(kCnpjMask, cp1252ToUtf8(d.cnpj)), cp1252ToUtf8(d.year),
                                           d.type == "1" ? "Retificadora" : "Original", situationName(d.situation)};
        const Answer answer =
            owner_.question_ ? owner_.question_->ask(labels) : c_.prompts.show(replaceQuestionMessage(labels));
        if (answer == Answer::Yes) return true;
        session_.answer = ImportAnswer::NotGenerated;
        return false;
    }

    // The detail records were sealed as they were checked; the receipt records follow them.
    bool writeReceiptRecords() {
        events_.busyChanged(true);
        events_.statusChanged("Gerando os registros-detalhe da declaração ...");
        events_.setPercent(100);
        events_.pump();
        const CancelFlag& cancel = session_.state.cancel;
        if (cancel.set) return false;
        if (!owner_.writers_->writeReceiptRecord(header_.cnpj, header_.name) || cancel.set) return false;
        return owner_.writers_->writeReceiptClosingRecord() && !cancel.set;
    }

    bool writeHeaderAndCommit() {
        removeLeftoverTemporaries(session_.names.declarationFolder, owner_.fileOps_);
        events_.statusChanged("Gravando o arquivo final da declaração ...");
        events_.busyChanged(true);
        events_.pump();
        if (!owner_.writers_->writeHeaderRecord(header_, session_.names.deliveryFileName)) return false;
        timer_->finish();
        if (session_.state.cancel.set) {
            c_.prompts.show(exclamation("Gravar Declaração", "Geração da declaração cancelada."));
            return false;
        }
        if (!unexpected_.run([&] { owner_.file_->commit(session_.names.deliveryFilePath); })) return false;
        session_.generatedDeliveryFile = session_.names.deliveryFilePath;
        return true;
    }

    void finish(bool generated) {
        if (!generated) owner_.dropBody();
        owner_.writers_.reset();
        owner_.file_.reset();
        try {
            // Left by an earlier version of the program, which kept the body in a work file of this name.
            removeFileIfPresent(session_.programFolder / "TEMPORAR.TXT", owner_.fileOps_);
        } catch (const Fault&) {
            // Not ours to insist on: the generation's own files are already settled.
        }
        events_.folderContentsChanged();
        events_.busyChanged(false);
    }

    DeliveryGeneration& owner_;
    GenerationContext& c_;
    ImportSession& session_;
    ImportEvents& events_;
    BusyRetry unexpected_;
    DeliveryHeaderFields header_;
    std::optional<PhaseTimer> timer_;
};

DeliveryGeneration::DeliveryGeneration(ReplaceQuestion* question, FileOps& fileOps)
    : question_(question), fileOps_(fileOps) {}

DeliveryGeneration::~DeliveryGeneration() = default;

bool DeliveryGeneration::startBody(GenerationContext& context, RecordSink*& sink) {
    dropBody();
    sink = nullptr;
    const ImportSession& session = context.session;
    const fs::path generated = generatedFolderOf(session.programFolder);
    // Only ever called under the folder's write lock: a hidden file here is a leftover, never another's work.
    removeLeftoverTemporaries(generated, fileOps_);
    BusyRetry unexpected(context.prompts, context.events, kTitleUnexpected, kUnexpected);
    if (!unexpected.run([&] {
            file_ = std::make_unique<DeliveryFileWriter>(generated, session.names.deliveryFileName,
                                                         kDeliveryHeaderLength + kLineEnd.size(), fileOps_);
        }))
        return false;
    writers_ = std::make_unique<DeliveryWriters>(context.prompts, context.events, *file_);
    sink = writers_.get();
    return true;
}

void DeliveryGeneration::dropBody() noexcept {
    writers_.reset();
    if (file_) file_->abandon();
    file_.reset();
}

bool DeliveryGeneration::generateDeliveryFile(GenerationContext& context) {
    Run run(*this, context);
    return run.execute();
}

}  // namespace kova
