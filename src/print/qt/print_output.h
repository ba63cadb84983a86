// What kova-cli's printing commands share: where the document goes (default printer, PDF file or text on
// stdout), the application object Qt needs to draw, and the batch answers to the print questions.
#pragma once

#include <filesystem>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "core/ports.h"
#include "print/printer.h"

namespace kova::print {

struct PrintDestination {
    enum class Kind { DefaultPrinter, Pdf, Text };
    Kind kind = Kind::DefaultPrinter;
    std::filesystem::path pdf;
};

// Takes "--pdf FILE" and "--texto" out of args. False, with the reason, when they are repeated or combined.
bool takePrintDestination(std::vector<std::string>& args, PrintDestination& destination, std::string& error);

// A QGuiApplication for the rest of the process; the offscreen platform when there is no display.
void ensureGuiApplication();

// The printer for the destination. Text pages go to `text` as they are finished, a form feed between pages.
std::unique_ptr<Printer> makePrinter(const PrintDestination& destination, std::ostream& text);

// Which fonts the documents can use here, for the person at the terminal.
std::string documentFontsReport();

// Messages on `out`. The commands are themselves the confirmation, so a print question is answered Yes; a
// retry question ("Tenta novamente ?") is answered No, as nobody is there to fix the cause.
class BatchPrintPrompts : public Prompts {
public:
    explicit BatchPrintPrompts(std::ostream& out) : out_(out) {}
    Answer show(const Message& message) override;

private:
    std::ostream& out_;
};

}  // namespace kova::print
