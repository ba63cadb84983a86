// What kova-cli's printing commands (erros, imprimir, recibo) share: taking the destination options and the
// print context they print through.
#pragma once
#ifdef KOVA_HAVE_PRINT_QT

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/clock.h"
#include "print/print_context.h"
#include "print/qt/print_output.h"

namespace kova::cli {

// Takes "--pdf FILE" / "--texto" out of args; on a usage error writes the reason and `usage` to stderr and
// returns nullopt (the command then exits with 2).
std::optional<print::PrintDestination> takeDestinationOrUsage(std::vector<std::string>& args, const char* usage);

// The printer for the destination (text pages on stdout), the batch answers to the print questions (messages
// on stderr), the system clock and the given progress (none by default).
class BatchPrinting {
public:
    explicit BatchPrinting(const print::PrintDestination& destination, Progress* progress = nullptr);
    BatchPrinting(const BatchPrinting&) = delete;
    BatchPrinting& operator=(const BatchPrinting&) = delete;

    print::PrintContext& context() { return context_; }
    Prompts& prompts() { return prompts_; }

private:
    std::unique_ptr<print::Printer> printer_;
    print::PrinterFlags flags_;
    print::BatchPrintPrompts prompts_;
    SystemClock clock_;
    NullProgress noProgress_;
    print::PrintContext context_;
};

}  // namespace kova::cli
#endif
