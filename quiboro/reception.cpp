#include "quiboro/reception.h"

#include <algorithm>
#include <vector>

#include "core/atomic_file.h"
#include "core/faults.h"
#include "core/ports.h"
#include "core/record_reader.h"
#include "delivery/delivery_records.h"
#include "delivery/header_reader.h"
#include "delivery/integrity_check.h"
#include "quiboro/receipt_records.h"

namespace quiboro {

namespace {

// The agency's program has nobody to ask: every question of the integrity check is answered No and every
// message is kept, so that a check that could not read the file is told apart from a broken seal.
class SilentPrompts : public kova::Prompts {
public:
    kova::Answer show(const kova::Message& message) override {
        shown.push_back(message);
        return message.buttons == kova::Buttons::Ok ? kova::Answer::Ok : kova::Answer::No;
    }
    std::vector<kova::Message> shown;
};

constexpr const char* kUnreadableText = "Não foi possível ler o arquivo da declaração.";
constexpr const char* kNotDeliveryText = "O arquivo informado não é uma declaração gerada para entrega à QOT.";
constexpr int kReadPastEnd = 62;  // the header reader's fault for an empty file

// Reads the whole file record by record; throws Fault where a read fails.
void readThrough(const std::filesystem::path& file) {
    kova::RecordReader reader(file);
    std::string record;
    while (reader.next(record)) {
    }
}

Reception answer(std::int32_t code, std::string message) {
    return Reception{code, std::move(message), kReceptionTitle};
}

bool hasDeliveryExtension(const std::filesystem::path& file) {
    std::string extension = file.extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; });
    return extension == ".DEC";
}

}  // namespace

Reception receiveDeclaration(const std::filesystem::path& deliveryFile, const kova::Clock& clock) {
    if (!hasDeliveryExtension(deliveryFile))
        return answer(kNotDeliveryFile, "O arquivo informado não é um arquivo de declaração (\".DEC\").");

    std::string header;
    try {
        header = kova::readFirstLine(deliveryFile);
    } catch (const kova::Fault& fault) {
        if (fault.number() == kReadPastEnd) return answer(kNotDeliveryFile, kNotDeliveryText);
        return answer(kUnreadable, std::string(kUnreadableText) + "\n" + kova::faultMessage(fault));
    }
    const kova::DeliveryHeaderView view(header);
    if (view.tag() != kova::kDeliveryHeaderTag) return answer(kNotDeliveryFile, kNotDeliveryText);

    SilentPrompts silent;
    kova::DeclarationCheck check;
    if (!kova::checkDeclaration(deliveryFile.string(), silent, check)) {
        // The check met a fault: a failed read, or a line too short to carry its seal (a changed file).
        // Reading the file once more tells the two apart.
        if (!silent.shown.empty()) {
            try {
                readThrough(deliveryFile);
            } catch (const kova::Fault& fault) {
                return answer(kUnreadable, std::string(kUnreadableText) + "\n" + kova::faultMessage(fault));
            }
        }
        return answer(kAltered, "O arquivo da declaração foi alterado após a sua geração.");
    }

    const kova::DateTime reception = clock.now();
    ReceiptContent content;
    content.deliveryFileName = deliveryFile.filename().string();
    content.cnpj = std::string(view.cnpj());
    content.detailSeal = std::string(view.detailSeal());
    content.reception = reception;
    try {
        kova::writeFileAtomically(receiptPathFor(deliveryFile), receiptText(content));
    } catch (const kova::Fault& fault) {
        return answer(kReceiptNotWritten, "Não foi possível gravar o recibo de entrega.\n" + kova::faultMessage(fault));
    }
    return answer(kAccepted, "Declaração recebida pela QOT em " + reception.ddmmyyyySlashes() + " às " +
                                 reception.hhmmss() + ".\nO recibo de entrega foi gravado na pasta da declaração.");
}

}  // namespace quiboro
