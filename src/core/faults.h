// Run-time faults carry the numbers of the fault table so that every message shows the same Portuguese text.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace kova {

class Fault : public std::runtime_error {
public:
    // platformText: the platform's own description, shown for numbers outside the table.
    explicit Fault(int number, std::string platformText = {});
    int number() const { return number_; }
    const std::string& platformText() const { return platformText_; }

private:
    int number_;
    std::string platformText_;
};

// Description of a fault number from the table; empty when the number is not in it.
std::string faultDescription(int number);

// "Erro: " + number + "\n" + description (the platform's text for numbers outside the table).
std::string faultMessage(const Fault& fault);

// errno → fault number (ENOENT 53, ENOSPC 61, EACCES 70, missing folder 76, ...).
Fault faultFromErrno(int err);
// SQLite result code → fault number (BUSY/LOCKED 3046, CORRUPT/NOTADB 3049, ...).
Fault faultFromSqlite(int resultCode, std::string_view message = {});

}  // namespace kova
