// The declaration file's fixed-width records: one table of fields per record kind, and accessors that read
// through it. A record is its bytes (Windows-1252) without the CR LF; positions are 1-based byte positions.
// A short record gives an empty or shortened text past its end: nothing ever reads out of bounds.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace kova {

constexpr std::size_t kRecordLength = 142;

// One field of a fixed-width record: where it lies, its name in the layout and a label for people.
struct Field {
    std::size_t first = 0;
    std::size_t length = 0;
    std::string_view name;
    std::string_view label;
    constexpr std::size_t last() const { return first + length - 1; }
    // `count` positions from `offset` within this field, under the field's name.
    constexpr Field part(std::size_t offset, std::size_t count) const { return {first + offset, count, name, label}; }
    // From this field's first position to the last of `end`, under this field's name.
    constexpr Field through(const Field& end) const { return {first, end.last() + 1 - first, name, label}; }
    constexpr Field labelled(std::string_view text) const { return {first, length, name, text}; }
};

// True when the fields follow each other from position 1 to `length` with no gap and no overlap.
constexpr bool tilesRecord(std::span<const Field> fields, std::size_t length = kRecordLength) {
    std::size_t next = 1;
    for (const Field& field : fields) next = field.first == next ? next + field.length : 0;
    return next == length + 1;
}

// Writes `text` into `field`, padded with blanks or cut to its length; a shorter record grows with blanks.
void writeField(std::string& record, const Field& field, std::string_view text);

// Records of types 1 to 5 begin with these two fields.
inline constexpr Field kSequenceField{1, 8, "sequence", "Número sequencial"};
inline constexpr Field kRecordTypeField{9, 1, "TipoREGISTRO", "Tipo de registro"};
// Findings about the record as a whole (its length, its type, its place in the file).
inline constexpr Field kWholeRecord{1, kRecordLength, "registro inteiro", "Registro inteiro"};

// Type 1: the header.
struct HeaderField {
    static constexpr Field cnpj{10, 14, "CNPJDECL", "CNPJ do declarante"};
    static constexpr Field year{24, 4, "Ano", "Ano da declaração"};
    static constexpr Field periodStart{28, 8, "PERIODOINICIAL", "Período inicial"};
    static constexpr Field periodEnd{36, 8, "PERIODOFINAL", "Período final"};
    static constexpr Field type{44, 1, "Tipo", "Tipo da declaração"};
    static constexpr Field situation{45, 2, "SITUACAO", "Situação especial"};
    static constexpr Field eventDate{47, 8, "DATAEVENTO", "Data do evento"};
    static constexpr Field uf{55, 2, "UF", "UF"};
    static constexpr Field name{57, 60, "NOME", "Nome do declarante"};
    static constexpr Field fileTag{117, 7, "file name", "Nome do arquivo"};  // the constant "KOVALDF"
    static constexpr Field filler{124, 19, "filler", "Brancos de preenchimento"};
    static constexpr Field all[] = {kSequenceField, kRecordTypeField, cnpj, year, periodStart, periodEnd, type,
                                    situation, eventDate, uf, name, fileTag, filler};
};

// Type 2: legal representative and person responsible.
struct ContactField {
    static constexpr Field representativeCpf{10, 11, "CPFREPRESENTANTE", "CPF do representante"};
    static constexpr Field representativeAreaCode{21, 4, "DDDREPRESENTANTE", "DDD do representante"};
    static constexpr Field representativePhone{25, 9, "TELEFONEREPRESENTANTE", "Telefone do representante"};
    static constexpr Field representativeExtension{34, 5, "RAMALREPRESENTANTE", "Ramal do representante"};
    static constexpr Field responsibleCpf{39, 11, "CPFRESPONSAVEL", "CPF do responsável"};
    static constexpr Field responsibleAreaCode{50, 4, "DDDRESPONSAVEL", "DDD do responsável"};
    static constexpr Field responsiblePhone{54, 9, "TELEFONERESPONSAVEL", "Telefone do responsável"};
    static constexpr Field responsibleExtension{63, 5, "RAMALRESPONSAVEL", "Ramal do responsável"};
    static constexpr Field filler{68, 75, "filler", "Brancos de preenchimento"};
    static constexpr Field all[] = {kSequenceField, kRecordTypeField, representativeCpf, representativeAreaCode,
                                    representativePhone, representativeExtension, responsibleCpf,
                                    responsibleAreaCode, responsiblePhone, responsibleExtension, filler};
    // Area code, number and extension of the representative, as the delivery header carries them.
    static constexpr Field representativePhoneBlock = representativeAreaCode.through(representativeExtension);
};

