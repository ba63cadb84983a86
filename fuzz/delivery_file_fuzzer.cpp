// The readers of a delivery file, the integrity check and the header reader, on any bytes under the name of a
// real delivery file: they never crash, and a file they call intact holds declaration records.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>

#include "delivery/header_reader.h"
#include "delivery/integrity_check.h"
#include "fuzz_support.h"
#include "support/delivery/sealed_delivery_file.h"
#include "support/file_bytes.h"

namespace fs = std::filesystem;
using namespace kova;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // Written once for its name, which keys the header seal; every input then takes its place.
    static const fs::path deliveryFile =
        testing_support::writeSealedDeliveryFile(fuzzing::workFolder() / "entrega", fuzzing::seedDeclaration());
    const fuzzing::FuzzInput input = fuzzing::splitInput(data, size);
    testing_support::writeBytes(deliveryFile,
                                input.reseal ? fuzzing::resealedDeliveryFile(input.bytes,
                                                                             deliveryFile.filename().string())
                                             : std::string(input.bytes));

    fuzzing::CautiousPrompts prompts;
    DeclarationCheck check;
    if (checkDeclaration(deliveryFile.string(), prompts, check)) {
        if (check.count3 + check.count4 + check.count5 == 0) fuzzing::violated("intact without detail records");
        if (check.detailSealText.size() != 10) fuzzing::violated("detail seal text of the wrong length");
    }
    std::string header;
    readDeliveryHeader(deliveryFile, header);
    return 0;
}
