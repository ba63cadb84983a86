// What kova-cli's printing commands (erros, imprimir, recibo) share: where the document goes (--pdf FILE or
// --texto, else the default printer) and the print context they print through.
#pragma once
#ifdef KOVA_HAVE_PRINT_QT

#include <memory>
#include <string_view>

#include "cli/command.h"
#include "core/clock.h"
#include "print/print_context.h"
#include "print/qt/print_output.h"

namespace kova::cli {

inline constexpr std::string_view kPdfOption = "--pdf";
inline constexpr std::string_view kTextOption = "--texto";

// The two destination options, declared by each printing command with its own help lines.
constexpr Option pdfOption(std::string_view help) {
    return Option{.name = kPdfOption, .value = "SAIDA.pdf", .help = help};
}
constexpr Option textOption(std::string_view help) {
    return Option{.name = kTextOption, .help = help, .orPrevious = true};
}

print::PrintDestination printDestination(const Arguments& args);

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
