// Fakes for the structure check and validator tests: scripted message boxes, an error log and a byte source that
// fail on demand, and a progress sink that can press "Cancelar" part-way.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <deque>
#include <functional>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "core/faults.h"
#include "core/memory_error_log.h"
#include "core/ports.h"
#include "support/recording_prompts.h"
#include "core/record_layout.h"
#include "core/record_reader.h"

namespace kova::validation_tests {

// Records every message box; answers Yes/No questions from a script (No once the script runs out).
using testing_support::RecordingPrompts;

// A memory error log whose next `failuresLeft` writes fail as a locked database would. It also checks that every
// row the checks record is about one field of its record (a read failure, type "0", names no record).
class FaultyErrorLog : public MemoryErrorLog {
public:
    void recordRow(const ErrorRow& row) override {
        if (row.recordType != "0") {
            EXPECT_EQ(fieldsCovering(row.recordType, std::stoul(row.firstColumn), std::stoul(row.lastColumn)).size(), 1u)
                << "error " << row.code << " of type " << row.recordType << " over " << row.firstColumn << "-"
                << row.lastColumn;
        }
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

// Keeps the percentages; sets the cancel flag at the `cancelAtPump`-th pump (0: never).
class RecordingProgress : public Progress {
public:
    explicit RecordingProgress(CancelFlag* cancel = nullptr, int cancelAtPump = 0)
        : cancel_(cancel), cancelAtPump_(cancelAtPump) {}
    void setPercent(int percent) override { percents.push_back(percent); }
    void pump() override {
        ++pumps;
        if (cancel_ != nullptr && pumps == cancelAtPump_) cancel_->set = true;
    }
    std::vector<int> percents;
    int pumps = 0;

private:
    CancelFlag* cancel_;
    int cancelAtPump_;
};

// The findings of a log as (code, posini, posfin), for comparing with the expected rows of a case.
struct Finding {
    int code;
    std::string firstColumn;
    std::string lastColumn;
    bool operator==(const Finding&) const = default;
};

inline std::vector<Finding> findings(const MemoryErrorLog& log) {
    std::vector<Finding> out;
    for (const auto& r : log.rows) out.push_back({r.code, r.firstColumn, r.lastColumn});
    return out;
}

inline Finding F(int code, int first, int last) {
    auto column = [](int c) {
        std::string t = std::to_string(c);
        return std::string(4 - t.size(), '0') + t;
    };
    return {code, column(first), column(last)};
}

inline void PrintTo(const Finding& f, std::ostream* os) { *os << f.code << " (" << f.firstColumn << "-" << f.lastColumn << ")"; }

// A finding with the number of the record it was found in, for cases over several records.
struct Expected {
    std::int64_t recordNumber;
    Finding finding;
    bool operator==(const Expected&) const = default;
};

inline void PrintTo(const Expected& e, std::ostream* os) {
    *os << "record " << e.recordNumber << ": ";
    PrintTo(e.finding, os);
}

inline std::vector<Expected> numberedFindings(const MemoryErrorLog& log) {
    std::vector<Expected> out;
    for (const auto& r : log.rows) out.push_back({r.recordNumber, {r.code, r.firstColumn, r.lastColumn}});
    return out;
}

}  // namespace kova::validation_tests
