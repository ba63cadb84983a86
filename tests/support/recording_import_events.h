// Keeps everything an import tells, for the tests. onPump runs at every pump, so a test can press "&Cancelar" in
// the middle of a pass.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "import/import_events.h"

namespace kova::testing_support {

class RecordingImportEvents : public ImportEvents {
public:
    struct PhaseTimes {
        std::string start, end, elapsed;
    };

    void setPercent(int p) override { percent = p; }
    void pump() override {
        ++pumps;
        if (onPump) onPump();
    }
    void phaseStarted(ImportPhase phase, const std::string& start) override { phases[phase] = {start, "", ""}; }
    void phaseEnded(ImportPhase phase, const std::string& end, const std::string& elapsed) override {
        phases[phase].end = end;
        phases[phase].elapsed = elapsed;
    }
    void statusChanged(const std::string& text) override { status = text; }
    void pendingCleared() override { pending.clear(); }
    void pendingLine(const std::string& line) override { pending.push_back(line); }
    void errorCountChanged(std::int64_t count) override { errorCount = count; }
    void warning(const std::string& line) override { warnings.push_back(line); }
    void busyChanged(bool b) override { busy = b; }
    void folderContentsChanged() override { ++folderRefreshes; }

    bool started(ImportPhase phase) const { return phases.count(phase) != 0; }

    std::map<ImportPhase, PhaseTimes> phases;
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
