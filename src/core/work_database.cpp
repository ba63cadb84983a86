#include "core/work_database.h"

#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

#include "core/error_texts.h"
#include "core/faults.h"
#include "core/folder_lock.h"

namespace kova {
namespace {

constexpr const char* kProgramTitle = "KOVA Não-Incidência";

// The one schema of the work database. The view delivers the log in the order the rows were recorded and
// never hides a row: a code without text still shows.
constexpr const char* kSchema = R"sql(
CREATE TABLE ERROS (
    id             INTEGER PRIMARY KEY,
    CNPJ           TEXT    NOT NULL,
    TIPOREG        TEXT    NOT NULL,
    nreg           INTEGER NOT NULL,
    posini         TEXT    NOT NULL,
    posfin         TEXT    NOT NULL,
    coderro        INTEGER NOT NULL,
    NOME           TEXT    NOT NULL,
    COMPLEMENTOERR TEXT
);
CREATE INDEX ITIPON ON ERROS (TIPOREG, nreg);
CREATE TABLE TABERRO (
    coderro  INTEGER PRIMARY KEY,
    descerro TEXT NOT NULL
);
CREATE TABLE PARAM (
    NOME  TEXT PRIMARY KEY,
    VALOR TEXT
);
CREATE TABLE IDENTIFICACAO (
    CNPJ              TEXT,
    TRIMANO           TEXT,
    SITUACAO          TEXT,
    DATAEVENTO        TEXT,
    NOME              TEXT,
    Tipo              TEXT,
    nomearquivo       TEXT,
    NOMEDIRETORIO     TEXT,
    NOMEARQUIVORECIBO TEXT,
    TRANSMITIDA       TEXT,
    PERI              TEXT,
    PERF              TEXT
);
CREATE VIEW CONSULTAERROS AS
    SELECT E.id AS id, E.CNPJ AS CNPJ, E.TIPOREG AS TIPOREG, E.nreg AS nreg, E.posini AS posini,
           E.posfin AS posfin, E.coderro AS coderro, E.NOME AS NOME,
           COALESCE(E.COMPLEMENTOERR, '') AS COMPLEMENTOERR,
           COALESCE(T.descerro, 'Erro ' || E.coderro || ' sem descrição.') AS descerro
    FROM ERROS AS E LEFT JOIN TABERRO AS T ON T.coderro = E.coderro
    ORDER BY E.id;
INSERT INTO PARAM (NOME, VALOR) VALUES ('VERSAOBANCO', '1');
)sql";

// The value found in the faulty columns of each row of ERROS, keyed by its id: beside the log so that ERROS and
// CONSULTAERROS stay as the error report and the pending list read them. A database made before it existed gets
// it when opened.
constexpr const char* kValueTable = "ERROSVALOR";
constexpr const char* kValueTableSchema = "CREATE TABLE ERROSVALOR (id INTEGER PRIMARY KEY, VALOR TEXT NOT NULL)";

bool hasValueTable(sqlite3* db) {
    SqliteStatement probe(db, "SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = ?1");
    probe.bind(1, kValueTable);
    return probe.step();
}

// What open() demands of a file before it is taken for a work database.
struct RequiredObject {
    const char* name;
    const char* type;  // as in sqlite_master
    std::initializer_list<const char*> columns;
};

const RequiredObject kRequired[] = {
    {"ERROS", "table", {"CNPJ", "TIPOREG", "nreg", "posini", "posfin", "coderro", "NOME", "COMPLEMENTOERR"}},
    {"ITIPON", "index", {}},
    {"TABERRO", "table", {"coderro", "descerro"}},
    {"PARAM", "table", {}},
    {"IDENTIFICACAO", "table",
     {"CNPJ", "TRIMANO", "SITUACAO", "DATAEVENTO", "NOME", "Tipo", "nomearquivo", "NOMEDIRETORIO",
      "NOMEARQUIVORECIBO", "TRANSMITIDA", "PERI", "PERF"}},
    {"CONSULTAERROS", "view",
     {"descerro", "COMPLEMENTOERR", "TIPOREG", "nreg", "posini", "posfin", "coderro", "CNPJ", "NOME"}},
};

// A missing table, view or index means the file is not ours (3049); a missing column, 3265.
void verifySchema(sqlite3* db) {
    SqliteStatement object(db, "SELECT type FROM sqlite_master WHERE name = ?1 COLLATE NOCASE");
    SqliteStatement column(db, "SELECT 1 FROM pragma_table_info(?1) WHERE name = ?2 COLLATE NOCASE");
    for (const auto& required : kRequired) {
        object.bind(1, required.name);
        bool present = object.step() && object.text(0) == required.type;
        object.reset();
        if (!present) throw Fault(3049, std::string("not a work database: no ") + required.type + " " + required.name);
        for (const char* name : required.columns) {
            column.bind(1, required.name).bind(2, name);
            bool found = column.step();
            column.reset();
            if (!found) throw Fault(3265, std::string("no column ") + required.name + "." + name);
        }
    }
}

// Opens an existing file, read-write unless readOnly. A file locked by another process is waited for `lockWait`
// before it fails with 3046. A connection serves one thread at a time, so it goes without its mutex.
sqlite3* openConnection(const std::filesystem::path& path, std::chrono::milliseconds lockWait = {},
                        bool readOnly = false) {
    sqlite3* db = nullptr;
    const int access = readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE;
    int rc = sqlite3_open_v2(path.c_str(), &db, access | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc != SQLITE_OK) {
        Fault fault = sqliteFault(db, rc);
        sqlite3_close_v2(db);
        throw fault;
    }
    sqlite3_extended_result_codes(db, 1);
    sqlite3_busy_timeout(db, static_cast<int>(lockWait.count()));
    return db;
}

struct ConnectionCloser {
    sqlite3* db;
    ~ConnectionCloser() { sqlite3_close_v2(db); }
};

// The file must be there and usable by us before SQLite sees it: SQLite would otherwise create a missing
// file, and its own "cannot open" hides whether the file or the folder is missing or the access is denied.
void checkFileAccess(const std::filesystem::path& folder, const std::filesystem::path& file, FileOps& ops,
                     bool readOnly = false) {
    struct stat info {};
    if (::stat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) throw faultFromErrno(ENOTDIR);
    int fd = ops.open(file.c_str(), (readOnly ? O_RDONLY : O_RDWR) | O_CLOEXEC, 0);
    if (fd < 0) throw faultFromErrno(errno);
    ops.close(fd);
}

void showMessage(Prompts& prompts, std::string text, Icon icon) {
    Message message;
    message.title = kProgramTitle;
    message.text = std::move(text);
    message.icon = icon;
    message.buttons = Buttons::Ok;
    message.defaultAnswer = Answer::Ok;
    prompts.show(message);
}

}  // namespace

