#ifdef KOVA_HAVE_PRINT_QT
#include "cli/print_command.h"

#include <iostream>

namespace kova::cli {

print::PrintDestination printDestination(const Arguments& args) {
    print::PrintDestination destination;
    if (args.has(kTextOption)) {
        destination.kind = print::PrintDestination::Kind::Text;
    } else if (auto pdf = args.value(kPdfOption)) {
        destination.kind = print::PrintDestination::Kind::Pdf;
        destination.pdf = *pdf;
    }
    return destination;
}

BatchPrinting::BatchPrinting(const print::PrintDestination& destination, Progress* progress)
    : printer_(print::makePrinter(destination, std::cout)),
      prompts_(std::cerr),
      context_{*printer_, flags_, prompts_, clock_, progress ? *progress : noProgress_} {}

}  // namespace kova::cli
#endif
