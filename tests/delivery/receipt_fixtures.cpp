#include "receipt_fixtures.h"

#include <cstdio>
#include <cstdlib>

#include "delivery/seals.h"
#include "generation_fixtures.h"

namespace kova::testing {

std::vector<std::string> receiptTexts(const ReceiptFields& receipt) {
    const DateTime& t = receipt.received;
    char when[32];
    std::snprintf(when, sizeof when, "%02d%02d%04d%02d%02d%02d", t.day, t.month, t.year, t.hour, t.minute, t.second);
    const std::string code = receipt.code.empty() ? authenticationCode(receipt.cnpj, receipt.detailSeal, t.day, t.month, t.year,
                                                                    t.hour, t.minute, t.second)
                                               : receipt.code;
    std::string rc = "RC" + receipt.cnpj + (receipt.receptionText.empty() ? std::string(when) : receipt.receptionText);
    rc.resize(59, ' ');
    rc += code;
    rc.resize(77, ' ');
    rc += receipt.ni;
    rc += "RECEBIDA";
    std::vector<std::string> texts{"HC" + std::string("RECIBO DE ENTREGA QOT 2024")};
    texts.push_back(rc);
    for (int i = 0; i < receipt.ncLines; ++i) texts.push_back("NC" + std::string("OBSERVACAO ") + std::to_string(i));
    texts.push_back("TC" + std::string("FIM"));
    return texts;
}

std::string chainedLines(const std::vector<std::string>& texts) {
    std::string file;
    unsigned long seed = 0;
    for (const std::string& text : texts) {
        const std::string checksum = zlibSeal(text, seed);
        seed = std::strtoul(checksum.c_str(), nullptr, 10);
        file += text + checksum + "\r\n";
    }
    return file;
}

std::string receiptFile(const ReceiptFields& receipt) {
    std::string file = chainedLines(receiptTexts(receipt));
    for (const std::string& line : receipt.afterTrailer) file += line + "\r\n";
    return file;
}

}  // namespace kova::testing
