// The work database KOVALDDB.MDB in the program folder (an SQLite file): the error log of the last import
// (ERROS) with the values found beside it (ERROSVALOR), the error texts (TABERRO), PARAM, the catalogue of
// generated declarations (IDENTIFICACAO) and the view CONSULTAERROS joining the log with the texts in the order
// the rows were recorded.
#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <string>

#include "core/atomic_file.h"
#include "core/error_log.h"
#include "core/faults.h"
#include "core/ports.h"
#include "core/sqlite_statement.h"

struct sqlite3;

namespace kova {

inline constexpr const char* kWorkDatabaseFile = "KOVALDDB.MDB";
inline constexpr const char* kCompactedDatabaseFile = "KOVALDNEW.MDB";
// Another process's write (a batch command, the desktop program) is waited for this long before it is a fault.
inline constexpr std::chrono::milliseconds kDefaultLockWait{5000};

// Creates a fresh work database (every table, the index, the view and the error texts) at path. The file
// appears complete or not at all. Refuses with Fault 58 when the file exists. Throws kova::Fault.
void createDatabase(const std::filesystem::path& path, FileOps& ops = systemFileOps());

// One connection, used by one thread at a time (the user-interface thread, or a batch command).
class WorkDatabase final : public ErrorLog {
public:
    // Nothing is opened here. fileOps carries the file steps of the opening check and of the compaction.
    explicit WorkDatabase(std::filesystem::path programFolder, FileOps& fileOps = systemFileOps());
    ~WorkDatabase() override;
    WorkDatabase(const WorkDatabase&) = delete;
    WorkDatabase& operator=(const WorkDatabase&) = delete;

    const std::filesystem::path& programFolder() const { return folder_; }
    // How long a statement waits for another process's lock before it fails with 3046 (from the next open).
    void setLockWait(std::chrono::milliseconds wait) { lockWait_ = wait; }
    std::filesystem::path databasePath() const { return folder_ / kWorkDatabaseFile; }

    // Start-up opening: opens the file, and when the log holds rows left from the last run, empties it,
    // compacts the file and opens it again, under the folder's write lock (when another process holds it, the
    // rows are its own and stay). On failure shows the "ERRO Nº: " message (or, for the compaction, compact's
    // own) and returns false with the database closed.
    bool openForSession(Prompts& prompts);
    // Opens the file as it is; on failure shows the same "ERRO Nº: " message and returns false.
    bool openOrTell(Prompts& prompts);
    // Compacts the closed database through KOVALDNEW.MDB; KOVALDDB.MDB is at every moment either the old or
    // the compacted file. On failure shows "Erro na abertura do banco de dados." and returns false.
    bool compact(Prompts& prompts);

    // Opens the existing file without any message: never creates it, and refuses a file that is not a work
    // database. Throws kova::Fault (53 missing file, 76 missing folder, 3046 locked, 3049 damaged or foreign...).
    void open();
    // The same, for a reader: the file and the folder are only read (they may be read-only), and an import
    // running meanwhile is waited for only while it commits. Writing through it fails with a fault.
    void openReadOnly();
    // The compaction itself; closes the database first. Throws kova::Fault.
    void compact();
    // Commits an unfinished batch and closes. Never throws.
    void close() noexcept;
    bool isOpen() const { return db_ != nullptr; }

    // The open connection, for the other tables (IDENTIFICACAO) through SqliteStatement. Throws Fault 91 when
    // the database is not open.
    sqlite3* handle() const;

    // ErrorLog. Every failure throws kova::Fault. Without a complement the column stays NULL; CONSULTAERROS
    // (the view and the method) delivers it as "". The value goes to the side table ERROSVALOR, under the
    // row's id; listErrors joins it.
    void recordRow(const ErrorRow& row) override;
    std::int64_t rowCount() override;
    void emptyLog() override;
    void listErrors(const std::function<bool(const ErrorListing&)>& visit) override;
    // One transaction: begins one unless one is open; commit ends the open one.
    void beginBatch() override;
    void commitBatch() override;

private:
    bool failedToOpen(Prompts& prompts, const Fault& fault);
    void connect(bool readOnly);
    std::filesystem::path folder_;
    FileOps& ops_;
    sqlite3* db_ = nullptr;
    std::chrono::milliseconds lockWait_{kDefaultLockWait};
    SqliteStatement insertError_;
    SqliteStatement insertValue_;
    bool hasValueTable_ = false;  // ERROSVALOR exists (a reader of an older database goes without it)
    SqliteStatement countErrors_;
};

}  // namespace kova
