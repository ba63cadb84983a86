// Private to the structure check and the validators: recording a finding of the current record, and the fault
// trap that offers a failed step again.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "core/error_log.h"
#include "core/ports.h"
#include "core/record_layout.h"
#include "core/retry.h"
#include "import/import_state.h"

namespace kova::detail {

// Thrown by FaultTrap when the person gave up on a failed step; the operation then ends with false.
struct Abandoned {};

// Runs steps under the operation's retry message; a step that is not retried ends the operation (Abandoned).
class FaultTrap {
public:
    FaultTrap(Prompts& prompts, const RetryText& text) : prompts_(prompts), text_(text) {}
    void run(const std::function<void()>& step) const {
        if (!withRetry(prompts_, text_, step)) throw Abandoned{};
    }

private:
    Prompts& prompts_;
    const RetryText& text_;
};

// The fault message of an operation: its title, and either the usual sentence + faultMessage + "Tenta novamente ?"
// or a text composed from the fault; without a retry the fault is only reported.
RetryText faultText(std::string title, std::function<std::string(const Fault&)> compose = {},
                    bool offerRetry = true);

// `value` in decimal, zero-padded on the left to `width` (never cut).
std::string zeroPaddedText(std::uint64_t value, std::size_t width);

// A column as the error log keeps it: four digits with leading zeros ("0001".."0142").
std::string columnText(std::size_t column);

// The record type as the error log shows it: UTF-8, one visible character. A type missing from a short record
// or a control byte is shown as a blank, so the row never holds an empty or unprintable type.
std::string typeText(std::string_view typeBytes);

// Whether a sequence field reads the record's number as 8 digits with leading zeros.
bool isSequenceOf(std::string_view sequence, std::int64_t recordNumber);

// Numeric value of a digits-only text (0 for the empty text); the caller checks isNumeric first.
std::uint64_t digitsValue(std::string_view digits);

// True when the record holds the whole field and every character of it is `c`.
bool fieldIsAll(const RecordView& record, const Field& field, char c);

// Records findings of the current record (its type and number, the declarant CNPJ and name, what the field's
// columns hold) under a fault trap.
class RecordErrors {
public:
    RecordErrors(const ImportState& state, ErrorLog& log, const FaultTrap& trap)
        : state_(state), log_(log), trap_(trap) {}

    // One error row over the field's columns; throws Abandoned when a failing write was not retried.
    void record(int code, const Field& field, const std::optional<std::string>& complement = std::nullopt) const;

private:
    const ImportState& state_;
    ErrorLog& log_;
    const FaultTrap& trap_;
};

// The sequence field (positions 1-8) must be digits (error 2) reading `expected` (error 26); either error
// ends the pass, and the result is then false.
bool sequenceAccepted(const RecordErrors& errors, std::string_view sequence, std::int64_t expected);

// The codes of the name rule; the header, the entities and the beneficiaries each have their own.
struct NameCodes {
    int blank;         // all blanks
    int leadingBlank;  // first character blank
    int tooShort;      // fewer than 3 characters after trimming
    int characters;    // a character other than a letter, a digit or a blank
    int noLetters;     // not one letter (0: not checked)
    int lowerCase;     // a lower-case letter
};

// The code of the first rule the name breaks, or 0 when it passes.
int nameErrorCode(std::string_view name, const NameCodes& codes);

// Runs a validator's body; a step given up on ends it with false.
template <class Body>
bool runTrapped(Body&& body) {
    try {
        return body();
    } catch (const Abandoned&) {
        return false;
    }
}

}  // namespace kova::detail