// ---- creation ------------------------------------------------------------------------------------------------

void createDatabase(const std::filesystem::path& path, FileOps& ops) {
    std::error_code ec;
    if (std::filesystem::exists(std::filesystem::symlink_status(path, ec))) throw faultFromErrno(EEXIST);

    // SQLite fills an empty temporary file of our own; the writer then syncs it and renames it into place.
    AtomicFileWriter file(path, ops);
    const std::filesystem::path journal = file.temporaryPath().string() + "-journal";
    try {
        sqlite3* db = openConnection(file.temporaryPath());
        ConnectionCloser closer{db};
        executeSql(db, "BEGIN");
        executeSql(db, kSchema);
        executeSql(db, kValueTableSchema);
        SqliteStatement insert(db, "INSERT INTO TABERRO (coderro, descerro) VALUES (?1, ?2)");
        for (const auto& text : errorTexts()) {
            insert.bind(1, text.code).bind(2, text.description);
            insert.run();
        }
        executeSql(db, "COMMIT");
        insert = SqliteStatement();
        int rc = sqlite3_close(db);
        closer.db = nullptr;
        if (rc != SQLITE_OK) throw faultFromSqlite(rc);
    } catch (const Fault&) {
        file.abandon();
        ::unlink(journal.c_str());
        throw;
    }
    file.commit();
}

