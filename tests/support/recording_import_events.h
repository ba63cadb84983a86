// Keeps everything an import tells, for the tests. onPump runs at every pump, so a test can press "&Cancelar" in
// the middle of a pass.
#pragma once

#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "import/import_events.h"

namespace kova::testing_support {

class RecordingImportEvents : public ImportEvents {
public:
    void setPercent(int p) override { percent = p; }
    void pump() override {
        ++pumps;
        if (onPump) onPump();
    }
    void phaseStarted(ImportPhase phase, const std::string&) override { startedPhases.insert(phase); }
    void phaseEnded(ImportPhase, const std::string&, const std::string&) override {}
    void statusChanged(const std::string& text) override { status = text; }
    void pendingCleared() override { pending.clear(); }
    void pendingLine(const std::string& line) override { pending.push_back(line); }
    void errorCountChanged(std::int64_t count) override { errorCount = count; }
    void warning(const std::string& line) override { warnings.push_back(line); }
    void busyChanged(bool b) override { busy = b; }
    void folderContentsChanged() override { ++folderRefreshes; }

    bool started(ImportPhase phase) const { return startedPhases.count(phase) != 0; }

    std::set<ImportPhase> startedPhases;
    std::string status;
    std::vector<std::string> pending;
    std::vector<std::string> warnings;
    std::int64_t errorCount = -1;
    bool busy = false;
    int folderRefreshes = 0;
    int percent = 0;
    std::int64_t pumps = 0;
    std::function<void()> onPump;
};

}  // namespace kova::testing_support
