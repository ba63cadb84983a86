#include "delivery/integrity_check.h"

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

// Whether the line's last 10 characters are the seal text of the rest, continued from `seed` (the header is
// sealed over its key followed by the text). Compared as numbers: ten digits of the same value are the same text.
bool sealMatches(std::string_view line, std::uint32_t seed) {
    std::string_view text, seal;
    if (!splitSeal(line, text, seal)) throw Fault(kIllegalCall);
    std::uint64_t stored = 0;
    for (char c : seal) {
        if (c < '0' || c > '9') return false;
        stored = stored * 10 + static_cast<unsigned>(c - '0');
    }
    return stored == crc32(text, seed);
}

bool isReceiptRecord(std::string_view line) {
    return startsWith(line, "R1") || startsWith(line, "R9");
}

bool carriesRecordType(std::string_view line) {
    if (startsWith(line, kDeliveryHeaderTag)) return false;
    for (std::string_view tag : {"HC", "RC", "TC", "R1", "R9"})
        if (startsWith(line, tag)) return false;
    return true;
}

// One pass over the file; true when intact. Throws Fault on a read failure or a line without room for a seal.
bool checkPass(RecordReader& reader, DeclarationCheck& check) {
    check.detailSeal = 0;
    check.detailSealText.clear();
    std::string line;
    if (!reader.next(line)) return false;  // empty file

    const std::string key = headerSealKey(check.deliveryFileName);
    if (!sealMatches(line, crc32(key))) return false;
    const std::string storedDetailSeal(DeliveryHeaderView(line).detailSeal());

    check.count3 = check.count4 = check.count5 = 0;
    bool anyDetail = false;
    while (reader.next(line)) {
        if (!sealMatches(line, 0)) return false;
        if (!isReceiptRecord(line)) {
            check.detailSeal = crc32(line, check.detailSeal);
            anyDetail = true;
        }
        const std::string_view type = carriesRecordType(line) ? RecordView(line).recordType() : std::string_view{};
        if (type == "3") ++check.count3;
        if (type == "4") ++check.count4;
        if (type == "5") ++check.count5;
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
