// Test fixtures: declaration records and whole declarations built by code, always valid unless a test changes them.
//
// Records are the bytes of one line without its CR LF, Windows-1252, built at the exact layout positions.
// Every builder starts from a valid record; its named setters (named after the layout's fields, like the accessors
// of core/record_layout.h) overwrite one field, and `put` / `resize` break the layout on purpose.
//
//   using namespace kova::fixtures;
//   std::string header = HeaderBuilder().situation("01").eventDate("31122023").build();
//   std::string bad = LevyBuilder(7).dueDate("31042023").build();             // line 7, 31 April
//   std::string shortOne = ContactBuilder().resize(141).build();              // a structure error
//
//   DeclarationBuilder dec(2023);              // header, contacts, no details, trailer
//   dec.type3(2).type4F(1).type4J(1).type5(30);
//   dec.replaceRecord(4, EntityBuilder::type3(4, 99).name("entidade").build());  // one bad field, line 4
//   std::string file = dec.str();              // every record followed by CR LF
//   dec.write(out);                            // the same, streamed (large declarations)
//   std::string file2 = cleanDeclaration(3, 2, 5);
//
// Check digits are computed here on their own (not through core/field_checks), so tests cross-check both.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "core/record_layout.h"

namespace kova::fixtures {

inline constexpr int kDefaultYear = 2023;

// --- Identifiers and field texts ---------------------------------------------------------------------------------

// A CNPJ from its first 12 digits (the number is zero-padded to 12), with its two check digits appended.
std::string makeCnpj(std::uint64_t first12);
// A CPF from its first 9 digits (zero-padded to 9), with its two check digits appended.
std::string makeCpf(std::uint64_t first9);
// The n-th (0-based) of a strictly ascending series of valid CNPJs / CPFs, none of them all zeros.
std::string nthCnpj(std::size_t n);
std::string nthCpf(std::size_t n);
// The declarant's CNPJ used by default in the header (outside the nthCnpj series).
std::string declarantCnpj();

// `value` as decimal digits, zero-padded on the left to `width`.
std::string zeroPadded(std::uint64_t value, std::size_t width);

// --- Record builders ---------------------------------------------------------------------------------------------

// Shared part of all record builders. A field setter writes its text into the field, padded with blanks when
// shorter and cut when longer, so the rest of the record never moves.
template <class Derived>
class RecordBuilder {
public:
    // Raw bytes at 1-based position `first`, growing the record with blanks if needed.
    Derived& put(std::size_t first, std::string_view bytes) {
        if (first == 0) first = 1;
        if (bytes_.size() < first - 1 + bytes.size()) bytes_.resize(first - 1 + bytes.size(), ' ');
        bytes_.replace(first - 1, bytes.size(), bytes);
        return self();
    }
    // Cut, or extend with blanks, to `length` bytes (141 or 143 give a record of the wrong length).
    Derived& resize(std::size_t length) {
        bytes_.resize(length, ' ');
        return self();
    }
    // The record's bytes, without CR LF. Keep the string alive while a RecordView looks at it.
    std::string build() const { return bytes_; }

protected:
    RecordBuilder() : bytes_(kRecordLength, ' ') {}
    Derived& setField(const Field& field, std::string_view text) {
        writeField(bytes_, field, text);
        return self();
    }
    Derived& self() { return static_cast<Derived&>(*this); }

private:
    std::string bytes_;
};

// Type 1. Defaults: sequence "00000001", declarantCnpj(), Ano = year, period 1 Jan to 31 Dec of the year,
// Tipo "0", SITUACAO "00", DATAEVENTO "00000000", UF "SP", a valid upper-case NOME, "KOVALDF", blank filler.
class HeaderBuilder : public RecordBuilder<HeaderBuilder> {
    using F = HeaderField;

public:
    explicit HeaderBuilder(int year = kDefaultYear);
    HeaderBuilder& sequence(std::string_view text) { return setField(kSequenceField, text); }
    HeaderBuilder& recordType(std::string_view text) { return setField(kRecordTypeField, text); }
    HeaderBuilder& cnpj(std::string_view text) { return setField(F::cnpj, text); }
    HeaderBuilder& year(std::string_view text) { return setField(F::year, text); }
    HeaderBuilder& periodStart(std::string_view ddmmyyyy) { return setField(F::periodStart, ddmmyyyy); }
    HeaderBuilder& periodEnd(std::string_view ddmmyyyy) { return setField(F::periodEnd, ddmmyyyy); }
    HeaderBuilder& type(std::string_view text) { return setField(F::type, text); }
    HeaderBuilder& situation(std::string_view text) { return setField(F::situation, text); }
    HeaderBuilder& eventDate(std::string_view ddmmyyyy) { return setField(F::eventDate, ddmmyyyy); }
    HeaderBuilder& uf(std::string_view text) { return setField(F::uf, text); }
    HeaderBuilder& name(std::string_view text) { return setField(F::name, text); }
    HeaderBuilder& fileTag(std::string_view text) { return setField(F::fileTag, text); }
    HeaderBuilder& filler(std::string_view text) { return setField(F::filler, text); }
};

// Type 2. Defaults: sequence "00000002", two different valid CPFs, area codes "0011" and "0021", telephone
// numbers, extensions "00000" and "01234", blank filler.
class ContactBuilder : public RecordBuilder<ContactBuilder> {
    using F = ContactField;

public:
    ContactBuilder();
    ContactBuilder& sequence(std::string_view text) { return setField(kSequenceField, text); }
    ContactBuilder& recordType(std::string_view text) { return setField(kRecordTypeField, text); }
    ContactBuilder& representativeCpf(std::string_view text) { return setField(F::representativeCpf, text); }
    ContactBuilder& representativeAreaCode(std::string_view text) { return setField(F::representativeAreaCode, text); }
    ContactBuilder& representativePhone(std::string_view text) { return setField(F::representativePhone, text); }
    ContactBuilder& representativeExtension(std::string_view text) { return setField(F::representativeExtension, text); }
    ContactBuilder& responsibleCpf(std::string_view text) { return setField(F::responsibleCpf, text); }
    ContactBuilder& responsibleAreaCode(std::string_view text) { return setField(F::responsibleAreaCode, text); }
    ContactBuilder& responsiblePhone(std::string_view text) { return setField(F::responsiblePhone, text); }
    ContactBuilder& responsibleExtension(std::string_view text) { return setField(F::responsibleExtension, text); }
    ContactBuilder& filler(std::string_view text) { return setField(F::filler, text); }
};

// Types 3 and 4. `line` is the record's line number (its sequence); `n` picks the n-th CNPJ or CPF of the
// ascending series and numbers the default name ("ENTIDADE BENEFICENTE 1"...), so records built with
// n = 0, 1, 2... are in valid order.
class EntityBuilder : public RecordBuilder<EntityBuilder> {
    using F = EntityField;

public:
    static EntityBuilder type3(std::size_t line, std::size_t n = 0);   // "3", "J", nthCnpj(n)
    static EntityBuilder type4J(std::size_t line, std::size_t n = 0);  // "4", "J", nthCnpj(n)
    static EntityBuilder type4F(std::size_t line, std::size_t n = 0);  // "4", "F", "000" + nthCpf(n)
    EntityBuilder& sequence(std::size_t line) { return sequence(zeroPadded(line, kSequenceField.length)); }
    EntityBuilder& sequence(std::string_view text) { return setField(kSequenceField, text); }
    EntityBuilder& recordType(std::string_view text) { return setField(kRecordTypeField, text); }
    EntityBuilder& type(std::string_view text) { return setField(F::type, text); }
    EntityBuilder& cnpj(std::string_view text) { return setField(F::cnpj, text); }
    EntityBuilder& cpfPrefix(std::string_view text) { return setField(F::cpfPrefix, text); }
    EntityBuilder& cpf(std::string_view text) { return setField(F::cpf, text); }
    EntityBuilder& name(std::string_view text) { return setField(F::name, text); }

private:
    EntityBuilder() = default;
    static EntityBuilder make(std::size_t line, std::string_view recordType, std::string_view type,
                              std::string_view namePrefix, std::size_t n);
};

// Type 5. `line` is the record's line number; `k` picks the k-th record of a valid series for `year`: CNPJ
// nthCnpj(k / 12), due date day 10 of month k % 12 + 1, amounts levyBase(k) and levyKova(k), blank filler.
class LevyBuilder : public RecordBuilder<LevyBuilder> {
    using F = LevyField;

public:
    explicit LevyBuilder(std::size_t line = 3, std::size_t k = 0, int year = kDefaultYear);
    static std::uint64_t levyBase(std::size_t k);  // non-zero, different for every k
    static std::uint64_t levyKova(std::size_t k);  // non-zero
    LevyBuilder& sequence(std::size_t line) { return sequence(zeroPadded(line, F::sequence.length)); }
    LevyBuilder& sequence(std::string_view text) { return setField(F::sequence, text); }
    LevyBuilder& recordType(std::string_view text) { return setField(kRecordTypeField, text); }
    LevyBuilder& cnpj(std::string_view text) { return setField(F::cnpj, text); }
    LevyBuilder& dueDate(std::string_view ddmmyyyy) { return setField(F::dueDate, ddmmyyyy); }
    LevyBuilder& baseAmount(std::uint64_t hundredths) { return baseAmount(zeroPadded(hundredths, F::baseAmount.length)); }
    LevyBuilder& baseAmount(std::string_view text) { return setField(F::baseAmount, text); }
    LevyBuilder& levyAmount(std::uint64_t hundredths) { return levyAmount(zeroPadded(hundredths, F::levyAmount.length)); }
    LevyBuilder& levyAmount(std::string_view text) { return setField(F::levyAmount, text); }
    LevyBuilder& filler(std::string_view text) { return setField(F::filler, text); }
};

// The trailer: "T", 137 times "9", the year.
class TrailerBuilder : public RecordBuilder<TrailerBuilder> {
    using F = TrailerField;

public:
    explicit TrailerBuilder(int year = kDefaultYear);
    TrailerBuilder& recordType(std::string_view text) { return setField(F::recordType, text); }
    TrailerBuilder& filler(std::string_view text) { return setField(F::filler, text); }
    TrailerBuilder& year(std::string_view text) { return setField(F::year, text); }
};

// --- Whole declarations ------------------------------------------------------------------------------------------

// A clean declaration: header, contacts, the type 3 records, the type 4 "F" records then the "J" records (an "F"
// after a "J" is an error), the type 5 records, the trailer. Details have ascending identifiers and sequence
// numbers equal to their line numbers. Type 5 records go twelve per CNPJ with monthly due dates (day 10) in the
// declaration's year and non-zero amounts: type 5 record k is LevyBuilder(line, k, year).
class DeclarationBuilder {
public:
    explicit DeclarationBuilder(int year = kDefaultYear);

