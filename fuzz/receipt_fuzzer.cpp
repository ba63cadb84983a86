// Receipt validation on any receipt beside a real delivery file: it never crashes, and a receipt it accepts
// yields a whole receipt number and authentication code.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>

#include "delivery/receipt_validation.h"
#include "fuzz_support.h"
#include "support/delivery/sealed_delivery_file.h"
#include "support/file_bytes.h"

namespace fs = std::filesystem;
using namespace kova;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const fs::path deliveryFile =
        testing_support::writeSealedDeliveryFile(fuzzing::workFolder() / "entrega", fuzzing::seedDeclaration());
    static const fs::path receipt = receiptPathOf(deliveryFile);
    const fuzzing::FuzzInput input = fuzzing::splitInput(data, size);
    testing_support::writeBytes(receipt, input.reseal ? fuzzing::rechainedReceipt(input.bytes)
                                                      : std::string(input.bytes));

    fuzzing::CautiousPrompts prompts;
    ReceiptData receiptData;
    if (validateReceipt(deliveryFile, prompts, receiptData)) {
        if (receiptData.receiptNumber.size() != 12) fuzzing::violated("receipt number of the wrong length");
        if (receiptData.authenticationCode.size() != 10) fuzzing::violated("authentication code of the wrong length");
    }
    return 0;
}
