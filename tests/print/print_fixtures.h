// Shared by the print tests: a log with the real error texts, a desk to print at, golden pages, receipts.
#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "core/memory_error_log.h"
#include "print/page_recorder.h"
#include "print/print_context.h"
#include "support/delivery/sealed_delivery_file.h"
#include "support/file_bytes.h"
#include "support/recording_prompts.h"
#include "support/temp_folder.h"

namespace kova::printtest {

namespace fs = std::filesystem;
using namespace testing_support;  // the shared file and folder helpers, as printtest:: names

// CONSULTAERROS with the texts of the error codes, as the work database joins them.
class TextErrorLog : public MemoryErrorLog {
public:
    void listErrors(const std::function<bool(const ErrorListing&)>& visit) override;
    // The n-th row read (1 = the first) throws a database fault; 0 never.
    int failAtRow = 0;

protected:
    std::string description(int code) const override;
};

// A recording printer, its flags and prompts that agree to printing's questions ("Confirma…?").
struct PrintDesk {
    PrintDesk() { prompts.unansweredYesNo = Answer::Yes; }
    print::PrintContext context() { return context(recorder); }
    print::PrintContext context(print::Printer& printer) { return {printer, flags, prompts, clock, progress}; }

    print::PageRecorder recorder;
    print::PrinterFlags flags;
    testing_support::RecordingPrompts prompts;
    FixedClock clock{DateTime{2024, 5, 2, 9, 0, 0}};
    NullProgress progress;
};

// Compares the annotated pages with tests/print/golden/<name>.txt.
void expectGolden(const std::string& name, const std::vector<print::RecordedPage>& pages);

// The text of every line of a page.
std::vector<std::string> lineTexts(const print::RecordedPage& page);

// The receipt (".REC") the agency leaves beside the delivery file, received 30/04/2024 14:05:09 and signed by the
// certificate of `ni` (blank: unsigned).
fs::path writeReceipt(const fs::path& deliveryFile, const std::string& ni = std::string(14, ' '));

}  // namespace kova::printtest