    DeclarationBuilder& type3(std::size_t count) { return counted(type3_, count); }
    DeclarationBuilder& type4F(std::size_t count) { return counted(type4F_, count); }
    DeclarationBuilder& type4J(std::size_t count) { return counted(type4J_, count); }
    DeclarationBuilder& type5(std::size_t count) { return counted(type5_, count); }

    // The header and contact records, to change before building.
    HeaderBuilder& header() { return header_; }
    ContactBuilder& contacts() { return contacts_; }

    // Puts `bytes` (without CR LF) in place of record `line` (1-based); a later call for the same line wins.
    DeclarationBuilder& replaceRecord(std::size_t line, std::string bytes);
    // Leaves the CR LF off the last record.
    DeclarationBuilder& withoutFinalCrLf(bool on = true);

    int year() const { return year_; }
    std::size_t recordCount() const;  // all records, header and trailer included
    std::string recordAt(std::size_t line) const;  // 1-based, without CR LF
    std::vector<std::string> records() const;
    std::string str() const;  // the whole file
    void write(std::ostream& out) const;

private:
    DeclarationBuilder& counted(std::size_t& field, std::size_t count) {
        field = count;
        return *this;
    }
    int year_;
    std::size_t type3_ = 0, type4F_ = 0, type4J_ = 0, type5_ = 0;
    HeaderBuilder header_;
    ContactBuilder contacts_;
    std::map<std::size_t, std::string> replaced_;
    bool finalCrLf_ = true;
};

// A clean declaration of kDefaultYear as the file's text: `type4` records are split into F (the first half,
// rounded down) and J. At least one detail record is needed for the declaration to be valid.
std::string cleanDeclaration(std::size_t type3, std::size_t type4, std::size_t type5);

}  // namespace kova::fixtures
