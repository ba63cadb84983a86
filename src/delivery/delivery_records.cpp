#include "delivery/delivery_records.h"

#include <cstdio>
#include <utility>

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
    using H = DeliveryHeaderLayout;
    const std::pair<Field, std::string> values[] = {
        {H::tag, std::string(kDeliveryHeaderTag)}, {H::year, f.year}, {H::fixed1716, "1716"}, {H::type, f.type},
        {H::cnpj, f.cnpj}, {H::fixed2, "2"}, {H::fixed300, "300"}, {H::name, f.name}, {H::uf, f.uf},
        {H::detailSeal, std::string(detailSealText)}, {H::fixed1, "1"}, {H::representativeCpf, f.representativeCpf},
        {H::yearAgain, f.year},
        {H::rectifiedReceipt,
         f.rectifiedReceipt.empty() ? std::string(H::rectifiedReceipt.length, '0') : f.rectifiedReceipt},
        {H::situation, f.situation}, {H::periodStart, f.periodStart}, {H::periodEnd, f.periodEnd},
        {H::eventDate, f.eventDate}, {H::baseTotal, f.baseTotal.toDigits(H::baseTotal.length)},
        {H::levyTotal, f.levyTotal.toDigits(H::levyTotal.length)},
        {H::representativePhoneBlock, f.representativePhoneBlock},
        {H::count3, digitsOfCount(f.count3, H::count3.length)}, {H::count4, digitsOfCount(f.count4, H::count4.length)}};
    // The blank fields stay as they start.
    std::string h(H::headerSeal.first - 1, ' ');
    for (const auto& [field, text] : values) writeField(h, field, text);
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
