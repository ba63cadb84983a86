#include "print_fixtures.h"

#include <gtest/gtest.h>

#include "core/error_texts.h"
#include "core/faults.h"
#include "delivery/delivery_records.h"
#include "delivery/receipt_validation.h"
#include "delivery/seals.h"

namespace kova::printtest {

void TextErrorLog::listErrors(const std::function<bool(const ErrorListing&)>& visit) {
    int n = 0;
    MemoryErrorLog::listErrors([&](const ErrorListing& row) {
        if (failAtRow > 0 && ++n == failAtRow) throw Fault(3049);
        return visit(row);
    });
}

std::string TextErrorLog::description(int code) const { return std::string(errorText(code)); }

void expectGolden(const std::string& name, const std::vector<print::RecordedPage>& pages) {
    const std::string actual = print::annotatedText(pages);
    const std::string path = std::string(KOVA_GOLDEN_DIR) + "/" + name + ".txt";
    EXPECT_EQ(readBytes(path), actual) << name << ".txt";
}

std::vector<std::string> lineTexts(const print::RecordedPage& page) {
    std::vector<std::string> out;
    for (const auto& l : page.lines) out.push_back(l.text());
    return out;
}

fs::path writeReceipt(const fs::path& deliveryFile, const std::string& ni) {
    const std::string bytes = readBytes(deliveryFile);
    const std::string headerLine = bytes.substr(0, bytes.find('\n'));
    const DeliveryHeaderView header(headerLine);
    const std::string cnpj(header.cnpj());
    std::string rc = "RC" + cnpj + "30042024140509";
    rc.resize(59, ' ');
    rc += authenticationCode(cnpj, std::string(header.detailSeal()), 30, 4, 2024, 14, 5, 9);
    rc.resize(77, ' ');
    rc += ni;
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
