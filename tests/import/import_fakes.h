// Fakes of the import tests: an error log and a byte source that fail on demand, a bench that runs one record
// validator, and the findings of a log in comparable form.
#pragma once

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "core/clock.h"
#include "core/faults.h"
#include "core/memory_error_log.h"
#include "core/ports.h"
#include "core/record_reader.h"
#include "import/import_state.h"
#include "import/record_validators.h"
#include "support/recording_prompts.h"

namespace kova::import_tests {

using testing_support::RecordingPrompts;

inline void writeFile(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

// A memory error log whose next `failuresLeft` writes fail as a locked database would.
class FaultyErrorLog : public MemoryErrorLog {
public:
    void recordRow(const ErrorRow& row) override {
        ++attempts;
        if (onWrite) onWrite();
        if (failuresLeft > 0) {
            --failuresLeft;
            throw Fault(3046);
        }
        MemoryErrorLog::recordRow(row);
    }
    int failuresLeft = 0;
    int attempts = 0;
    std::function<void()> onWrite;  // runs at every attempt, e.g. to press "Cancelar" mid-record
};

// A file in memory; the reads whose numbers (from 1) are in `failingReads`, and those for which `failNow`
// says so, fail as a device error would.
class MemorySource : public ByteSource {
public:
    explicit MemorySource(std::string bytes) : bytes_(std::move(bytes)) {}
    std::size_t read(char* buffer, std::size_t n) override {
        ++reads;
        if (failingReads.count(reads) != 0 || (failNow && failNow())) throw Fault(57);
        const std::size_t count = std::min(n, bytes_.size() - std::min(pos_, bytes_.size()));
        std::copy_n(bytes_.data() + pos_, count, buffer);
        pos_ += count;
        return count;
    }
    void seek(std::uint64_t offset) override { pos_ = static_cast<std::size_t>(offset); }
    std::uint64_t size() override { return bytes_.size(); }

    std::set<int> failingReads;
    std::function<bool()> failNow;
    int reads = 0;

private:
    std::string bytes_;
    std::size_t pos_ = 0;
};

// One row of a log as (record, code, posini, posfin), the columns as numbers.
struct Finding {
    std::int64_t record;
    int code;
    int firstColumn;
    int lastColumn;
    bool operator==(const Finding&) const = default;
};

inline void PrintTo(const Finding& f, std::ostream* os) {
    *os << "record " << f.record << ": " << f.code << " (" << f.firstColumn << "-" << f.lastColumn << ")";
}

inline std::vector<Finding> findings(const MemoryErrorLog& log) {
    std::vector<Finding> out;
    for (const auto& r : log.rows) {
        out.push_back({r.recordNumber, r.code, std::stoi(r.firstColumn), std::stoi(r.lastColumn)});
    }
    return out;
}

// One import state with a known declarant and year, and a clock fixed in 2024 so that the header's year rule has
// a known "today".
struct ValidatorBench {
    ValidatorBench() {
        state.declarantCnpj = "12345678000195";
        state.declarantName = std::string(60, 'N');
        state.declarationYear = "2023";
    }

    // Runs the validator of the record's type (column 9, or "T" in column 1) as record `recordNumber`.
    bool validate(const std::string& record, std::int64_t recordNumber) {
        state.record = record;
        state.recordNumber = recordNumber;
        const char type = record[0] == 'T' ? 'T' : record.at(8);
        state.recordType = std::string(1, type);
        switch (type) {
            case '1': return validators.validateHeader();
            case '2': return validators.validateContacts();
            case '3': return validators.validateEntity();
            case '4': return validators.validateBeneficiary();
            case '5': return validators.validateLevy();
            default: return validators.validateTrailer();
        }
    }

    ImportState state;
    FaultyErrorLog log;
    RecordingPrompts prompts;
    FixedClock clock{DateTime{2024, 6, 15, 10, 0, 0}};
    RecordValidators validators{state, log, prompts, clock};
};

}  // namespace kova::import_tests
