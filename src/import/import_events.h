// What an import, and the generation and transmission that follow it, tell whoever follows them: the desktop
// screen, kova-cli and the tests each implement these events and decide for themselves how to show them.
// Texts are UTF-8.
#pragma once

#include <cstdint>
#include <string>

#include "core/clock.h"
#include "core/error_log.h"
#include "core/ports.h"

namespace kova {

// The timed phases of an import.
enum class ImportPhase { OpenFile, Critique, Generation, Transmission };

// The declarant data of the chosen file, formatted for display (all empty when nothing is chosen).
struct DeclarantDisplay {
    std::string name, cnpj, rectifying, year, situation, periodStart, periodEnd, eventDate;
    bool operator==(const DeclarantDisplay&) const = default;
};

// Progress: setPercent is the progress of the current pass (0 to 100); pump lets pending window events run
// (implementations throttle the real pumping, so calling it after every record is cheap). Every event has an
// empty default, so each follower takes only what it shows.
class ImportEvents : public Progress {
public:
    void setPercent(int) override {}
    void pump() override {}
    // A phase started at `start` ("hh:mm:ss"); its end and elapsed time are not known yet.
    virtual void phaseStarted(ImportPhase /*phase*/, const std::string& /*start*/) {}
    // A phase ended at `end`; `elapsed` is empty when the phase did not complete (a refused transmission).
    virtual void phaseEnded(ImportPhase /*phase*/, const std::string& /*end*/, const std::string& /*elapsed*/) {}
    // The one-line status text ("" when there is nothing to say).
    virtual void statusChanged(const std::string& /*text*/) {}
    // The pending-errors list: emptied, one more line, the number of errors found.
    virtual void pendingCleared() {}
    virtual void pendingLine(const std::string& /*line*/) {}
    // The line of one error row, with the row it shows (a follower that only shows lines takes the line).
    virtual void pendingRow(const ErrorListing& /*row*/, const std::string& line) { pendingLine(line); }
    virtual void errorCountChanged(std::int64_t /*count*/) {}
    // A notice that is not an error row (the zero-amount warning), shown at the end of the pending list.
    virtual void warning(const std::string& /*line*/) {}
    // The operation is working without the person's input (busy pointer) or waiting for it.
    virtual void busyChanged(bool /*busy*/) {}
    // Files were added to or removed from the folders the person chooses from.
    virtual void folderContentsChanged() {}
};

// Progress is bytes consumed × 100 / file size, not above 100; then pending events run. A size of 0 shows 0.
int progressPercent(std::uint64_t consumed, std::uint64_t size);
// (ATUALIZAPROGRESSO)
void reportProgress(Progress& progress, std::uint64_t consumed, std::uint64_t size);

// Times one phase: tells its start when made (and again on restart) and its end with the elapsed time.
class PhaseTimer {
public:
    PhaseTimer(ImportEvents& events, const Clock& clock, ImportPhase phase);
    // The start is taken again (the person was kept waiting by a question before the phase could go on).
    void restart();
    // Tells the end; the elapsed time only when the phase completed.
    void finish(bool completed = true);

private:
    ImportEvents& events_;
    const Clock& clock_;
    ImportPhase phase_;
    std::string start_;
};

}  // namespace kova
