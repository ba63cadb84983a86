// The delivery receipt ("RECIBO DE ENTREGA DA DECLARAÇÃO"): one page drawn from ReceiptData, and the checks the
// receipt screen runs before it prints.
#pragma once

#include <filesystem>
#include <functional>
#include <string>

#include "delivery/receipt_validation.h"
#include "print/print_context.h"

namespace kova::print {

// Sets the status text of the calling screen ("" clears it).
using StatusSink = std::function<void(const std::string&)>;

// The page. Throws kova::Fault when a field cannot be converted (a blank area code or extension) or the
// printer fails.
void drawReceiptPage(Printer& printer, const ReceiptData& data);

// Validates the receipt again, checks printer, fonts and telephone, and prints the page. True when the page was
// sent to the printer; every refusal and fault was told through the prompts.
bool printReceiptPage(const std::filesystem::path& deliveryFile, PrintContext& context, ReceiptData& data);

enum class ReceiptPrintResult {
    Declined,          // the confirmation was answered No
    Altered,           // the integrity check refused the delivery file
    ReceiptCorrupted,  // the receipt did not validate
    NotPrinted,        // printReceiptPage refused or failed
    Printed,
};

// "&Ok" of the receipt screen: confirmation, integrity check, receipt validation, the print, the success message.
ReceiptPrintResult printReceipt(const std::filesystem::path& deliveryFile, PrintContext& context, ReceiptData& data,
                                const StatusSink& status = {});

// The three lines shown when the integrity check refuses a delivery file before printing.
std::string alteredFileMessage();

}  // namespace kova::print
