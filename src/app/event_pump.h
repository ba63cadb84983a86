// Lets pending window events run during a long loop, at most every ~30 ms: often enough for repaints and the
// cancel button, rarely enough that a loop over a million records does not spend its time in the event loop.
#pragma once

#include <QElapsedTimer>

namespace kova::app {

class EventPump {
public:
    explicit EventPump(int intervalMs = 30) : intervalMs_(intervalMs) {}
    // Pumps when the interval has passed since the last pump (always the first time).
    void pump();
    // Pumps now.
    void pumpNow();
    long long pumps() const { return pumps_; }

private:
    int intervalMs_;
    QElapsedTimer sinceLast_;
    long long pumps_ = 0;
};

}  // namespace kova::app
