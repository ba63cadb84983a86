#include "delivery/receipt_validation.h"

#include <charconv>
#include <cstdio>
#include <system_error>

#include "core/faults.h"
#include "core/field_checks.h"
#include "core/retry.h"
#include "core/text.h"
#include "delivery/delivery_records.h"
#include "delivery/header_reader.h"
#include "delivery/seals.h"
#include "import/file_helpers.h"

namespace kova {

namespace {

constexpr int kIllegalCall = 5;    // a line too short to carry its checksum
constexpr int kTypeMismatch = 13;  // a date or count that is not a number
constexpr int kReadPastEnd = 62;   // the receipt ends before its trailer
constexpr std::size_t kHeaderBuffer = 1024;

bool startsWith(std::string_view line, std::string_view prefix) {
    return line.substr(0, prefix.size()) == prefix;
}

// A whole number written in a field (blanks around it allowed); anything else is a type mismatch.
long wholeNumber(std::string_view field) {
    const std::string_view digits = trimBlanks(field);
    if (digits.empty() || !isNumeric(digits) || digits.size() > 9) throw Fault(kTypeMismatch);
    long value = 0;
    std::from_chars(digits.data(), digits.data() + digits.size(), value);
    return value;
}

// The amount of a 40-digit total with two implied decimals: digits 1-38, a point, digits 39-40. Like the
// numeric reading of a text, blanks are skipped and reading stops at the first other character.
double amountOf(std::string_view forty) {
    std::string text(forty.substr(0, 38));
    text += '.';
    text += forty.substr(38, 2);
    std::string clean;
    bool point = false;
    for (char c : text) {
        if (c == ' ') continue;
        if (c == '.' && !point) {
            point = true;
            clean += c;
            continue;
        }
        if (c < '0' || c > '9') break;
        clean += c;
    }
    double value = 0;
    if (clean.empty() || clean == ".") return 0;
    std::from_chars(clean.data(), clean.data() + clean.size(), value);
    return value;
}

std::string twoDigits(long value) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%02ld", value);
    return buffer;
}

std::string slashedDate(std::string_view ddmmyyyy) {
    std::string date(ddmmyyyy.substr(0, 2));
    date.append("/").append(ddmmyyyy.substr(2, 2)).append("/").append(ddmmyyyy.substr(4, 4));
    return date;
}

// The line's own checksum continues from the previous line's: true when its last 10 characters match.
bool checksumMatches(std::string_view line, const std::string& seed) {
    std::string_view text, checksum;
    if (!splitSeal(line, text, checksum)) throw Fault(kIllegalCall);
    return continueSeal(text, seed) == checksum;
}

class ReceiptLines {
public:
    explicit ReceiptLines(std::unique_ptr<ByteSource> source) : reader_(std::move(source)) {}
    // The next line, which must start with one of the given types and continue the checksum chain.
    // Returns the type found, or "" when the line breaks the order or the chain.
    std::string_view next(std::initializer_list<std::string_view> types) {
        if (!reader_.next(line_)) throw Fault(kReadPastEnd);
        for (std::string_view type : types) {
            if (!startsWith(line_, type)) continue;
            if (!checksumMatches(line_, seed_)) return {};
            seed_ = line_.substr(line_.size() - kSealLength);
            return type;
        }
        return {};
    }
    const std::string& line() const { return line_; }

private:
    RecordReader reader_;
    std::string line_;
    std::string seed_ = "0";
};

int digitValue(char c) {
    return (c >= '0' && c <= '9') ? c - '0' : 0;
}

char checkDigit(std::string_view base) {
    long sum = 0;
    int weight = 2;
    for (auto it = base.rbegin(); it != base.rend(); ++it) sum += digitValue(*it) * weight++;
    const long r = sum % 11;
    return static_cast<char>('0' + ((r == 0 || r == 1) ? 0 : 11 - r));
}

}  // namespace

std::string receiptCheckDigits(std::string_view text) {
    if (text.size() < 10) return "-1";
    std::string base(text.substr(0, 10));
    const char first = checkDigit(base);
    base += first;
    return std::string{first, checkDigit(base)};
}

