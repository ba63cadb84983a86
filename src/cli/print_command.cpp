#ifdef KOVA_HAVE_PRINT_QT
#include "cli/print_command.h"

#include <iostream>

namespace kova::cli {

std::optional<print::PrintDestination> takeDestinationOrUsage(std::vector<std::string>& args, const char* usage) {
    print::PrintDestination destination;
    std::string error;
    if (!print::takePrintDestination(args, destination, error)) {
        std::cerr << error << "\n" << usage;
        return std::nullopt;
    }
    return destination;
}

BatchPrinting::BatchPrinting(const print::PrintDestination& destination, Progress* progress)
    : printer_(print::makePrinter(destination, std::cout)),
      prompts_(std::cerr),
      context_{*printer_, flags_, prompts_, clock_, progress ? *progress : noProgress_} {}

}  // namespace kova::cli
#endif
