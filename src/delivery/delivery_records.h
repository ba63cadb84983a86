// The records of the sealed delivery file (".DEC"): building them for generation and reading the header back.
// Records are Windows-1252 bytes without their CR LF; positions are 1-based byte positions.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/declaration_names.h"
#include "core/decimal_total.h"
#include "core/record_layout.h"

namespace kova {

constexpr std::size_t kSealLength = 10;
constexpr std::size_t kDeliveryHeaderLength = 374;
constexpr std::string_view kDeliveryHeaderTag = "KOVALDF ";
constexpr std::string_view kLineEnd = "\r\n";

// The values the header carries besides its two seals, as record bytes copied from the validated input.
struct DeliveryHeaderFields {
    std::string year;                    // input header 24-27
    std::string type;                   // input header 44
    std::string cnpj;               // input header 10-23
    std::string name;                   // input header 57-116 as cut (padded to 60 in the header, not in "R1")
    std::string uf;                     // input header 55-56
    std::string representativeCpf;       // type-2 record 10-20
    std::string rectifiedReceipt;       // positions 128-137; empty means ten "0" characters
    std::string situation;               // input header 45-46
    std::string periodStart;         // input header 28-35
    std::string periodEnd;           // input header 36-43
    std::string eventDate;             // input header 47-54
    std::string representativePhoneBlock;  // type-2 record 21-38
    DecimalTotal baseTotal;
    DecimalTotal levyTotal;
    std::int64_t count3 = 0;
    std::int64_t count4 = 0;
};

// The key of the header seal: upper-cased first 8 and last 4 characters of the delivery file name (its rule:
// deliveryFileName in core/declaration_names.h).
std::string headerSealKey(std::string_view deliveryFileName);

// Detail record: the input line as read followed by its seal.
std::string sealedDetailRecord(std::string_view inputLine);
// "R1" + CNPJ + name (not padded) + seal.
std::string receiptRecord(std::string_view cnpj, std::string_view name);
// "R" + 131 "9" + receipt seal + seal (152 characters).
std::string receiptClosingRecord(std::string_view receiptSealText);
// Positions 1-364 of the header (everything but its seal), in layout order.
std::string headerBody(const DeliveryHeaderFields& fields, std::string_view detailSealText);
// The complete header: body + seal over key + body.
std::string headerRecord(const DeliveryHeaderFields& fields, std::string_view detailSealText,
                         std::string_view deliveryFileName);

// The header record of a delivery file, read back by position.
class DeliveryHeaderView : public RecordView {
public:
    using RecordView::RecordView;
    std::string_view tag() const { return field(1, 8); }
    std::string_view type() const { return field(21, 1); }
    std::string_view cnpj() const { return field(22, 14); }
    std::string_view name() const { return field(40, 60); }
    std::string_view uf() const { return field(100, 2); }
    std::string_view detailSeal() const { return field(102, 10); }
    std::string_view representativeCpf() const { return field(113, 11); }
    std::string_view year() const { return field(124, 4); }
    std::string_view rectifiedReceipt() const { return field(128, 10); }
    std::string_view situation() const { return field(138, 2); }
    std::string_view periodStart() const { return field(140, 8); }
    std::string_view periodEnd() const { return field(148, 8); }
    std::string_view eventDate() const { return field(156, 8); }
    std::string_view baseTotal() const { return field(164, 40); }
    std::string_view levyTotal() const { return field(204, 40); }
    std::string_view representativePhoneBlock() const { return field(244, 18); }
    std::string_view count3() const { return field(262, 9); }
    std::string_view count4() const { return field(271, 9); }
    std::string_view headerSeal() const { return field(365, 10); }
};

// Whether an existing delivery header identifies the same declaration: CNPJ, year, type, situation and date of
// the special situation all equal.
bool sameDeclaration(const DeliveryHeaderView& existing, const DeliveryHeaderFields& incoming);

// The record text and the seal that ends it; false when the line is too short to carry one.
bool splitSeal(std::string_view line, std::string_view& text, std::string_view& seal);

}  // namespace kova
