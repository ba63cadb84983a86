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
constexpr std::string_view kDeliveryHeaderTag = "KOVALDF ";
constexpr std::string_view kLineEnd = "\r\n";

// The fields of the header record of a delivery file, its seal last.
struct DeliveryHeaderLayout {
    static constexpr Field tag{1, 8, "tag", "Identificação do arquivo"};  // kDeliveryHeaderTag
    static constexpr Field blanks{9, 4, "spaces", "Brancos"};
    static constexpr Field year{13, 4, "Ano", "Ano da declaração"};
    static constexpr Field fixed1716{17, 4, "1716", "Constante 1716"};
    static constexpr Field type{21, 1, "Tipo", "Tipo da declaração"};
    static constexpr Field cnpj{22, 14, "CNPJDECL", "CNPJ do declarante"};
    static constexpr Field fixed2{36, 1, "2", "Constante 2"};
    static constexpr Field fixed300{37, 3, "300", "Constante 300"};
    static constexpr Field name{40, 60, "NOME", "Nome do declarante"};
    static constexpr Field uf{100, 2, "UF", "UF"};
    static constexpr Field detailSeal{102, kSealLength, "detail seal", "Selo dos detalhes"};
    static constexpr Field fixed1{112, 1, "1", "Constante 1"};
    static constexpr Field representativeCpf{113, 11, "CPFREPRESENTANTE", "CPF do representante"};
    static constexpr Field yearAgain{124, 4, "Ano", "Ano da declaração"};
    static constexpr Field rectifiedReceipt{128, 10, "rectified receipt", "Recibo da declaração retificada"};
    static constexpr Field situation{138, 2, "SITUACAO", "Situação especial"};
    static constexpr Field periodStart{140, 8, "PERIODOINICIAL", "Período inicial"};
    static constexpr Field periodEnd{148, 8, "PERIODOFINAL", "Período final"};
    static constexpr Field eventDate{156, 8, "DATAEVENTO", "Data do evento"};
    static constexpr Field baseTotal{164, 40, "BASECALCULO total", "Total da base de cálculo"};
    static constexpr Field levyTotal{204, 40, "KOVA total", "Total da KOVA não retida"};
    static constexpr Field representativePhoneBlock{244, 18, "telephone", "Telefone do representante"};
    static constexpr Field count3{262, 9, "type-3 count", "Quantidade de entidades"};
    static constexpr Field count4{271, 9, "type-4 count", "Quantidade de beneficiários"};
    static constexpr Field trailingBlanks{280, 85, "spaces", "Brancos"};
    static constexpr Field headerSeal{365, kSealLength, "header seal", "Selo do cabeçalho"};
    static constexpr Field all[] = {tag, blanks, year, fixed1716, type, cnpj, fixed2, fixed300, name, uf, detailSeal,
                                    fixed1, representativeCpf, yearAgain, rectifiedReceipt, situation, periodStart,
                                    periodEnd, eventDate, baseTotal, levyTotal, representativePhoneBlock, count3,
                                    count4, trailingBlanks, headerSeal};
};
constexpr std::size_t kDeliveryHeaderLength = DeliveryHeaderLayout::headerSeal.last();
static_assert(tilesRecord(DeliveryHeaderLayout::all, kDeliveryHeaderLength));

// The "RC" record of the receipt file that the transmission leaves beside the delivery file.
struct ReceiptRecordLayout {
    static constexpr Field tag{1, 2, "RC", "Tipo de registro"};
    static constexpr Field cnpj{3, 14, "CNPJ", "CNPJ recebido"};
    static constexpr Field reception{17, 14, "reception", "Data e hora da recepção"};  // DDMMYYYYhhmmss
    static constexpr Field day = reception.part(0, 2), month = reception.part(2, 2), year = reception.part(4, 4),
                           hour = reception.part(8, 2), minute = reception.part(10, 2), second = reception.part(12, 2);
    static constexpr Field detailSeal{31, kSealLength, "detail seal", "Selo dos detalhes"};
    static constexpr Field authenticationCode{60, 10, "authentication code", "Código de autenticação"};
    static constexpr Field certificateId{78, 14, "certificate NI", "NI do certificado"};
};

// The values the header carries besides its two seals, as record bytes copied from the validated input.
struct DeliveryHeaderFields {
    std::string year;
    std::string type;
    std::string cnpj;
    std::string name;  // as cut from the input header (padded in the delivery header, not in "R1")
    std::string uf;
    std::string representativeCpf;
    std::string rectifiedReceipt;  // empty means ten "0" characters
    std::string situation;
    std::string periodStart;
    std::string periodEnd;
    std::string eventDate;
    std::string representativePhoneBlock;
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
// The header without its seal.
std::string headerBody(const DeliveryHeaderFields& fields, std::string_view detailSealText);
// The complete header: body + seal over key + body.
std::string headerRecord(const DeliveryHeaderFields& fields, std::string_view detailSealText,
                         std::string_view deliveryFileName);

// The header record of a delivery file, read back.
class DeliveryHeaderView : public RecordView {
    using H = DeliveryHeaderLayout;

public:
    using RecordView::RecordView;
    std::string_view tag() const { return field(H::tag); }
    std::string_view type() const { return field(H::type); }
    std::string_view cnpj() const { return field(H::cnpj); }
    std::string_view name() const { return field(H::name); }
    std::string_view uf() const { return field(H::uf); }
    std::string_view detailSeal() const { return field(H::detailSeal); }
    std::string_view representativeCpf() const { return field(H::representativeCpf); }
    std::string_view year() const { return field(H::yearAgain); }
    std::string_view rectifiedReceipt() const { return field(H::rectifiedReceipt); }
    std::string_view situation() const { return field(H::situation); }
    std::string_view periodStart() const { return field(H::periodStart); }
    std::string_view periodEnd() const { return field(H::periodEnd); }
    std::string_view eventDate() const { return field(H::eventDate); }
    std::string_view baseTotal() const { return field(H::baseTotal); }
    std::string_view levyTotal() const { return field(H::levyTotal); }
    std::string_view representativePhoneBlock() const { return field(H::representativePhoneBlock); }
    std::string_view count3() const { return field(H::count3); }
    std::string_view count4() const { return field(H::count4); }
    std::string_view headerSeal() const { return field(H::headerSeal); }
};

// Whether an existing delivery header identifies the same declaration: CNPJ, year, type, situation and date of
// the special situation all equal.
bool sameDeclaration(const DeliveryHeaderView& existing, const DeliveryHeaderFields& incoming);

// The record text and the seal that ends it; false when the line is too short to carry one.
bool splitSeal(std::string_view line, std::string_view& text, std::string_view& seal);

}  // namespace kova
