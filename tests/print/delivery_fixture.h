// Sealed delivery files and their receipts, built by code for the receipt and report tests.
#pragma once

#include <filesystem>
#include <string>

#include "core/clock.h"
#include "support/declaration_builder.h"

namespace kova::printtest {

namespace fs = std::filesystem;

// A fresh folder removed with everything in it at the end of the test.
class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    const fs::path& path() const { return path_; }

private:
    fs::path path_;
};

// The delivery file of a clean declaration, sealed as generation seals it, written record by record into
// `folder` under its own name. Returns its path.
fs::path writeDeliveryFile(const fs::path& folder, const fixtures::DeclarationBuilder& declaration);

struct ReceiptOptions {
    std::string ni = std::string(14, ' ');  // NI of the signing certificate (RC 78-91)
    DateTime reception{2024, 4, 30, 14, 5, 9};
    bool withNC = false;
};

// The receipt (".REC") the agency leaves beside the delivery file, accepted by VALIDARECIBO.
fs::path writeReceipt(const fs::path& deliveryFile, const ReceiptOptions& options = {});

std::string readBytes(const fs::path& file);
void writeBytes(const fs::path& file, const std::string& bytes);

}  // namespace kova::printtest
