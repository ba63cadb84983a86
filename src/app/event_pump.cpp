#include "app/event_pump.h"

#include <QCoreApplication>

namespace kova::app {

void EventPump::pump() {
    if (sinceLast_.isValid() && sinceLast_.elapsed() < intervalMs_) return;
    pumpNow();
}

void EventPump::pumpNow() {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    sinceLast_.start();
    ++pumps_;
}

}  // namespace kova::app
