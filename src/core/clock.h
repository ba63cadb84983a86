// The current date and time, behind an interface so that tests can fix it.
#pragma once

#include <string>

namespace kova {

struct DateTime {
    int year = 0, month = 0, day = 0;
    int hour = 0, minute = 0, second = 0;

    std::string hhmmss() const;      // "hh:mm:ss"
    std::string ddmmyyyy() const;    // "DDMMYYYY"
    std::string ddmmyyyySlashes() const;  // "DD/MM/YYYY"
};

class Clock {
public:
    virtual ~Clock() = default;
    virtual DateTime now() const = 0;
};

// Local time of the machine.
class SystemClock : public Clock {
public:
    DateTime now() const override;
};

// A clock that always answers the same instant (tests, reproducible runs).
class FixedClock : public Clock {
public:
    explicit FixedClock(DateTime t) : t_(t) {}
    DateTime now() const override { return t_; }
    void set(DateTime t) { t_ = t; }

private:
    DateTime t_;
};

// Difference end - start of two "hh:mm:ss" texts, written as a time of day "HH:mm:ss" (wraps past midnight).
std::string elapsedTime(const std::string& start, const std::string& end);

}  // namespace kova
