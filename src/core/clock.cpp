#include "core/clock.h"

#include <cstdio>
#include <ctime>

namespace kova {

namespace {
std::string format(const char* pattern, int a, int b, int c) {
    char buf[32];
    std::snprintf(buf, sizeof buf, pattern, a, b, c);
    return buf;
}

int secondsOf(const std::string& hhmmss) {
    int h = 0, m = 0, s = 0;
    if (std::sscanf(hhmmss.c_str(), "%d:%d:%d", &h, &m, &s) != 3) return 0;
    return h * 3600 + m * 60 + s;
}
}  // namespace

std::string DateTime::hhmmss() const { return format("%02d:%02d:%02d", hour, minute, second); }
std::string DateTime::ddmmyyyy() const { return format("%02d%02d%04d", day, month, year); }
std::string DateTime::ddmmyyyySlashes() const { return format("%02d/%02d/%04d", day, month, year); }

DateTime SystemClock::now() const {
    std::time_t t = std::time(nullptr);
    std::tm tm{};
    localtime_r(&t, &tm);
    return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
}

std::string elapsedTime(const std::string& start, const std::string& end) {
    int diff = secondsOf(end) - secondsOf(start);
    if (diff < 0) diff += 24 * 3600;
    return format("%02d:%02d:%02d", diff / 3600, diff / 60 % 60, diff % 60);
}

}  // namespace kova
