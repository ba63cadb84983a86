#include "delivery_fixture.h"

#include <cstdio>
#include <fstream>
#include <vector>

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
    const DateTime& t = o.reception;
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%02d%02d%04d%02d%02d%02d", t.day, t.month, t.year, t.hour, t.minute, t.second);
    std::string rc = "RC" + cnpj + stamp;
    rc.resize(59, ' ');
    rc += authenticationCode(cnpj, seal, t.day, t.month, t.year, t.hour, t.minute, t.second);
    rc.resize(77, ' ');
    rc += o.ni;
    std::vector<std::string> lines{"HC" + deliveryFile.filename().string(), rc};
    if (o.withNC) lines.push_back("NC");
    lines.push_back("TC000003");
    std::string text;
    std::string checksum = "0";
    for (const std::string& line : lines) {
        checksum = continueSeal(line, checksum);
        text += line + checksum + "\r\n";
    }
    const fs::path receipt = receiptPathOf(deliveryFile);
    writeBytes(receipt, text);
    return receipt;
}

}  // namespace kova::printtest
