// Shared by the print tests: a log with the real error texts, prompts that record, golden pages.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "core/memory_error_log.h"
#include "core/ports.h"
#include "print/page_recorder.h"
#include "support/recording_prompts.h"

namespace kova::printtest {

// CONSULTAERROS with the texts of the error codes, as the work database joins them.
class TextErrorLog : public MemoryErrorLog {
public:
    void listErrors(const std::function<bool(const ErrorListing&)>& visit) override;
    // The n-th row read (1 = the first) throws a database fault; 0 never.
    int failAtRow = 0;

protected:
    std::string description(int code) const override;
};

// Records every message; answers through `answer` (default: OK, or Yes to every question).
// Printing's questions ("Confirma…?") are agreed to unless a test says otherwise.
struct RecordingPrompts : testing_support::RecordingPrompts {
    RecordingPrompts() { unansweredYesNo = Answer::Yes; }
};

// Compares the annotated pages with tests/print/golden/<name>.txt line by line (KOVA_UPDATE_GOLDEN=1 rewrites it).
void expectGolden(const std::string& name, const std::vector<print::RecordedPage>& pages);

// The text of every line of a page.
std::vector<std::string> lineTexts(const print::RecordedPage& page);

}  // namespace kova::printtest
