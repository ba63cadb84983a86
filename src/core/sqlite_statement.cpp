#include "core/sqlite_statement.h"

#include <sqlite3.h>

#include <utility>

#include "core/faults.h"

namespace kova {

Fault sqliteFault(sqlite3* db, int resultCode) {
    if (db == nullptr) return faultFromSqlite(resultCode);
    return faultFromSqlite(resultCode, sqlite3_errmsg(db));
}

void executeSql(sqlite3* db, const char* sql) {
    char* message = nullptr;
    int rc = sqlite3_exec(db, sql, nullptr, nullptr, &message);
    if (rc == SQLITE_OK) return;
    std::string text = message != nullptr ? message : "";
    sqlite3_free(message);
    throw faultFromSqlite(rc, text);
}

SqliteStatement::SqliteStatement(sqlite3* db, std::string_view sql) : db_(db) {
    int rc = sqlite3_prepare_v3(db, sql.data(), static_cast<int>(sql.size()), SQLITE_PREPARE_PERSISTENT, &stmt_,
                                nullptr);
    if (rc != SQLITE_OK) {
        sqlite3_finalize(stmt_);
        stmt_ = nullptr;
        throw sqliteFault(db, rc);
    }
}

SqliteStatement::~SqliteStatement() { sqlite3_finalize(stmt_); }

SqliteStatement::SqliteStatement(SqliteStatement&& other) noexcept
    : db_(std::exchange(other.db_, nullptr)), stmt_(std::exchange(other.stmt_, nullptr)) {}

SqliteStatement& SqliteStatement::operator=(SqliteStatement&& other) noexcept {
    if (this != &other) {
        sqlite3_finalize(stmt_);
        db_ = std::exchange(other.db_, nullptr);
        stmt_ = std::exchange(other.stmt_, nullptr);
    }
    return *this;
}

void SqliteStatement::check(int resultCode) const {
    if (resultCode != SQLITE_OK) throw sqliteFault(db_, resultCode);
}

SqliteStatement& SqliteStatement::bind(int index, std::string_view text) {
    check(sqlite3_bind_text(stmt_, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT));
    return *this;
}

SqliteStatement& SqliteStatement::bind(int index, std::int64_t value) {
    check(sqlite3_bind_int64(stmt_, index, value));
    return *this;
}

SqliteStatement& SqliteStatement::bind(int index, const std::optional<std::string>& text) {
    return text ? bind(index, std::string_view(*text)) : bindNull(index);
}

SqliteStatement& SqliteStatement::bindNull(int index) {
    check(sqlite3_bind_null(stmt_, index));
    return *this;
}

bool SqliteStatement::step() {
    if (stmt_ == nullptr) throw Fault(91, "statement not prepared");
    int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_ROW) return true;
    if (rc == SQLITE_DONE) return false;
    Fault fault = sqliteFault(db_, rc);
    sqlite3_reset(stmt_);  // leaves the statement usable for a retry
    throw fault;
}

void SqliteStatement::run() {
    while (step()) {
    }
    reset();
}

void SqliteStatement::reset() {
    sqlite3_reset(stmt_);
    sqlite3_clear_bindings(stmt_);
}

std::string SqliteStatement::text(int column) const {
    const unsigned char* value = sqlite3_column_text(stmt_, column);
    if (value == nullptr) return {};
    const auto size = static_cast<std::size_t>(sqlite3_column_bytes(stmt_, column));
    return std::string(reinterpret_cast<const char*>(value), size);
}

std::int64_t SqliteStatement::integer(int column) const { return sqlite3_column_int64(stmt_, column); }

bool SqliteStatement::isNull(int column) const { return sqlite3_column_type(stmt_, column) == SQLITE_NULL; }

}  // namespace kova