// Type 3: charitable entities.
struct EntityField {
    static constexpr Field type{10, 1, "Tipo", "Tipo de pessoa"};  // "J"
    static constexpr Field cnpj{11, 14, "CNPJDECL", "CNPJ da entidade"};
    static constexpr Field name{25, 118, "NOME", "Nome da entidade"};
    static constexpr Field all[] = {kSequenceField, kRecordTypeField, type, cnpj, name};
    // A natural person of type 4 writes "000" and then the CPF in the CNPJ field.
    static constexpr Field cpfPrefix = cnpj.part(0, 3);
    static constexpr Field cpf = cnpj.part(3, 11);
};

// Type 4: beneficiaries of diplomatic immunities, laid out as type 3.
struct BeneficiaryField {
    static constexpr Field type = EntityField::type;  // "J" or "F"
    static constexpr Field cnpj = EntityField::cnpj.labelled("CNPJ ou CPF do beneficiário");
    static constexpr Field name = EntityField::name.labelled("Nome do beneficiário");
    static constexpr Field all[] = {kSequenceField, kRecordTypeField, type, cnpj, name};
};

// Type 5: the levy neither withheld nor paid.
struct LevyField {
    static constexpr Field sequence{1, 8, "SEQ", "Número sequencial"};
    static constexpr Field cnpj{10, 14, "CNPJDECL", "CNPJ"};
    static constexpr Field dueDate{24, 8, "VENCIMENTO", "Data de vencimento"};
    static constexpr Field baseAmount{32, 17, "BASECALCULO", "Base de cálculo"};
    static constexpr Field levyAmount{49, 17, "KOVA", "KOVA não retida"};
    static constexpr Field filler{66, 77, "filler", "Brancos de preenchimento"};
    static constexpr Field all[] = {sequence, kRecordTypeField, cnpj, dueDate, baseAmount, levyAmount, filler};
};

// The trailer: "T", 137 nines, the year.
struct TrailerField {
    static constexpr Field recordType{1, 1, "record type", "Tipo de registro"};
    static constexpr Field filler{2, 137, "filler", "Noves de preenchimento"};
    static constexpr Field year{139, 4, "year", "Ano da declaração"};
    static constexpr Field all[] = {recordType, filler, year};
};

static_assert(tilesRecord(HeaderField::all) && tilesRecord(ContactField::all) && tilesRecord(EntityField::all) &&
              tilesRecord(BeneficiaryField::all) && tilesRecord(LevyField::all) && tilesRecord(TrailerField::all));

// The fields of a record kind, given by its type as the error log keeps it ("1".."5", "T"), in record order;
// empty for a type without a layout.
std::span<const Field> layoutOf(std::string_view recordType);

// The fields that columns first..last of a record cover, the record given by its type as the error log keeps it
// ("1".."5", "T"): the whole-record pseudo-field for 1-142, else every field the columns touch. Empty for a
// type without a layout or columns outside the record.
std::span<const Field> fieldsCovering(std::string_view recordType, std::size_t first, std::size_t last);

class RecordView {
public:
    RecordView() = default;
    explicit RecordView(std::string_view bytes) : bytes_(bytes) {}

    // Positions first..first+length-1, clipped to the record.
    std::string_view field(std::size_t first, std::size_t length) const {
        if (first == 0 || first > bytes_.size()) return {};
        return bytes_.substr(first - 1, length);
    }
    std::string_view field(const Field& f) const { return field(f.first, f.length); }
    std::size_t length() const { return bytes_.size(); }
    std::string_view bytes() const { return bytes_; }

