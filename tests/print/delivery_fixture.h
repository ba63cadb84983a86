// Sealed delivery files and their receipts, built by code for the receipt and report tests.
#pragma once

#include <filesystem>
#include <string>

#include "support/declaration_builder.h"
#include "support/delivery/sealed_delivery_file.h"
#include "support/file_bytes.h"
#include "support/temp_folder.h"

namespace kova::printtest {

namespace fs = std::filesystem;

// A fresh folder removed with everything in it at the end of the test.
using ScratchFolder = testing_support::TempFolder;

// The delivery file of a clean declaration, sealed as generation seals it.
using testing_support::writeSealedDeliveryFile;

struct ReceiptOptions {
    std::string ni = std::string(14, ' ');  // NI of the signing certificate (RC 78-91); received 30/04/2024 14:05:09
};

// The receipt (".REC") the agency leaves beside the delivery file, accepted by validateReceipt.
fs::path writeReceipt(const fs::path& deliveryFile, const ReceiptOptions& options = {});

using testing_support::readBytes;
using testing_support::writeBytes;

}  // namespace kova::printtest
