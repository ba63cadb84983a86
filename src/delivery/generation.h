// generateDeliveryFile: turns a declaration that the import has just passed into its sealed delivery file, in its own folder
// under GERADA. The new file is written under a temporary name beside the old one and takes its place only when
// complete: a refusal, a cancel, a fault or a crash keeps an earlier delivery file as it was.
#pragma once

#include <filesystem>
#include <string>

#include "core/atomic_file.h"
#include "core/ports.h"
#include "delivery/delivery_records.h"
#include "delivery/integrity_check.h"
#include "import/import_driver.h"

namespace kova {

// The value labels of the question ReplaceQuestionDialog "Importar Declaração" (UTF-8, ready to show).
struct ReplaceQuestionFields {
    std::string name;       // "Nome Empresarial: "
    std::string cnpj;       // "CNPJ do declarante:", punctuated
    std::string year;       // "Competência:"
    std::string type;       // "Tipo:", "Original" or "Retificadora"
    std::string situation;  // "Situação Especial:", the situation's name
};

inline constexpr const char* kReplaceQuestionTitle = "Importar Declaração";
inline constexpr const char* kReplaceQuestionText =
    "Declaração já existe. A importação desta declaração elimina a declaração existente. Confirma a importação "
    "desta declaração?";

// ReplaceQuestionDialog, asked when a declaration of the same identification was generated before.
class ReplaceQuestion {
public:
    virtual ~ReplaceQuestion() = default;
    // Yes ("&Sim") replaces, No ("&Não") keeps the existing file; any other answer (the dialog closed) replaces.
    virtual Answer ask(const ReplaceQuestionFields& labels) = 0;
};

// The question as a message box: title kReplaceQuestionTitle, the labels and kReplaceQuestionText, Yes and No.
Message replaceQuestionMessage(const ReplaceQuestionFields& labels);

class DeliveryGeneration : public GenerationPort {
public:
    // Without a question of its own the generation asks through the context's prompts (replaceQuestionMessage).
    explicit DeliveryGeneration(ReplaceQuestion* question = nullptr, FileOps& fileOps = systemFileOps())
        : question_(question), fileOps_(fileOps) {}

    bool generateDeliveryFile(GenerationContext& context) override;

    // Replaces the reading of the input file (tests inject read failures).
    void setSourceOpener(ByteSourceOpener opener) { openSource_ = std::move(opener); }

private:
    class Run;
    ReplaceQuestion* question_;
    FileOps& fileOps_;
    ByteSourceOpener openSource_;
};

// The header fields of the declaration in hand: the declarant data read from its first record, and the totals,
// counts and type-2 fields that the validation kept.
DeliveryHeaderFields headerFieldsOf(const DeclarantData& declarant, const ImportState& state);

}  // namespace kova
