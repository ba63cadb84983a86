// A prepared SQLite statement that finalizes itself, binds by position and throws kova::Fault with the mapped
// fault number on every failure.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/faults.h"

struct sqlite3;
struct sqlite3_stmt;

namespace kova {

// The Fault for the last failure on the connection (its SQLite code and message).
Fault sqliteFault(sqlite3* db, int resultCode);

// Runs one or more statements without results ("DELETE FROM ERROS", "BEGIN", ...). Throws kova::Fault.
void executeSql(sqlite3* db, const char* sql);

class SqliteStatement {
public:
    SqliteStatement() = default;
    // Prepares the statement for repeated use. Throws kova::Fault.
    SqliteStatement(sqlite3* db, std::string_view sql);
    ~SqliteStatement();
    SqliteStatement(SqliteStatement&& other) noexcept;
    SqliteStatement& operator=(SqliteStatement&& other) noexcept;
    SqliteStatement(const SqliteStatement&) = delete;
    SqliteStatement& operator=(const SqliteStatement&) = delete;

    // Parameters are numbered from 1, as in "?1" or in order of the "?" marks. Texts are copied.
    SqliteStatement& bind(int index, std::string_view text);
    SqliteStatement& bind(int index, const char* text) { return bind(index, std::string_view(text)); }
    SqliteStatement& bind(int index, const std::string& text) { return bind(index, std::string_view(text)); }
    SqliteStatement& bind(int index, std::int64_t value);
    SqliteStatement& bind(int index, int value) { return bind(index, static_cast<std::int64_t>(value)); }
    // An absent value binds NULL.
    SqliteStatement& bind(int index, const std::optional<std::string>& text);
    SqliteStatement& bindNull(int index);

    // Advances to the next row: true when a row is available, false when the statement is done.
    bool step();
    // Runs a statement that returns no rows to its end and resets it for the next use.
    void run();
    // Makes the statement ready to run again and clears its parameters.
    void reset();

    // Columns are numbered from 0. NULL reads as "" or 0.
    std::string text(int column) const;
    std::int64_t integer(int column) const;
    bool isNull(int column) const;

    sqlite3_stmt* get() const { return stmt_; }
    explicit operator bool() const { return stmt_ != nullptr; }

private:
    void check(int resultCode) const;

    sqlite3* db_ = nullptr;
    sqlite3_stmt* stmt_ = nullptr;
};

}  // namespace kova
