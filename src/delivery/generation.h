// The generation of the sealed delivery file of a declaration that the import has just passed, in its own folder
// under GERADA. Its detail records are sealed as the import's detail pass reads them (so exactly the checked bytes
// are sealed, and the file's bytes are written once); the generation then adds the receipt records and the
// header, and the file takes its real name only when complete: a refusal, a cancel, a fault or a crash keeps an
// earlier delivery file as it was.
#pragma once

#include <filesystem>
#include <memory>
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
    // Yes ("&Sim") replaces; No ("&Não"), or the question dismissed, keeps the existing file.
    virtual Answer ask(const ReplaceQuestionFields& labels) = 0;
};

// The question as a message box: title kReplaceQuestionTitle, the labels and kReplaceQuestionText, Yes and No.
Message replaceQuestionMessage(const ReplaceQuestionFields& labels);

class DeliveryFileWriter;
class DeliveryWriters;

class DeliveryGeneration : public GenerationPort {
public:
    // Without a question of its own the generation asks through the context's prompts (replaceQuestionMessage).
    explicit DeliveryGeneration(ReplaceQuestion* question = nullptr, FileOps& fileOps = systemFileOps());
    ~DeliveryGeneration() override;

    bool startBody(GenerationContext& context, RecordSink*& sink) override;
    bool generateDeliveryFile(GenerationContext& context) override;
    void dropBody() noexcept override;

private:
    class Run;
    ReplaceQuestion* question_;
    FileOps& fileOps_;
    std::unique_ptr<DeliveryFileWriter> file_;
    std::unique_ptr<DeliveryWriters> writers_;
};

// The header fields of the declaration in hand: the declarant data read from its first record, and the totals,
// counts and type-2 fields that the validation kept.
DeliveryHeaderFields headerFieldsOf(const DeclarantData& declarant, const ImportState& state);

}  // namespace kova
