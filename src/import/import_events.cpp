#include "import/import_events.h"

namespace kova {

int progressPercent(std::uint64_t consumed, std::uint64_t size) {
    if (size == 0) return 0;
    // Consumed is capped by the size first, so the product cannot overflow for any real file.
    return consumed >= size ? 100 : static_cast<int>(consumed * 100 / size);
}

void reportProgress(Progress& progress, std::uint64_t consumed, std::uint64_t size) {
    progress.setPercent(progressPercent(consumed, size));
    progress.pump();
}

PhaseTimer::PhaseTimer(ImportEvents& events, const Clock& clock, ImportPhase phase)
    : events_(events), clock_(clock), phase_(phase) {
    restart();
}

void PhaseTimer::restart() {
    start_ = clock_.now().hhmmss();
    events_.phaseStarted(phase_, start_);
}

void PhaseTimer::finish(bool completed) {
    const std::string end = clock_.now().hhmmss();
    events_.phaseEnded(phase_, end, completed ? elapsedTime(start_, end) : std::string());
}

}  // namespace kova