std::filesystem::path receiptPathOf(const std::filesystem::path& deliveryFile) {
    const std::string text = deliveryFile.string();
    std::filesystem::path exact = (text.size() >= 4 ? text.substr(0, text.size() - 4) : std::string()) + ".REC";
    try {
        return findFileIgnoringCase(exact.parent_path(), exact.filename().string()).value_or(exact);
    } catch (const Fault&) {
        return exact;  // an unlistable folder: the receipt is then missing, which validation reports
    }
}

bool validateReceipt(const std::filesystem::path& deliveryFile, Prompts& prompts, ReceiptData& data,
                  const ByteSourceOpener& open) {
    const std::filesystem::path receipt = receiptPathOf(deliveryFile);
    data.receiptFile = receipt.string();
    std::error_code ec;
    if (!std::filesystem::is_regular_file(receipt, ec)) {
        prompts.show(exclamation("Validar Recibo", "O arquivo do recibo não existe ou foi excluído."));
        return false;
    }
    const auto openSource = [&](const std::filesystem::path& path) { return open ? open(path) : openFileSource(path); };

    RetryText text;
    text.title = "Validar Recibo";
    text.sentence = "Erro na validação do recibo.";
    text.question = "Deseja tentar novamente ?";

    bool result = false;
    // A retry reads the receipt again from its first line; the data filled so far are filled again alike.
    withRetry(prompts, text, [&] {
        result = false;
        ReceiptLines lines(openSource(receipt));
        if (lines.next({"HC"}).empty()) return;
        if (lines.next({"RC"}).empty()) return;
        const RecordView rc(lines.line());
        using R = ReceiptRecordLayout;
        data.authenticationCode = std::string(rc.field(R::authenticationCode));
        data.certificateId = std::string(rc.field(R::certificateId));
        const std::string receivedCnpj(rc.field(R::cnpj));
        const long day = wholeNumber(rc.field(R::day)), month = wholeNumber(rc.field(R::month)),
                   year = wholeNumber(rc.field(R::year)), hour = wholeNumber(rc.field(R::hour)),
                   minute = wholeNumber(rc.field(R::minute)), second = wholeNumber(rc.field(R::second));
        data.receptionDate = twoDigits(day) + "/" + twoDigits(month) + "/" + std::to_string(year);
        data.receptionTime = twoDigits(hour) + ":" + twoDigits(minute) + ":" + twoDigits(second);

        const std::string_view third = lines.next({"NC", "TC"});
        if (third.empty()) return;
        if (third == "NC" && lines.next({"TC"}).empty()) return;

        std::string headerLine = readFirstLine(*openSource(deliveryFile));
        headerLine.resize(kHeaderBuffer, ' ');
        const DeliveryHeaderView header(headerLine);
        const std::string detailSeal(header.detailSeal());
        data.cnpj = std::string(header.cnpj());
        data.name = cp1252ToUtf8(header.name());
        data.year = std::string(header.year());
        data.rectifying = header.type() == "0" ? "Não" : "Sim";
        data.situationText = situationName(header.situation());
        data.periodStart = slashedDate(header.periodStart());
        data.periodEnd = slashedDate(header.periodEnd());
        data.rectifiedReceipt =
            header.rectifiedReceipt() == "0000000000" ? std::string(" ") : std::string(header.rectifiedReceipt());

        result = authenticateReceipt(data.authenticationCode, receivedCnpj, detailSeal, day, month, year, hour, minute, second) == 1;

        data.receiptNumber = detailSeal + receiptCheckDigits(detailSeal);
        data.representativeCpf = std::string(header.representativeCpf());
        data.totalBaseDigits = std::string(header.baseTotal());
        data.levyTotalDigits = std::string(header.levyTotal());
        data.baseTotal = amountOf(header.baseTotal());
        data.levyTotal = amountOf(header.levyTotal());
        data.phone = cp1252ToUtf8(header.representativePhoneBlock());
        data.entityCount = trimBlanks(header.count3()).empty() ? 0 : wholeNumber(header.count3());
        data.beneficiaryCount = trimBlanks(header.count4()).empty() ? 0 : wholeNumber(header.count4());
    });
    return result;
}

}  // namespace kova
