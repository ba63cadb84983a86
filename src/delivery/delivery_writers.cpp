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

bool BusyRetry::run(const std::function<void()>& step) {
    return withRetry(*this, text_, step);
}

Answer BusyRetry::show(const Message& message) {
    events_.busyChanged(false);
    const Answer answer = prompts_.show(message);
    if (answer == Answer::Yes) events_.busyChanged(true);
    return answer;
}

bool DeliveryWriters::writeToBody(BusyRetry& retry, const std::string& line) {
    return retry.run([&] { body->append(line); });
}

bool DeliveryWriters::writeDetailRecords() {
    BusyRetry retry(prompts_, events_, "Registro Declaração", "Erro na geração do registro da declaração.");
    std::uint64_t consumed = 0;
    events_.setPercent(0);
    detailSealText_.clear();
    detailSeal_ = 0;
    events_.busyChanged(true);

    std::string line;
    std::string record;
    bool more = false;
    // Built once: the loop runs once per record of a declaration of any size.
    const std::function<void()> readLine = [&] { more = input->next(line); };
    const std::function<void()> writeRecord = [&] { body->append(record); };
    while (!cancel_.set) {
        if (!retry.run(readLine)) return false;
        if (!more) break;
        record.assign(line);
        record += sealText(line);
        detailSeal_ = crc32(record, detailSeal_);
        record += kLineEnd;
        if (!retry.run(writeRecord)) return false;
        consumed += line.size() + kLineEnd.size();
        reportProgress(events_, consumed, inputSize);
        if (cancel_.set) break;
    }
    events_.setPercent(100);
    detailSealText_ = sealText(detailSeal_);
    return !cancel_.set;
}

bool DeliveryWriters::writeReceiptRecord() {
    BusyRetry retry(prompts_, events_, "Registro Recibo", "Erro na geração do registro do recibo.");
    const std::string r1 = receiptRecord(header.cnpj, header.name);
    if (!writeToBody(retry, r1 + std::string(kLineEnd))) return false;
    receiptSeal_ = detailSeal_;
    receiptSealText_ = accumulateSeal(r1, receiptSeal_);
    return true;
}

bool DeliveryWriters::writeReceiptClosingRecord() {
    BusyRetry retry(prompts_, events_, "Registro Encerramento do Recibo",
                    "Erro na geração do registro de encerramento do recibo.");
    return writeToBody(retry, receiptClosingRecord(receiptSealText_) + std::string(kLineEnd));
}

bool DeliveryWriters::writeHeaderRecord() {
    BusyRetry retry(prompts_, events_, "Registro Cabeçalho", "Erro na criação do registro cabeçalho.");
    headerLine_ = headerRecord(header, detailSealText_, deliveryFileName);
    headerLine_ += kLineEnd;
    return retry.run([&] {
        if (!finalReady()) openFinal();
        writeFinal(headerLine_);
    });
}

void DeliveryWriters::openFinal() {
    abandonFinal();
    final_ = std::make_unique<AtomicFileWriter>(deliveryFilePath, *fileOps);
    finalBroken_ = false;
}

void DeliveryWriters::writeFinal(std::string_view bytes) {
    try {
        final_->write(bytes);
    } catch (const Fault&) {
        finalBroken_ = true;
        throw;
    }
}

void DeliveryWriters::commitFinal() {
    try {
        final_->commit();
    } catch (const Fault&) {
        finalBroken_ = true;
        throw;
    }
}

void DeliveryWriters::abandonFinal() noexcept {
    if (final_) final_->abandon();
    final_.reset();
    finalBroken_ = false;
}

}  // namespace kova
