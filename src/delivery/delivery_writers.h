// The four record writers of a generation. The detail records are sealed one by one as the import's detail pass
// hands them over; "R1" and "R9" follow them; the header, which seals them all, goes into its place at the start
// of the file. Each answers a run-time fault with its own retry question and returns false when the person gives
// up.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "core/ports.h"
#include "core/retry.h"
#include "delivery/delivery_file_writer.h"
#include "delivery/delivery_records.h"
#include "import/import_driver.h"
#include "import/import_events.h"

namespace kova {

// The retry question of a generation step ("Deseja tentar novamente ?"), asked with the normal pointer; Yes
// shows the busy pointer again and repeats the step.
class BusyRetry : private Prompts {
public:
    BusyRetry(Prompts& prompts, ImportEvents& events, std::string title, std::string sentence);
    // True once the step completed; false when the person answered No.
    bool run(const std::function<void()>& step);

private:
    Answer show(const Message& message) override;
    Prompts& prompts_;
    ImportEvents& events_;
    RetryText text_;
};

class DeliveryWriters : public RecordSink {
public:
    DeliveryWriters(Prompts& prompts, ImportEvents& events, DeliveryFileWriter& file);

    // One input record, sealed, after the ones before it (REGDECLARACAO).
    bool take(std::string_view record) override;
    // "R1": starts the receipt seal from the detail seal (REGRECIBO).
    bool writeReceiptRecord(std::string_view cnpj, std::string_view name);
    // "R9" (REGENCERRARECIBO).
    bool writeReceiptClosingRecord();
    // The header, into its place at the start of the file (REGCABECALHO).
    bool writeHeaderRecord(const DeliveryHeaderFields& header, std::string_view deliveryFileName);

    std::uint32_t detailSeal() const { return detailSeal_; }
    std::string detailSealText() const;
    const std::string& receiptSealText() const { return receiptSealText_; }

private:
    bool append(BusyRetry& retry, std::string_view bytes);

    Prompts& prompts_;
    ImportEvents& events_;
    DeliveryFileWriter& file_;
    BusyRetry detailRetry_;
    std::string record_;  // reused: one record is sealed per input line, whatever the declaration's size
    std::uint32_t detailSeal_ = 0;
    std::uint32_t receiptSeal_ = 0;
    std::string receiptSealText_;
};

}  // namespace kova