// ---- WorkDatabase --------------------------------------------------------------------------------------------

WorkDatabase::WorkDatabase(std::filesystem::path programFolder, FileOps& fileOps)
    : folder_(std::move(programFolder)), ops_(fileOps) {}

WorkDatabase::~WorkDatabase() { close(); }

sqlite3* WorkDatabase::handle() const {
    if (db_ == nullptr) throw Fault(91, "the work database is not open");
    return db_;
}

void WorkDatabase::open() { connect(false); }

void WorkDatabase::openReadOnly() { connect(true); }

void WorkDatabase::connect(bool readOnly) {
    close();
    const std::filesystem::path path = databasePath();
    checkFileAccess(folder_, path, ops_, readOnly);
    db_ = openConnection(path, lockWait_, readOnly);
    try {
        verifySchema(db_);
        // A reader leaves an older database as it is: its rows list without values.
        hasValueTable_ = hasValueTable(db_);
        if (!hasValueTable_ && !readOnly) {
            executeSql(db_, kValueTableSchema);
            hasValueTable_ = true;
        }
        insertError_ = SqliteStatement(db_,
                                       "INSERT INTO ERROS (CNPJ, TIPOREG, nreg, posini, posfin, coderro, NOME, "
                                       "COMPLEMENTOERR) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8)");
        // OR REPLACE: ids start again from 1 once the log is emptied, so a value left by a program that emptied
        // ERROS alone is overwritten, never shown for another row.
        if (hasValueTable_)
            insertValue_ = SqliteStatement(db_, "INSERT OR REPLACE INTO ERROSVALOR (id, VALOR) VALUES (?1, ?2)");
        countErrors_ = SqliteStatement(db_, "SELECT COUNT(*) FROM ERROS");
    } catch (const Fault&) {
        close();
        throw;
    }
}

