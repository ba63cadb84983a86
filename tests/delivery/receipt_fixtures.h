// Receipt files built by code, as the agency's counterpart writes them: HC, RC, optional NC, TC, each line ending
// with the checksum that continues the one of the line before.
#pragma once

#include <string>
#include <vector>

#include "core/clock.h"

namespace kova::testing {

struct ReceiptFields {
    std::string cnpj;        // RC 3-16
    std::string detailSeal;  // of the delivery file, for the authentication code
    DateTime received{2024, 2, 5, 14, 30, 15};
    std::string ni = "12345678909   ";  // RC 78-91
    std::string code;                   // RC 60-69; empty: the code the authenticity test accepts
    int ncLines = 1;
    std::vector<std::string> afterTrailer;  // lines that follow TC (not read)
    // The RC date and time fields as written (DDMMYYYYhhmmss); empty: from `received`.
    std::string receptionText;
};

// The lines' texts without checksums, in order.
std::vector<std::string> receiptTexts(const ReceiptFields& receipt);
// The whole file: each text with its chained checksum, CR LF after each line.
std::string receiptFile(const ReceiptFields& receipt);
std::string chainedLines(const std::vector<std::string>& texts);

}  // namespace kova::testing
