// The receipt file ".REC": HC, RC and TC lines, each ended by the running checksum of the lines so far.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "core/clock.h"

namespace quiboro {

struct ReceiptContent {
    std::string deliveryFileName;  // written into HC for whoever reads the receipt by eye
    std::string cnpj;              // the declarant's CNPJ as the delivery header holds it (14 characters)
    std::string detailSeal;        // the detail seal of the delivery header
    kova::DateTime reception;
};

// The whole receipt, lines ended by CR LF.
std::string receiptText(const ReceiptContent& content);

// The delivery file's path with its last four characters (".DEC") replaced by ".REC".
std::filesystem::path receiptPathFor(const std::filesystem::path& deliveryFile);

}  // namespace quiboro
