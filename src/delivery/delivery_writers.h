// The four record writers of a generation: the detail records, "R1" and "R9" go to the body work file, the
// header to the final file. Each answers a run-time fault with its own retry question and returns false when
// the person gives up.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "core/atomic_file.h"
#include "core/ports.h"
#include "core/record_reader.h"
#include "core/retry.h"
#include "delivery/body_work_file.h"
#include "delivery/delivery_records.h"
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

class DeliveryWriters {
public:
    DeliveryWriters(Prompts& prompts, ImportEvents& events, const CancelFlag& cancel)
        : prompts_(prompts), events_(events), cancel_(cancel) {}

    // The state of one generation.
    RecordReader* input = nullptr;  // the validated declaration, from its first record
    std::uint64_t inputSize = 0;    // for the progress of the detail records
    BodyWorkFile* body = nullptr;
    DeliveryHeaderFields header;
    std::string deliveryFileName;
    std::filesystem::path deliveryFilePath;
    FileOps* fileOps = &systemFileOps();

    // Every remaining input line, sealed, into the body; true unless the cancel flag is set at the end.
    bool writeDetailRecords();
    // "R1" into the body; starts the receipt seal from the detail seal.
    bool writeReceiptRecord();
    // "R9" into the body.
    bool writeReceiptClosingRecord();
    // The header as the first line of the final file (opened again when an earlier write broke it).
    bool writeHeaderRecord();

    // The final file, written under a temporary name beside the delivery file. A fault of any of these breaks
    // the file in hand: the next openFinal starts a new one. Throw Fault.
    void openFinal();
    void writeFinal(std::string_view bytes);
    void commitFinal();
    // Drops an unfinished final file; the earlier delivery file, if any, stays as it was. Never throws.
    void abandonFinal() noexcept;
    bool finalReady() const { return final_ != nullptr && !finalBroken_; }

    // The header line as written (with CR LF), so that the final file can be written again from its start.
    const std::string& headerLine() const { return headerLine_; }
    std::uint32_t detailSeal() const { return detailSeal_; }
    const std::string& detailSealText() const { return detailSealText_; }
    const std::string& receiptSealText() const { return receiptSealText_; }

private:
    bool writeToBody(BusyRetry& retry, const std::string& line);

    Prompts& prompts_;
    ImportEvents& events_;
    const CancelFlag& cancel_;
    std::uint32_t detailSeal_ = 0;
    std::string detailSealText_;
    std::uint32_t receiptSeal_ = 0;
    std::string receiptSealText_;
    std::string headerLine_;
    std::unique_ptr<AtomicFileWriter> final_;
    bool finalBroken_ = false;
};

}  // namespace kova
