#include "import/record_errors.h"

#include "core/field_checks.h"
#include "core/text.h"

namespace kova::detail {

// Runs once per record: no formatting library on this path.
std::string zeroPaddedText(std::uint64_t value, std::size_t width) {
    char digits[20];
    std::size_t n = 0;
    do {
        digits[n++] = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value != 0);
    std::string text(n < width ? width - n : 0, '0');
    while (n > 0) text += digits[--n];
    return text;
}

RetryText faultText(std::string title, std::function<std::string(const Fault&)> compose, bool offerRetry) {
    RetryText text;
    text.title = std::move(title);
    text.sentence = "Erro na leitura do arquivo.";
    text.compose = std::move(compose);
    text.offerRetry = offerRetry;
    return text;
}

std::string columnText(std::size_t column) { return zeroPaddedText(column, 4); }

std::string typeText(std::string_view typeBytes) {
    if (typeBytes.empty()) return " ";
    const auto byte = static_cast<unsigned char>(typeBytes.front());
    if (byte < 32 || byte == 127) return " ";
    return cp1252ToUtf8(typeBytes.substr(0, 1));
}

bool isSequenceOf(std::string_view sequence, std::int64_t recordNumber) {
    if (sequence.size() != 8 || recordNumber < 0) return false;
    auto value = static_cast<std::uint64_t>(recordNumber);
    for (std::size_t i = 8; i-- > 0;) {
        if (sequence[i] != static_cast<char>('0' + value % 10)) return false;
        value /= 10;
    }
    return value == 0;
}

std::uint64_t digitsValue(std::string_view digits) {
    std::uint64_t value = 0;
    for (char c : digits) value = value * 10 + static_cast<std::uint64_t>(c - '0');
    return value;
}

bool fieldIsAll(const RecordView& record, const Field& field, char c) {
    const std::string_view text = record.field(field);
    return text.size() == field.length && text.find_first_not_of(c) == std::string_view::npos;
}

void RecordErrors::record(int code, const Field& field, const std::optional<std::string>& complement) const {
    // The row is built once, outside the retried write.
    const ErrorRow row{typeText(state_.recordType),
                       state_.recordNumber,
                       columnText(field.first),
                       columnText(field.last()),
                       code,
                       cp1252ToUtf8(state_.declarantCnpj),
                       cp1252ToUtf8(state_.declarantName),
                       complement,
                       visibleText(RecordView(state_.record).field(field))};
    trap_.run([&] { log_.recordRow(row); });
}

bool sequenceAccepted(const RecordErrors& errors, std::string_view sequence, std::int64_t expected) {
    if (!isNumeric(sequence)) {
        errors.record(2, kSequenceField);
        return false;
    }
    if (!isSequenceOf(sequence, expected)) {
        errors.record(26, kSequenceField);
        return false;
    }
    return true;
}

int nameErrorCode(std::string_view name, const NameCodes& codes) {
    const std::string_view trimmed = trimBlanks(name);
    if (trimmed.empty()) return codes.blank;
    if (name.front() == ' ') return codes.leadingBlank;
    if (trimmed.size() < 3) return codes.tooShort;
    if (!hasOnlyNameCharacters(name)) return codes.characters;
    if (codes.noLetters != 0 && hasNoLetters(name)) return codes.noLetters;
    // Only ASCII letters, digits and blanks are left here, so the upper-case form is the ASCII one.
    for (char c : name) {
        if (c >= 'a' && c <= 'z') return codes.lowerCase;
    }
    return 0;
}

}  // namespace kova::detail
