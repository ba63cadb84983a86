#include "delivery/generation.h"

#include <memory>
#include <optional>
#include <system_error>

#include "core/faults.h"
#include "core/field_checks.h"
#include "core/retry.h"
#include "core/text.h"
#include "delivery/body_work_file.h"
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
constexpr std::size_t kCopyChunk = 256 * 1024;

// The temporary files an earlier generation of this delivery file left when it was killed half-way.
void removeLeftoverTemporaries(const fs::path& folder, const std::string& deliveryFileName, FileOps& ops) {
    std::error_code ec;
    const std::string prefix = "." + deliveryFileName + ".";
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name.size() > prefix.size() && name.compare(0, prefix.size(), prefix) == 0 &&
            endsWithIgnoringCase(name, ".tmp")) {
            try {
                removeFileIfPresent(it->path(), ops);
            } catch (const Fault&) {
                // A leftover that cannot be removed does not stop the generation.
            }
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
          writers_(context.prompts, context.events, context.session.state.cancel),
          unexpected_(context.prompts, context.events, kTitleUnexpected, kUnexpected) {}

    bool execute() {
        const bool result = generate();
        finish();
        return result;
    }

private:
    bool generate() {
        start();
        // 2
        if (!fileIsReadable(session_.chosenPath)) {
            c_.prompts.show(exclamation(kTitleGenerate,
                                        "Não foi encontrado o arquivo de trabalho. A declaração deve ser validada "
                                        "novamente."));
            return false;
        }
        // 3 to 5
        if (!prepareFolders()) return false;
        // 6
        if (!mayReplaceExisting()) return false;
        // 7
        if (!writeBody()) return false;
        // 8 to 12
        return writeFinalFile();
    }

    // 1
    void start() {
        timer_.emplace(events_, c_.clock, ImportPhase::Generation);
        events_.setPercent(0);
        events_.statusChanged("Gerando o arquivo da declaração ...");
        events_.pump();
    }

    bool folderRetry(bool withFaultText, const std::function<bool()>& make) {
        RetryText text;
        text.title = kTitleGenerate;
        text.compose = [withFaultText](const Fault& fault) {
            return std::string(kFolderNotCreated) + "\n" + (withFaultText ? faultMessage(fault) + "\n" : "") + kAskAgain;
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

    bool mayReplaceExisting() {
        writers_.header = headerFieldsOf(session_.declarant, session_.state);
        writers_.deliveryFileName = session_.names.deliveryFileName;
        writers_.deliveryFilePath = session_.names.deliveryFilePath;
        writers_.fileOps = &owner_.fileOps_;

        std::error_code ec;
        if (!fs::is_regular_file(session_.names.deliveryFilePath, ec)) return true;
        std::string existing;
        if (readDeliveryHeader(session_.names.deliveryFilePath, existing) != 0) {
            c_.prompts.show(exclamation("Gerar Declaração",
                                        "Erro na leitura do cabeçalho dos registros das declarações gravadas."));
            return false;
        }
        if (!sameDeclaration(DeliveryHeaderView(existing), writers_.header)) return true;

        const DeclarantData& d = session_.declarant;
        ReplaceQuestionFields labels{cp1252ToUtf8(trimRightBlanks(d.name)), applyMask(kCnpjMask, cp1252ToUtf8(d.cnpj)),
                                     cp1252ToUtf8(d.year), d.type == "1" ? "Retificadora" : "Original",
                                     situationName(d.situation)};
        const Answer answer =
            owner_.question_ ? owner_.question_->ask(labels) : c_.prompts.show(replaceQuestionMessage(labels));
        if (answer == Answer::No) {
            session_.answer = ImportAnswer::NotGenerated;
            return false;
        }
        return true;
    }

    bool writeBody() {
        events_.busyChanged(true);
        if (!unexpected_.run([&] {
                input_ = std::make_unique<RecordReader>(owner_.openSource_ ? owner_.openSource_(session_.chosenPath)
                                                                           : openFileSource(session_.chosenPath));
                writers_.inputSize = input_->size();
            }))
            return false;
        if (!unexpected_.run([&] {
                body_ = std::make_unique<BodyWorkFile>(session_.programFolder / kBodyWorkFileName, owner_.fileOps_);
            }))
            return false;
        writers_.input = input_.get();
        writers_.body = body_.get();
        events_.statusChanged("Gerando os registros-detalhe da declaração ...");
        events_.pump();

        const CancelFlag& cancel = session_.state.cancel;
        if (!writers_.writeDetailRecords()) return false;
        if (!writers_.writeReceiptRecord() || cancel.set) return false;
        if (!writers_.writeReceiptClosingRecord() || cancel.set) return false;
        return true;
    }

    // Copies the body after the header; false when the cancel flag stopped it. Throws Fault.
    bool copyBody() {
        body_->rewind();
        std::string chunk(kCopyChunk, '\0');
        std::uint64_t copied = 0;
        const std::uint64_t total = body_->size();
        for (;;) {
            const std::size_t n = body_->read(chunk.data(), chunk.size());
            if (n == 0) return true;
            writers_.writeFinal(std::string_view(chunk.data(), n));
            copied += n;
            reportProgress(events_, copied, total);
            if (session_.state.cancel.set) return false;
        }
    }

    // The final file from its first byte, after a fault broke the one in hand.
    bool rewriteFinalFile() {
        writers_.openFinal();
        writers_.writeFinal(writers_.headerLine());
        return copyBody();
    }

    bool writeFinalFile() {
        // 8
        input_.reset();
        removeLeftoverTemporaries(session_.names.declarationFolder, session_.names.deliveryFileName, owner_.fileOps_);
        if (!unexpected_.run([&] { writers_.openFinal(); })) return false;
        // 9
        if (!writers_.writeHeaderRecord()) return false;
        // 10
        events_.statusChanged("Gravando o arquivo final da declaração ...");
        events_.busyChanged(true);
        bool firstAttempt = true;
        if (!unexpected_.run([&] {
                const bool fresh = firstAttempt;
                firstAttempt = false;
                fresh ? copyBody() : rewriteFinalFile();
            }))
            return false;
        // 11
        timer_->finish();
        // 12
        if (session_.state.cancel.set) {
            c_.prompts.show(exclamation("Gravar Declaração", "Geração da declaração cancelada."));
            return false;
        }
        bool complete = true;
        if (!unexpected_.run([&] {
                if (!writers_.finalReady()) complete = rewriteFinalFile();
                if (complete) writers_.commitFinal();
            }))
            return false;
        if (!complete) {
            c_.prompts.show(exclamation("Gravar Declaração", "Geração da declaração cancelada."));
            return false;
        }
        session_.generatedDeliveryFile = session_.names.deliveryFilePath;
        return true;
    }

    // 13
    void finish() {
        writers_.abandonFinal();
        input_.reset();
        body_.reset();
        try {
            removeFileIfPresent(session_.programFolder / kBodyWorkFileName, owner_.fileOps_);
        } catch (const Fault&) {
            // The work file's name is removed as soon as it is created; only a stranger's file could stay here.
        }
        events_.folderContentsChanged();
        events_.busyChanged(false);
    }

    DeliveryGeneration& owner_;
    GenerationContext& c_;
    ImportSession& session_;
    ImportEvents& events_;
    DeliveryWriters writers_;
    BusyRetry unexpected_;
    std::unique_ptr<RecordReader> input_;
    std::unique_ptr<BodyWorkFile> body_;
    std::optional<PhaseTimer> timer_;
};

bool DeliveryGeneration::generateDeliveryFile(GenerationContext& context) {
    Run run(*this, context);
    return run.execute();
}

}  // namespace kova
