#include "receipt_fixtures.h"

#include <cstdio>
#include <cstdlib>

#include "delivery/seals.h"
#include "generation_fixtures.h"

namespace kova::testing {

std::vector<std::string> receiptTexts(const ReceiptSpec& spec) {
    const DateTime& t = spec.received;
    char when[32];
    std::snprintf(when, sizeof when, "%02d%02d%04d%02d%02d%02d", t.day, t.month, t.year, t.hour, t.minute, t.second);
    const std::string code = spec.code.empty() ? authenticationCode(spec.cnpj, spec.detailSeal, t.day, t.month, t.year,
                                                                    t.hour, t.minute, t.second)
                                               : spec.code;
    std::string rc = "RC" + spec.cnpj + (spec.receptionText.empty() ? std::string(when) : spec.receptionText);
    rc.resize(59, ' ');
    rc += code;
    rc.resize(77, ' ');
    rc += spec.ni;
    rc += "RECEBIDA";
    std::vector<std::string> texts{"HC" + std::string("RECIBO DE ENTREGA QOT 2024")};
    texts.push_back(rc);
    for (int i = 0; i < spec.ncLines; ++i) texts.push_back("NC" + std::string("OBSERVACAO ") + std::to_string(i));
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

std::string receiptFile(const ReceiptSpec& spec) {
    std::string file = chainedLines(receiptTexts(spec));
    for (const std::string& line : spec.afterTrailer) file += line + "\r\n";
    return file;
}

}  // namespace kova::testing
