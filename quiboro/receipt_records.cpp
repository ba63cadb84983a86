#include "quiboro/receipt_records.h"

#include <cstdio>

#include "delivery/delivery_records.h"
#include "delivery/seals.h"

namespace quiboro {

namespace {

std::string fitted(std::string_view text, std::size_t width) {
    std::string out(text.substr(0, width));
    out.resize(width, ' ');
    return out;
}

std::string receptionStamp(const kova::DateTime& t) {
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%02d%02d%04d%02d%02d%02d", t.day, t.month, t.year, t.hour, t.minute,
                  t.second);
    return stamp;
}

}  // namespace

std::string receiptText(const ReceiptContent& content) {
    const std::string cnpj = fitted(content.cnpj, 14);
    const std::string seal = fitted(content.detailSeal, 10);
    const kova::DateTime& t = content.reception;

    using R = kova::ReceiptRecordLayout;
    // The certificate's NI stays blank: the declaration is not signed with a certificate.
    std::string rc(R::certificateId.last(), ' ');
    kova::writeField(rc, R::tag, "RC");
    kova::writeField(rc, R::cnpj, cnpj);
    kova::writeField(rc, R::reception, receptionStamp(t));
    kova::writeField(rc, R::detailSeal, seal);
    kova::writeField(rc, R::authenticationCode,
                     kova::authenticationCode(cnpj, seal, t.day, t.month, t.year, t.hour, t.minute, t.second));

    const std::string lines[] = {"HC" + fitted(content.deliveryFileName, 40), rc, "TC000003"};
    std::string text;
    std::string checksum = "0";
    for (const std::string& line : lines) {
        checksum = kova::continueSeal(line, checksum);
        text += line + checksum + "\r\n";
    }
    return text;
}

std::filesystem::path receiptPathFor(const std::filesystem::path& deliveryFile) {
    std::string path = deliveryFile.string();
    path.replace(path.size() < 4 ? path.size() : path.size() - 4, 4, ".REC");
    return path;
}

}  // namespace quiboro
