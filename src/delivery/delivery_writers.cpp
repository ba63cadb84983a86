#include "delivery/delivery_writers.h"

#include "core/faults.h"
#include "delivery/seals.h"

namespace kova {

BusyRetry::BusyRetry(Prompts& prompts, ImportEvents& events, std::string title, std::string sentence)
    : prompts_(prompts), events_(events) {
    text_.title = std::move(title);
    text_.sentence = std::move(sentence);
    text_.question = "Deseja tentar novamente ?";
}

bool BusyRetry::run(const std::function<void()>& step) { return withRetry(*this, text_, step); }

Answer BusyRetry::show(const Message& message) {
    events_.busyChanged(false);
    const Answer answer = prompts_.show(message);
    if (answer == Answer::Yes) events_.busyChanged(true);
    return answer;
}

DeliveryWriters::DeliveryWriters(Prompts& prompts, ImportEvents& events, DeliveryFileWriter& file)
    : prompts_(prompts),
      events_(events),
      file_(file),
      detailRetry_(prompts, events, "Registro Declaração", "Erro na geração do registro da declaração.") {}

bool DeliveryWriters::append(BusyRetry& retry, std::string_view bytes) {
    try {
        file_.append(bytes);
        return true;
    } catch (const Fault&) {
        // A failed append took nothing of the bytes: the retry (and its question, if it fails again) adds them once.
        return retry.run([&] { file_.append(bytes); });
    }
}

bool DeliveryWriters::take(std::string_view record) {
    record_.assign(record);
    record_ += sealText(record);
    detailSeal_ = crc32(record_, detailSeal_);
    record_ += kLineEnd;
    return append(detailRetry_, record_);
}

std::string DeliveryWriters::detailSealText() const { return sealText(detailSeal_); }

bool DeliveryWriters::writeReceiptRecord(std::string_view cnpj, std::string_view name) {
    BusyRetry retry(prompts_, events_, "Registro Recibo", "Erro na geração do registro do recibo.");
    const std::string r1 = receiptRecord(cnpj, name);
    if (!append(retry, r1 + std::string(kLineEnd))) return false;
    receiptSeal_ = detailSeal_;
    receiptSealText_ = accumulateSeal(r1, receiptSeal_);
    return true;
}

bool DeliveryWriters::writeReceiptClosingRecord() {
    BusyRetry retry(prompts_, events_, "Registro Encerramento do Recibo",
                    "Erro na geração do registro de encerramento do recibo.");
    return append(retry, receiptClosingRecord(receiptSealText_) + std::string(kLineEnd));
}

bool DeliveryWriters::writeHeaderRecord(const DeliveryHeaderFields& header, std::string_view deliveryFileName) {
    BusyRetry retry(prompts_, events_, "Registro Cabeçalho", "Erro na criação do registro cabeçalho.");
    const std::string line = headerRecord(header, detailSealText(), deliveryFileName) + std::string(kLineEnd);
    return retry.run([&] { file_.writeHeader(line); });
}

}  // namespace kova
