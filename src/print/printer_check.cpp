#include "print/printer_check.h"

namespace kova::print {

void checkPrinterFonts(Printer& printer, PrinterFlags& flags) {
    // A missing printer also leaves the first font unknown; the others are asked only once a printer was seen
    // (also by an earlier probe: the flags are sticky).
    if (printer.printerPresent()) {
        flags.printerPresent = true;
        if (printer.fontUsable(kCourierNew)) flags.courierNew = true;
    }
    if (!flags.printerPresent) return;
    if (printer.fontUsable(kCourier)) flags.courier = true;
    if (printer.fontUsable(kArial)) flags.arial = true;
}

std::optional<std::string> chooseFont(const PrinterFlags& flags) {
    if (flags.courierNew) return std::string(kCourierNew);
    if (flags.courier) return std::string(kCourier);
    if (flags.arial) return std::string(kArial);
    return std::nullopt;
}

}  // namespace kova::print
