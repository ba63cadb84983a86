// The declaration file's fixed-width records: accessors named after the layout's fields.
// A record is its bytes (Windows-1252) without the CR LF; positions are 1-based byte positions.
// A short record gives an empty or shortened text past its end: nothing ever reads out of bounds.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kova {

constexpr std::size_t kRecordLength = 142;

class RecordView {
public:
    RecordView() = default;
    explicit RecordView(std::string_view bytes) : bytes_(bytes) {}

    // Positions first..first+length-1, clipped to the record.
    std::string_view field(std::size_t first, std::size_t length) const {
        if (first == 0 || first > bytes_.size()) return {};
        return bytes_.substr(first - 1, length);
    }
    // Position p as a text of one character, empty past the end.
    std::string_view at(std::size_t p) const { return field(p, 1); }
    std::size_t length() const { return bytes_.size(); }
    std::string_view bytes() const { return bytes_; }

    std::string_view sequence() const { return field(1, 8); }
    std::string_view recordType() const { return field(9, 1); }
    bool isTrailer() const { return at(1) == "T"; }

private:
    std::string_view bytes_;
};

// DDMMYYYY → YYYYMMDD (characters 5-8, 3-4, 1-2). A short text gives the pieces that exist.
std::string toYearMonthDay(std::string_view ddmmyyyy);
// An amount of 17 digits with 2 implied decimals, in hundredths. Assumes digits (check isNumeric first).
std::uint64_t amountValue(std::string_view seventeenDigits);

// Type 1: the header.
class HeaderRecord : public RecordView {
public:
    using RecordView::RecordView;
    std::string_view cnpj() const { return field(10, 14); }
    std::string_view year() const { return field(24, 4); }
    std::string_view periodStart() const { return field(28, 8); }
    std::string_view periodEnd() const { return field(36, 8); }
    std::string_view type() const { return field(44, 1); }
    std::string_view situation() const { return field(45, 2); }
    std::string_view eventDate() const { return field(47, 8); }
    std::string_view uf() const { return field(55, 2); }
    std::string_view name() const { return field(57, 60); }
    std::string_view fileTag() const { return field(117, 7); }  // the constant "KOVALDF"
    std::string_view filler() const { return field(124, 19); }
    std::string periodStartYmd() const { return toYearMonthDay(periodStart()); }
    std::string periodEndYmd() const { return toYearMonthDay(periodEnd()); }
    std::string eventDateYmd() const { return toYearMonthDay(eventDate()); }
};

// Type 2: legal representative and person responsible.
class ContactRecord : public RecordView {
public:
    using RecordView::RecordView;
    std::string_view representativeCpf() const { return field(10, 11); }
    std::string_view representativeAreaCode() const { return field(21, 4); }
    std::string_view representativePhone() const { return field(25, 9); }
    std::string_view representativeExtension() const { return field(34, 5); }
    std::string_view responsibleCpf() const { return field(39, 11); }
    std::string_view responsibleAreaCode() const { return field(50, 4); }
    std::string_view responsiblePhone() const { return field(54, 9); }
    std::string_view responsibleExtension() const { return field(63, 5); }
    std::string_view filler() const { return field(68, 75); }
    // Positions 21-38: area code, number and extension of the representative, as the delivery header carries them.
    std::string_view representativePhoneBlock() const { return field(21, 18); }
};

// Type 3 (charitable entities) and type 4 (beneficiaries of diplomatic immunities).
class EntityRecord : public RecordView {
public:
    using RecordView::RecordView;
    std::string_view type() const { return field(10, 1); }      // "J" or "F"
    std::string_view cnpj() const { return field(11, 14); }
    std::string_view cpfPrefix() const { return field(11, 3); }  // "000" for an "F" record
    std::string_view cpf() const { return field(14, 11); }       // the CPF of an "F" record
    std::string_view name() const { return field(25, 118); }
};

// Type 5: the levy neither withheld nor paid.
class LevyRecord : public RecordView {
public:
    using RecordView::RecordView;
    std::string_view sequence() const { return field(1, 8); }
    std::string_view cnpj() const { return field(10, 14); }
    std::string_view dueDate() const { return field(24, 8); }
    std::string_view baseAmount() const { return field(32, 17); }
    std::string_view levyAmount() const { return field(49, 17); }
    std::string_view filler() const { return field(66, 77); }
    std::string dueDateYmd() const { return toYearMonthDay(dueDate()); }
};

// The trailer: "T", 137 nines, the year.
class TrailerRecord : public RecordView {
public:
    using RecordView::RecordView;
    std::string_view filler() const { return field(2, 137); }
    std::string_view year() const { return field(139, 4); }
};

}  // namespace kova
