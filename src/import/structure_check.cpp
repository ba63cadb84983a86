// checkStructure: the first pass over a declaration file. It checks the shape of the file (record length, header,
// known types in order, one trailer, the record types every declaration needs) before any field is validated,
// and takes the declarant's CNPJ and name from the header for every error row of the import.
#include <string>

#include "core/record_layout.h"
#include "import/record_errors.h"
#include "import/record_validators.h"

namespace kova {

namespace {

constexpr const char* kTitle = "Crítica de Estrutura";

const RetryText& readFaultText() {
    static const RetryText text = detail::faultText(kTitle);
    return text;
}

class StructureCheck {
public:
    StructureCheck(RecordReader& reader, ImportState& state, ErrorLog& log, Prompts& prompts, Progress& progress,
                   const detail::FaultTrap& trap)
        : reader_(reader), state_(state), log_(log), prompts_(prompts), progress_(progress), trap_(trap),
          errors_(state, log, trap) {}

    bool run() {
        if (!firstRecordEndsInPlace()) return false;

        trap_.run([&] { reader_.rewind(); });
        consumed_ = 0;
        state_.recordNumber = 0;
        progress_.setPercent(0);

        if (readRecord()) {
            if (!recordType()) return false;
            seenFlag(state_.recordType.front()) = true;

            // From here on every error row names the declarant of this header.
            const HeaderRecord header(state_.record);
            state_.declarantCnpj.assign(header.cnpj());
            state_.declarantName.assign(header.name());

            if (state_.recordType != "1") return fail(96, kRecordTypeField);
            // A wrong file name is reported over the first six columns of the CNPJ, not over its own field.
            if (header.fileTag() != "KOVALDF") return fail(7, HeaderField::cnpj.part(0, 6));
            if (!lengthIsRight()) return false;
            if (!advance()) return false;

            while (readRecord()) {
                if (!recordType()) return false;
                if (!inOrder()) return false;
                if (!lengthIsRight()) return false;
                if (!advance()) return false;
            }
        }

        if (state_.cancel.set) return false;
        // What every declaration needs; reported together, on the last record read, over the column of the record
        // type (inside the filler when that record is the trailer).
        if (!state_.seen2) errors_.record(34, kRecordTypeField);
        if (!state_.seen3 && !state_.seen4 && !state_.seen5) errors_.record(43, kRecordTypeField);
        if (!state_.seenT) errors_.record(37, kWholeRecord);

        std::int64_t rows = 0;
        trap_.run([&] { rows = log_.rowCount(); });
        return rows == 0;
    }

private:
    // Steps before any record is read: the file must hold a first record ended by CR LF at bytes 143-144.
    bool firstRecordEndsInPlace() {
        std::uint64_t size = 0;
        trap_.run([&] { size = reader_.size(); });
        size_ = size;
        if (size < kRecordLength + 2) {
            refuse("O tamanho do primeiro registro está incorreto. A declaração não pode ser importada.");
            return false;
        }
        int cr = 0, lf = 0;
        trap_.run([&] { cr = reader_.byteAt(kRecordLength + 1); });
        if (cr == 13) trap_.run([&] { lf = reader_.byteAt(kRecordLength + 2); });
        if (cr != 13 || lf != 10) {
            refuse("Caracter de final do primeiro registro inexistente ou em posição incorreta.");
            return false;
        }
        return true;
    }

    void refuse(const char* text) {
        prompts_.show(critical(kTitle, text));
    }

    bool readRecord() {
        bool got = false;
        trap_.run([&] { got = reader_.next(state_.record); });
        if (got) ++state_.recordNumber;
        return got;
    }

    // "T" in column 1 makes a trailer; otherwise column 9 holds the type.
    bool recordType() {
        const RecordView rec(state_.record);
        if (rec.isTrailer()) {
            state_.recordType = "T";
            return true;
        }
        state_.recordType.assign(rec.recordType());
        if (state_.recordType.size() == 1 && std::string_view("12345T").find(state_.recordType.front()) != std::string_view::npos) {
            return true;
        }
        return fail(69, kWholeRecord);
    }

    bool& seenFlag(char type) {
        switch (type) {
            case '1': return state_.seen1;
            case '2': return state_.seen2;
            case '3': return state_.seen3;
            case '4': return state_.seen4;
            case '5': return state_.seen5;
            default: return state_.seenT;
        }
    }

    // Header first and once, contacts once, types 3, 4 and 5 in non-decreasing order, one trailer last.
    bool inOrder() {
        const ImportState& s = state_;
        const char type = s.recordType.front();
        bool broken = false;
        switch (type) {
            case '1': broken = s.seen1 || s.seen2 || s.seen3 || s.seen4 || s.seen5 || s.seenT; break;
            case '2': broken = s.seen2 || s.seen3 || s.seen4 || s.seen5 || s.seenT; break;
            case '3': broken = s.seen4 || s.seen5 || s.seenT; break;
            case '4': broken = s.seen5 || s.seenT; break;
            case '5': broken = s.seenT; break;
            default:
                if (s.seenT) return fail(3, kWholeRecord);
                break;
        }
        if (broken) return fail(1, kWholeRecord);
        seenFlag(type) = true;
        return true;
    }

    bool lengthIsRight() {
        if (state_.record.size() == kRecordLength) return true;
        return fail(5, kWholeRecord);
    }

    // The record's bytes and its CR LF are consumed; the screen repaints and may take a cancel.
    bool advance() {
        consumed_ += state_.record.size() + 2;
        // A last record without CR LF is counted as if it had one: the bar never passes its end.
        const std::uint64_t percent = consumed_ >= size_ ? 100 : consumed_ * 100 / size_;
        progress_.setPercent(static_cast<int>(percent));
        progress_.pump();
        return !state_.cancel.set;
    }

    bool fail(int code, const Field& field) {
        errors_.record(code, field);
        return false;
    }

    RecordReader& reader_;
    ImportState& state_;
    ErrorLog& log_;
    Prompts& prompts_;
    Progress& progress_;
    const detail::FaultTrap& trap_;
    const detail::RecordErrors errors_;
    std::uint64_t size_ = 0;
    std::uint64_t consumed_ = 0;
};

// A read that was not retried leaves one row that names no record and no declarant.
void recordReadFailure(ErrorLog& log) {
    try {
        log.recordError("0", 0, "0000", "0000", 18, "00000000000000", std::string(40, ' '));
    } catch (const Fault&) {
        // The log itself is failing: the check still ends with false, which stops the import.
    }
}

}  // namespace

bool checkStructure(RecordReader& reader, ImportState& state, ErrorLog& log, Prompts& prompts, Progress& progress) {
    const detail::FaultTrap trap(prompts, readFaultText());
    try {
        return StructureCheck(reader, state, log, prompts, progress, trap).run();
    } catch (const detail::Abandoned&) {
        recordReadFailure(log);
        return false;
    }
}

}  // namespace kova
