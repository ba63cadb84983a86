#include "delivery/delivery_records.h"

#include <cstdio>

#include "core/text.h"
#include "delivery/seals.h"

namespace kova {

namespace {

std::string digitsOfCount(std::int64_t count, int width) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%0*lld", width, static_cast<long long>(count < 0 ? 0 : count));
    return buffer;
}

std::string sealed(std::string text) {
    text += sealText(text);
    return text;
}

}  // namespace

std::string headerSealKey(std::string_view deliveryFileName) {
    std::string key(deliveryFileName.substr(0, 8));
    key.append(deliveryFileName.size() >= 4 ? deliveryFileName.substr(deliveryFileName.size() - 4) : deliveryFileName);
    for (char& c : key) c = upperAscii(c);
    return key;
}

std::string sealedDetailRecord(std::string_view inputLine) {
    return sealed(std::string(inputLine));
}

std::string receiptRecord(std::string_view cnpj, std::string_view name) {
    std::string r1 = "R1";
    r1.append(cnpj).append(name);
    return sealed(std::move(r1));
}

std::string receiptClosingRecord(std::string_view receiptSealText) {
    std::string r9 = "R";
    r9.append(131, '9').append(receiptSealText);
    return sealed(std::move(r9));
}

std::string headerBody(const DeliveryHeaderFields& f, std::string_view detailSealText) {
    std::string h;
    h.reserve(kDeliveryHeaderLength);
    h.append(kDeliveryHeaderTag).append(4, ' ').append(f.year).append("1716").append(f.type);
    h.append(f.cnpj).append("2").append("300");
    h.append(f.name);
    if (f.name.size() < 60) h.append(60 - f.name.size(), ' ');
    h.append(f.uf).append(detailSealText).append("1").append(f.representativeCpf).append(f.year);
    h.append(f.rectifiedReceipt.empty() ? std::string(10, '0') : f.rectifiedReceipt);
    h.append(f.situation).append(f.periodStart).append(f.periodEnd).append(f.eventDate);
    h.append(f.baseTotal.toDigits(40)).append(f.levyTotal.toDigits(40));
    h.append(f.representativePhoneBlock);
    h.append(digitsOfCount(f.count3, 9)).append(digitsOfCount(f.count4, 9));
    h.append(85, ' ');
    return h;
}

std::string headerRecord(const DeliveryHeaderFields& fields, std::string_view detailSealText,
                         std::string_view deliveryFileName) {
    std::string body = headerBody(fields, detailSealText);
    std::string keyed = headerSealKey(deliveryFileName);
    keyed += body;
    body += sealText(keyed);
    return body;
}

bool sameDeclaration(const DeliveryHeaderView& existing, const DeliveryHeaderFields& incoming) {
    return existing.cnpj() == incoming.cnpj && existing.year() == incoming.year &&
           existing.type() == incoming.type && existing.situation() == incoming.situation &&
           existing.eventDate() == incoming.eventDate;
}

bool splitSeal(std::string_view line, std::string_view& text, std::string_view& seal) {
    if (line.size() < kSealLength) return false;
    text = line.substr(0, line.size() - kSealLength);
    seal = line.substr(line.size() - kSealLength);
    return true;
}

}  // namespace kova