void WorkDatabase::close() noexcept {
    if (db_ == nullptr) return;
    insertError_ = SqliteStatement();
    insertValue_ = SqliteStatement();
    countErrors_ = SqliteStatement();
    // Rows of an unfinished batch are kept: an interrupted import still shows what it found.
    if (sqlite3_get_autocommit(db_) == 0) sqlite3_exec(db_, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close_v2(db_);
    db_ = nullptr;
}

bool WorkDatabase::openForSession(Prompts& prompts) {
    try {
        open();
        if (rowCount() > 0) {
            // The rows may belong to another process's import that is still writing: they are left to it.
            const auto lock = FolderWriteLock::acquire(folder_);
            if (!lock) return true;
            emptyLog();
            close();
            if (!compact(prompts)) return false;
            open();
        }
        return true;
    } catch (const Fault& fault) {
        return failedToOpen(prompts, fault);
    }
}

bool WorkDatabase::openOrTell(Prompts& prompts) {
    try {
        open();
        return true;
    } catch (const Fault& fault) {
        return failedToOpen(prompts, fault);
    }
}

bool WorkDatabase::failedToOpen(Prompts& prompts, const Fault& fault) {
    close();
    showMessage(prompts,
                "ERRO Nº: " + std::to_string(fault.number()) +
                    "\nNão foi possível abrir o banco de dados. Programa cancelado.",
                Icon::Critical);
    return false;
}

bool WorkDatabase::compact(Prompts& prompts) {
    try {
        compact();
        return true;
    } catch (const Fault&) {
        showMessage(prompts, "Erro na abertura do banco de dados.", Icon::Exclamation);
        return false;
    }
}

void WorkDatabase::compact() {
    close();
    const std::filesystem::path source = databasePath();
    const std::filesystem::path target = folder_ / kCompactedDatabaseFile;
    checkFileAccess(folder_, source, ops_);
    removeFileIfPresent(target, ops_);  // left by an interrupted compaction; VACUUM INTO wants no file there
    try {
        sqlite3* db = openConnection(source);
        ConnectionCloser closer{db};
        SqliteStatement vacuum(db, "VACUUM INTO ?1");
        vacuum.bind(1, target.string());
        vacuum.run();
        vacuum = SqliteStatement();
        int rc = sqlite3_close(db);
        closer.db = nullptr;
        if (rc != SQLITE_OK) throw faultFromSqlite(rc);
        // Syncs the compacted file (VACUUM INTO does not), renames it over the source and syncs the folder.
        replaceFileAtomically(target, source, ops_);
    } catch (const Fault&) {
        ops_.unlink(target.c_str());
        throw;
    }
}

void WorkDatabase::recordRow(const ErrorRow& row) {
    handle();
    insertError_.bind(1, row.cnpj)
        .bind(2, row.recordType)
        .bind(3, row.recordNumber)
        .bind(4, row.firstColumn)
        .bind(5, row.lastColumn)
        .bind(6, row.code)
        .bind(7, row.name)
        .bind(8, row.complement);
    insertError_.run();
    const std::int64_t id = sqlite3_last_insert_rowid(db_);
    try {
        insertValue_.bind(1, id).bind(2, row.value);
        insertValue_.run();
    } catch (const Fault&) {
        // A row is kept with its value or not at all, so that a retried write does not leave it twice.
        try {
            SqliteStatement(db_, "DELETE FROM ERROS WHERE id = ?1").bind(1, id).run();
        } catch (const Fault&) {
            // The database is failing; the first fault is the one reported.
        }
        throw;
    }
}

std::int64_t WorkDatabase::rowCount() {
    handle();
    countErrors_.step();
    std::int64_t count = countErrors_.integer(0);
    countErrors_.reset();
    return count;
}

void WorkDatabase::emptyLog() {
    // The log and its values go together: a value must never outlive its row, as ids start again from 1.
    const bool ownTransaction = sqlite3_get_autocommit(handle()) != 0;
    if (ownTransaction) executeSql(db_, "BEGIN");
    try {
        executeSql(db_, hasValueTable_ ? "DELETE FROM ERROS; DELETE FROM ERROSVALOR" : "DELETE FROM ERROS");
        if (ownTransaction) executeSql(db_, "COMMIT");
    } catch (const Fault&) {
        if (ownTransaction) sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
        throw;
    }
}

void WorkDatabase::listErrors(const std::function<bool(const ErrorListing&)>& visit) {
    SqliteStatement rows(handle(),
                         std::string("SELECT C.descerro, C.COMPLEMENTOERR, C.TIPOREG, C.nreg, C.posini, C.posfin, "
                                     "C.coderro, C.CNPJ, C.NOME, "
                                     "EXISTS (SELECT 1 FROM TABERRO AS T WHERE T.coderro = C.coderro "
                                     "AND typeof(T.descerro) = 'text' AND T.descerro <> ''), ") +
                             (hasValueTable_ ? "COALESCE(V.VALOR, '') FROM CONSULTAERROS AS C "
                                               "LEFT JOIN ERROSVALOR AS V ON V.id = C.id ORDER BY C.id"
                                             : "'' FROM CONSULTAERROS AS C"));
    ErrorListing row;
    while (rows.step()) {
        // Every code the checks record has its text: a row without one means a damaged TABERRO.
        if (rows.integer(9) == 0) throw Fault(3049, "no text for error code " + std::to_string(rows.integer(6)));
        row.description = rows.text(0);
        row.complement = rows.text(1);
        row.recordType = rows.text(2);
        row.recordNumber = rows.integer(3);
        row.firstColumn = rows.text(4);
        row.lastColumn = rows.text(5);
        row.code = static_cast<int>(rows.integer(6));
        row.cnpj = rows.text(7);
        row.name = rows.text(8);
        row.value = rows.text(10);
        if (!visit(row)) return;
    }
}

void WorkDatabase::beginBatch() {
    if (sqlite3_get_autocommit(handle()) != 0) executeSql(db_, "BEGIN");
}

void WorkDatabase::commitBatch() {
    if (sqlite3_get_autocommit(handle()) == 0) executeSql(db_, "COMMIT");
}

}  // namespace kova
