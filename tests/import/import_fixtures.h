// Fixtures of the import driver tests: scripted answers for every kind of question, a clock that moves one
// second per reading, and an error log that checks the import's rows stay in one batch.
#pragma once

#include <deque>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "core/clock.h"
#include "core/memory_error_log.h"
#include "core/ports.h"
#include "support/recording_prompts.h"

namespace kova::import_tests {

// Records every message; questions take the scripted answers in order, then the cautious one (No / Cancel).
using testing_support::RecordingPrompts;

// Each reading is one second later than the last, so that every time label differs.
class TickingClock : public Clock {
public:
    DateTime now() const override {
        const int s = seconds_++;
        return {2026, 3, 15, 10 + s / 3600, s / 60 % 60, s % 60};
    }

private:
    mutable int seconds_ = 0;
};

// A memory log that knows whether a batch is open, and what was visible when the rows were listed.
class BatchCheckingLog : public MemoryErrorLog {
public:
    void beginBatch() override {
        ++begins;
        open = true;
    }
    void commitBatch() override {
        ++commits;
        open = false;
    }
    void listErrors(const std::function<bool(const ErrorListing&)>& visit) override {
        listedWhileOpen = listedWhileOpen || open;
        MemoryErrorLog::listErrors(visit);
    }
    int begins = 0, commits = 0;
    bool open = false;
    bool listedWhileOpen = false;
};

inline void writeFile(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

}  // namespace kova::import_tests