    std::string_view sequence() const { return field(kSequenceField); }
    std::string_view recordType() const { return field(kRecordTypeField); }
    bool isTrailer() const { return field(TrailerField::recordType) == "T"; }

private:
    std::string_view bytes_;
};

// DDMMYYYY → YYYYMMDD (characters 5-8, 3-4, 1-2). A short text gives the pieces that exist.
std::string toYearMonthDay(std::string_view ddmmyyyy);
// An amount of 17 digits with 2 implied decimals, in hundredths. Assumes digits (check isNumeric first).
std::uint64_t amountValue(std::string_view seventeenDigits);

class HeaderRecord : public RecordView {
public:
    using RecordView::RecordView;
    std::string_view cnpj() const { return field(HeaderField::cnpj); }
    std::string_view year() const { return field(HeaderField::year); }
    std::string_view periodStart() const { return field(HeaderField::periodStart); }
    std::string_view periodEnd() const { return field(HeaderField::periodEnd); }
    std::string_view type() const { return field(HeaderField::type); }
    std::string_view situation() const { return field(HeaderField::situation); }
    std::string_view eventDate() const { return field(HeaderField::eventDate); }
    std::string_view uf() const { return field(HeaderField::uf); }
    std::string_view name() const { return field(HeaderField::name); }
    std::string_view fileTag() const { return field(HeaderField::fileTag); }
    std::string_view filler() const { return field(HeaderField::filler); }
    std::string periodStartYmd() const { return toYearMonthDay(periodStart()); }
    std::string periodEndYmd() const { return toYearMonthDay(periodEnd()); }
    std::string eventDateYmd() const { return toYearMonthDay(eventDate()); }
};

class ContactRecord : public RecordView {
public:
    using RecordView::RecordView;
    std::string_view representativeCpf() const { return field(ContactField::representativeCpf); }
    std::string_view representativeAreaCode() const { return field(ContactField::representativeAreaCode); }
    std::string_view representativePhone() const { return field(ContactField::representativePhone); }
    std::string_view representativeExtension() const { return field(ContactField::representativeExtension); }
    std::string_view responsibleCpf() const { return field(ContactField::responsibleCpf); }
    std::string_view responsibleAreaCode() const { return field(ContactField::responsibleAreaCode); }
    std::string_view responsiblePhone() const { return field(ContactField::responsiblePhone); }
    std::string_view responsibleExtension() const { return field(ContactField::responsibleExtension); }
    std::string_view filler() const { return field(ContactField::filler); }
    std::string_view representativePhoneBlock() const { return field(ContactField::representativePhoneBlock); }
};

// Types 3 and 4.
class EntityRecord : public RecordView {
public:
    using RecordView::RecordView;
    std::string_view type() const { return field(EntityField::type); }
    std::string_view cnpj() const { return field(EntityField::cnpj); }
    std::string_view cpfPrefix() const { return field(EntityField::cpfPrefix); }  // "000" for an "F" record
    std::string_view cpf() const { return field(EntityField::cpf); }              // the CPF of an "F" record
    std::string_view name() const { return field(EntityField::name); }
};

class LevyRecord : public RecordView {
public:
    using RecordView::RecordView;
    std::string_view cnpj() const { return field(LevyField::cnpj); }
    std::string_view dueDate() const { return field(LevyField::dueDate); }
    std::string_view baseAmount() const { return field(LevyField::baseAmount); }
    std::string_view levyAmount() const { return field(LevyField::levyAmount); }
    std::string_view filler() const { return field(LevyField::filler); }
    std::string dueDateYmd() const { return toYearMonthDay(dueDate()); }
};

class TrailerRecord : public RecordView {
public:
    using RecordView::RecordView;
    std::string_view filler() const { return field(TrailerField::filler); }
    std::string_view year() const { return field(TrailerField::year); }
};

}  // namespace kova
