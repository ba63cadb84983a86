#include "delivery/integrity_check.h"

#include <optional>
#include <system_error>

#include "core/faults.h"
#include "core/retry.h"
#include "core/text.h"
#include "delivery/delivery_records.h"
#include "delivery/seals.h"

namespace kova {

namespace {

constexpr int kIllegalCall = 5;  // a line too short to carry its seal
constexpr std::size_t kDeliveryFileNameLength = 40;

bool startsWith(std::string_view line, std::string_view prefix) {
    return line.substr(0, prefix.size()) == prefix;
}

// The seal a line carries in its last 10 characters, as a number, and the text it seals; false when those 10
// are not all digits. A line shorter than a seal is a fault, as reading past its end always was.
bool storedSeal(std::string_view line, std::string_view& text, std::uint64_t& value) {
    std::string_view seal;
    if (!splitSeal(line, text, seal)) throw Fault(kIllegalCall);
    value = 0;
    for (char c : seal) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + static_cast<unsigned>(c - '0');
    }
    return true;
}

bool isReceiptRecord(std::string_view line) {
    return line.size() >= 2 && line[0] == 'R' && (line[1] == '1' || line[1] == '9');
}

bool carriesRecordType(std::string_view line) {
    // Declaration records start with their sequence number; every tag below starts with a letter.
    if (!line.empty() && line[0] >= '0' && line[0] <= '9') return true;
    if (startsWith(line, kDeliveryHeaderTag)) return false;
    for (std::string_view tag : {"HC", "RC", "TC", "R1", "R9"})
        if (startsWith(line, tag)) return false;
    return true;
}

void countRecordType(std::string_view line, DeclarationCheck& check) {
    const std::string_view type = carriesRecordType(line) ? RecordView(line).recordType() : std::string_view{};
    if (type.empty()) return;
    switch (type.front()) {
        case '3':
            ++check.count3;
            break;
        case '4':
            ++check.count4;
            break;
        case '5':
            ++check.count5;
            break;
        default:
            break;
    }
}

// Whether the line ends with the seal of the rest; lineCrc gets crc32(line, 0). Lines of the common length take
// one CRC pass; a line of another length (the receipt's R1) is checked on its own.
bool lineSealMatches(std::string_view line, const std::optional<SealedLineCrc>& common, std::uint32_t& lineCrc) {
    if (common && line.size() == common->length()) return common->sealMatches(line, lineCrc);
    std::string_view text;
    std::uint64_t stored = 0;
    if (!storedSeal(line, text, stored)) return false;
    lineCrc = crc32(line);
    return stored == crc32(text);
}

// One pass over the file; true when intact. Each detail line goes through the CRC once: its own seal and the
// running detail seal both come from crc32(line, 0). Throws Fault on a read failure or a line without room for
// a seal.
bool checkPass(RecordReader& reader, DeclarationCheck& check) {
    check.detailSeal = 0;
    check.detailSealText.clear();
    std::string_view line, text;
    std::uint64_t stored = 0;
    if (!reader.next(line)) return false;  // empty file

    // The header's text is sealed after the key made of the file's name.
    if (!storedSeal(line, text, stored) || stored != crc32(text, crc32(headerSealKey(check.deliveryFileName))))
        return false;
    const std::string storedDetailSeal(DeliveryHeaderView(line).detailSeal());

    check.count3 = check.count4 = check.count5 = 0;
    std::optional<SealedLineCrc> common;  // set up for the length of the first record after the header
    bool anyDetail = false;
    while (reader.next(line)) {
        if (!common && line.size() >= kSealLength) common.emplace(line.size());
        std::uint32_t lineCrc = 0;
        if (!lineSealMatches(line, common, lineCrc)) return false;
        if (!isReceiptRecord(line)) {
            check.detailSeal = line.size() == common->length() ? common->continued(lineCrc, check.detailSeal)
                                                               : crc32(line, check.detailSeal);
            anyDetail = true;
        }
        countRecordType(line, check);
    }
    if (anyDetail) check.detailSealText = sealText(check.detailSeal);
    if (storedDetailSeal != check.detailSealText) return false;
    return check.count3 > 0 || check.count4 > 0 || check.count5 > 0;
}

}  // namespace

bool checkDeclaration(const std::string& path, Prompts& prompts, DeclarationCheck& check,
                      const ByteSourceOpener& open) {
    check.detailSeal = 0;
    check.detailSealText.clear();

    const std::string trimmed(trimBlanks(path));
    std::error_code ec;
    if (trimmed.empty() || !std::filesystem::is_regular_file(trimmed, ec)) {
        prompts.show(exclamation("Declaração Válida", "O arquivo de declaração não existe."));
        return false;
    }
    check.deliveryFileName =
        trimmed.size() > kDeliveryFileNameLength ? trimmed.substr(trimmed.size() - kDeliveryFileNameLength) : trimmed;

    RetryText text;
    text.title = "Verifica Declaração Válida";
    text.sentence = "Erro na verificação da consistência da declaração. Verifique se o arquivo está legível.";
    text.question = "Tenta novamente ?";

    bool intact = false;
    // A retry starts the pass again from the first byte: the reader's position after a failure is not trusted.
    const bool completed = withRetry(prompts, text, [&] {
        RecordReader reader(open ? open(trimmed) : openFileSource(trimmed));
        intact = checkPass(reader, check);
    });
    return completed && intact;
}

}  // namespace kova
