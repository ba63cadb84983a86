#include "delivery_fixture.h"

#include <fstream>

#include "delivery/delivery_records.h"
#include "delivery/receipt_validation.h"
#include "delivery/seals.h"

namespace kova::printtest {

fs::path writeReceipt(const fs::path& deliveryFile, const ReceiptOptions& o) {
    std::string headerLine;
    {
        std::ifstream in(deliveryFile, std::ios::binary);
        std::getline(in, headerLine);
    }
    const DeliveryHeaderView header(headerLine);
    const std::string cnpj(header.cnpj());
    const std::string seal(header.detailSeal());
    std::string rc = "RC" + cnpj + "30042024140509";
    rc.resize(59, ' ');
    rc += authenticationCode(cnpj, seal, 30, 4, 2024, 14, 5, 9);
    rc.resize(77, ' ');
    rc += o.ni;
    std::string text;
    std::string checksum = "0";
    for (const std::string& line : {"HC" + deliveryFile.filename().string(), rc, std::string("TC000003")}) {
        checksum = continueSeal(line, checksum);
        text += line + checksum + "\r\n";
    }
    const fs::path receipt = receiptPathOf(deliveryFile);
    writeBytes(receipt, text);
    return receipt;
}

}  // namespace kova::printtest
