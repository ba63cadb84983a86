// checkPrinterFonts: the printer and font probe shared by every printed document.
#pragma once

#include <optional>
#include <string>

#include "print/printer.h"

namespace kova::print {

inline constexpr const char* kCourierNew = "Courier New";
inline constexpr const char* kCourier = "Courier";
inline constexpr const char* kArial = "Arial";

// The four printer state flags: cleared when the program starts, set only by checkPrinterFonts, never cleared after.
struct PrinterFlags {
    bool printerPresent = false;
    bool courierNew = false;
    bool courier = false;
    bool arial = false;
};

void checkPrinterFonts(Printer& printer, PrinterFlags& flags);

// "Courier New" when usable, else "Courier", else "Arial"; none when no font is usable.
std::optional<std::string> chooseFont(const PrinterFlags& flags);

}  // namespace kova::print
