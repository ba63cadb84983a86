// The work database: creation, opening with its checks, compaction that never loses the file, the error log.
#include <gtest/gtest.h>

#include <sqlite3.h>
#include <sys/stat.h>

#include <chrono>
#include <thread>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "core/error_texts.h"
#include "core/faults.h"
#include "core/sqlite_statement.h"
#include "core/work_database.h"
#include "support/recording_prompts.h"
#include "support/temp_folder.h"
#include "fault_number.h"

namespace kova {
namespace {

namespace fs = std::filesystem;
using testing_support::TempFolder;
using Step = FaultInjectingFileOps::Step;
using core_tests::faultNumberOf;

// Records every message and answers OK.
using testing_support::RecordingPrompts;

const char* kOpenFailure = "Não foi possível abrir o banco de dados. Programa cancelado.";

// A second connection of its own, as another process would hold.
class OtherConnection {
public:
    explicit OtherConnection(const fs::path& path) {
        if (sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) throw Fault(3051);
    }
    ~OtherConnection() { sqlite3_close_v2(db_); }
    void exec(const char* sql) { executeSql(db_, sql); }
    std::int64_t count(const char* sql) {
        SqliteStatement statement(db_, sql);
        statement.step();
        return statement.integer(0);
    }

private:
    sqlite3* db_ = nullptr;
};

ino_t inodeOf(const fs::path& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 ? info.st_ino : 0;
}

void recordRows(WorkDatabase& db, int rows) {
    db.beginBatch();
    for (int i = 1; i <= rows; ++i)
        db.recordError("3", i, "0011", "0024", 22, "11222333000181", "EMPRESA TESTE", std::nullopt);
    db.commitBatch();
}

void addCatalogueRow(WorkDatabase& db, const std::string& cnpj) {
    SqliteStatement insert(db.handle(), "INSERT INTO IDENTIFICACAO (CNPJ, NOME, TRANSMITIDA) VALUES (?1, ?2, 'N')");
    insert.bind(1, cnpj).bind(2, "EMPRESA TESTE").run();
}

std::int64_t countOf(WorkDatabase& db, const char* sql) {
    SqliteStatement statement(db.handle(), sql);
    statement.step();
    return statement.integer(0);
}

class WorkDatabaseTest : public ::testing::Test {
protected:
    void SetUp() override { createDatabase(databasePath()); }
    fs::path databasePath() const { return folder / kWorkDatabaseFile; }
    fs::path compactedPath() const { return folder / kCompactedDatabaseFile; }

    // A database whose log holds rows left from a previous run, and a catalogue row that must survive.
    void leaveRowsFromLastRun(int rows) {
        WorkDatabase db(folder.path());
        db.open();
        recordRows(db, rows);
        addCatalogueRow(db, "11222333000181");
    }

    TempFolder folder;
    RecordingPrompts prompts;
};

// ---- creation and opening ------------------------------------------------------------------------------------

TEST_F(WorkDatabaseTest, FreshDatabaseOpensEmptyWithEveryErrorText) {
    WorkDatabase db(folder.path());
    db.open();
    EXPECT_EQ(db.rowCount(), 0);
    EXPECT_EQ(countOf(db, "SELECT COUNT(*) FROM TABERRO"), static_cast<std::int64_t>(errorTexts().size()));
    SqliteStatement text(db.handle(), "SELECT descerro FROM TABERRO WHERE coderro = 20");
    ASSERT_TRUE(text.step());
    EXPECT_EQ(text.text(0), errorText(20));
}

TEST_F(WorkDatabaseTest, CreationRefusesAnExistingFile) {
    EXPECT_EQ(faultNumberOf([&] { createDatabase(databasePath()); }), 58);
    WorkDatabase db(folder.path());
    EXPECT_NO_THROW(db.open());
}

TEST_F(WorkDatabaseTest, EmptyLogOpensWithoutCompaction) {
    const ino_t before = inodeOf(databasePath());
    WorkDatabase db(folder.path());
    ASSERT_TRUE(db.openForSession(prompts));
    EXPECT_TRUE(prompts.shown.empty());
    EXPECT_TRUE(db.isOpen());
    EXPECT_EQ(inodeOf(databasePath()), before);
}

TEST_F(WorkDatabaseTest, RowsFromLastRunAreEmptiedAndTheFileCompacted) {
    leaveRowsFromLastRun(20000);
    const auto sizeBefore = fs::file_size(databasePath());
    const ino_t before = inodeOf(databasePath());

    WorkDatabase db(folder.path());
    ASSERT_TRUE(db.openForSession(prompts));
    EXPECT_TRUE(prompts.shown.empty());
    EXPECT_EQ(db.rowCount(), 0);
    EXPECT_NE(inodeOf(databasePath()), before);  // replaced by the compacted file
    EXPECT_LT(fs::file_size(databasePath()), sizeBefore);
    EXPECT_FALSE(fs::exists(compactedPath()));
    EXPECT_EQ(countOf(db, "SELECT COUNT(*) FROM IDENTIFICACAO"), 1);
    // The log works after the reopening.
    db.recordError("1", 1, "0001", "0008", 2, "11222333000181", "EMPRESA TESTE");
    EXPECT_EQ(db.rowCount(), 1);
}

TEST_F(WorkDatabaseTest, StaleCompactedFileFromAnInterruptedRunIsReplaced) {
    leaveRowsFromLastRun(10);
    std::ofstream(compactedPath()) << "restos de uma compactação interrompida";
    WorkDatabase db(folder.path());
    ASSERT_TRUE(db.openForSession(prompts));
    EXPECT_TRUE(prompts.shown.empty());
    EXPECT_FALSE(fs::exists(compactedPath()));
}

// ---- compaction that fails -----------------------------------------------------------------------------------

class FailingCompaction : public WorkDatabaseTest, public ::testing::WithParamInterface<Step> {};

// Whatever step of the replacement fails, KOVALDDB.MDB is a whole database afterwards, with its data.
TEST_P(FailingCompaction, LeavesADatabaseThatOpensWithItsData) {
    leaveRowsFromLastRun(500);
    FaultInjectingFileOps ops;
    ops.failStep = GetParam();
    ops.failErrno = EIO;
    {
        WorkDatabase db(folder.path(), ops);
        EXPECT_FALSE(db.openForSession(prompts));
        EXPECT_FALSE(db.isOpen());
    }
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].text, "Erro na abertura do banco de dados.");
    EXPECT_EQ(prompts.shown[0].title, "KOVA Não-Incidência");
    EXPECT_EQ(prompts.shown[0].icon, Icon::Exclamation);
    EXPECT_EQ(prompts.shown[0].buttons, Buttons::Ok);
    EXPECT_FALSE(fs::exists(compactedPath()));

    WorkDatabase db(folder.path());
    ASSERT_NO_THROW(db.open());
    EXPECT_EQ(db.rowCount(), 0);  // the log had been emptied before the compaction
    EXPECT_EQ(countOf(db, "SELECT COUNT(*) FROM IDENTIFICACAO"), 1);
    EXPECT_EQ(countOf(db, "SELECT COUNT(*) FROM TABERRO"), static_cast<std::int64_t>(errorTexts().size()));
}

INSTANTIATE_TEST_SUITE_P(ReplacementSteps, FailingCompaction,
                         ::testing::Values(Step::FileSync, Step::Rename, Step::FolderSync),
                         [](const auto& info) {
                             switch (info.param) {
                                 case Step::FileSync: return std::string("SyncOfCompactedFile");
                                 case Step::Rename: return std::string("Rename");
                                 default: return std::string("FolderSyncAfterRename");
                             }
                         });

TEST_F(WorkDatabaseTest, CompactionThatCannotWriteItsTargetLeavesTheFileUntouched) {
    leaveRowsFromLastRun(10);
    fs::create_directory(compactedPath());  // in the way of VACUUM INTO's output, and cannot be unlinked
    const ino_t before = inodeOf(databasePath());
    WorkDatabase db(folder.path());
    EXPECT_FALSE(db.openForSession(prompts));
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].text, "Erro na abertura do banco de dados.");
    EXPECT_EQ(inodeOf(databasePath()), before);
    EXPECT_NO_THROW(db.open());
}

// ---- files that cannot be opened -----------------------------------------------------------------------------

struct BadFile {
    const char* name;
    std::function<void(const fs::path& database)> prepare;
    int number;
    int openErrno = 0;             // an opening that fails with this errno
    bool bindsOnlyUsers = false;   // a permission the superuser ignores
};

void writeText(const fs::path& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

const BadFile kBadFiles[] = {
    {"Missing", [](const fs::path& db) { fs::remove(db); }, 53},
    {"DirectoryInItsPlace",
     [](const fs::path& db) {
         fs::remove(db);
         fs::create_directory(db);
     },
     75},
    {"Truncated", [](const fs::path& db) { fs::resize_file(db, fs::file_size(db) / 2); }, 3049},
    {"TextFile", [](const fs::path& db) { writeText(db, std::string(5000, 'x')); }, 3049},
    {"ZeroBytes", [](const fs::path& db) { writeText(db, ""); }, 3049},
    {"OtherSqliteDatabase",
     [](const fs::path& db) {
         fs::remove(db);
         sqlite3* other = nullptr;
         sqlite3_open(db.c_str(), &other);
         executeSql(other, "CREATE TABLE CLIENTES (NOME TEXT)");
         sqlite3_close(other);
     },
     3049},
    {"ViewMissing", [](const fs::path& db) { OtherConnection(db).exec("DROP VIEW CONSULTAERROS"); },
     3049},
    {"IndexMissing", [](const fs::path& db) { OtherConnection(db).exec("DROP INDEX ITIPON"); },
     3049},
    {"ColumnMissing",
     [](const fs::path& db) {
         OtherConnection(db).exec("DROP TABLE IDENTIFICACAO; CREATE TABLE IDENTIFICACAO (CNPJ TEXT)");
     },
     3265},
    {"AccessDenied", [](const fs::path&) {}, 70, EACCES},
    {"Unreadable", [](const fs::path& db) { fs::permissions(db, fs::perms::none); }, 70, 0, true},
};

class UnopenableDatabase : public WorkDatabaseTest, public ::testing::WithParamInterface<BadFile> {};

TEST_P(UnopenableDatabase, GivesTheOpeningMessageWithItsNumber) {
    if (GetParam().bindsOnlyUsers && ::geteuid() == 0) GTEST_SKIP() << "permissions do not bind the superuser";
    GetParam().prepare(databasePath());
    const bool existedBefore = fs::exists(databasePath());
    FaultInjectingFileOps ops;
    if (GetParam().openErrno != 0) {
        ops.failStep = Step::Open;
        ops.failErrno = GetParam().openErrno;
    }
    WorkDatabase db(folder.path(), ops);
    EXPECT_FALSE(db.openForSession(prompts));
    EXPECT_FALSE(db.isOpen());
    ASSERT_EQ(prompts.shown.size(), 1u);
    const Message& message = prompts.shown[0];
    EXPECT_EQ(message.text, "ERRO Nº: " + std::to_string(GetParam().number) + "\n" + kOpenFailure);
    EXPECT_EQ(message.title, "KOVA Não-Incidência");
    EXPECT_EQ(message.icon, Icon::Critical);
    EXPECT_EQ(message.buttons, Buttons::Ok);
    EXPECT_EQ(fs::exists(databasePath()), existedBefore);  // a missing file is never created
}

INSTANTIATE_TEST_SUITE_P(Files, UnopenableDatabase, ::testing::ValuesIn(kBadFiles),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(WorkDatabaseTest, MissingFolderIsFault76) {
    WorkDatabase db(folder / "NAOEXISTE");
    EXPECT_EQ(faultNumberOf([&] { db.open(); }), 76);
    EXPECT_FALSE(fs::exists(folder / "NAOEXISTE"));
}

TEST_F(WorkDatabaseTest, LockedByAnotherProcessIsFault3046AfterTheWait) {
    OtherConnection other(databasePath());
    other.exec("BEGIN EXCLUSIVE");
    WorkDatabase db(folder.path());
    db.setLockWait(std::chrono::milliseconds(300));
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(db.openForSession(prompts));
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(300));
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].text, std::string("ERRO Nº: 3046\n") + kOpenFailure);
    other.exec("ROLLBACK");
    EXPECT_TRUE(db.openForSession(prompts));
}

TEST_F(WorkDatabaseTest, WritingWhileAnotherProcessLocksIsFault3046) {
    WorkDatabase db(folder.path());
    db.setLockWait(std::chrono::milliseconds(0));
    db.open();
    OtherConnection other(databasePath());
    other.exec("BEGIN EXCLUSIVE");
    EXPECT_EQ(faultNumberOf([&] { db.recordError("1", 1, "0001", "0008", 2, "11222333000181", "EMPRESA TESTE"); }),
              3046);
    other.exec("ROLLBACK");
    db.recordError("1", 1, "0001", "0008", 2, "11222333000181", "EMPRESA TESTE");  // the statement is usable again
    EXPECT_EQ(db.rowCount(), 1);
}

// Another process's short write is waited for: the row goes in once the lock is released.
TEST_F(WorkDatabaseTest, AShortLockOfAnotherProcessIsWaitedFor) {
    WorkDatabase db(folder.path());
    db.open();
    OtherConnection other(databasePath());
    other.exec("BEGIN EXCLUSIVE");
    std::thread release([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        other.exec("ROLLBACK");
    });
    EXPECT_NO_THROW(db.recordError("1", 1, "0001", "0008", 2, "11222333000181", "EMPRESA TESTE"));
    release.join();
    EXPECT_EQ(db.rowCount(), 1);
}

// ---- the error log -------------------------------------------------------------------------------------------

std::vector<ErrorListing> listing(WorkDatabase& db) {
    std::vector<ErrorListing> rows;
    db.listErrors([&](const ErrorListing& row) {
        rows.push_back(row);
        return true;
    });
    return rows;
}

TEST_F(WorkDatabaseTest, ComplementIsStoredOnlyWhenGiven) {
    WorkDatabase db(folder.path());
    db.open();
    db.recordError("1", 1, "0036", "0043", 20, "11222333000181", "EMPRESA TESTE", std::string("2024 p/ Sit Especial 00"));
    db.recordError("1", 1, "0057", "0116", 97, "11222333000181", "EMPRESA TESTE");
    db.recordError("1", 1, "0055", "0056", 40, "11222333000181", "EMPRESA TESTE", std::string());

    SqliteStatement stored(db.handle(), "SELECT COMPLEMENTOERR IS NULL FROM ERROS ORDER BY id");
    std::vector<std::int64_t> isNull;
    while (stored.step()) isNull.push_back(stored.integer(0));
    EXPECT_EQ(isNull, (std::vector<std::int64_t>{0, 1, 0}));

    const auto rows = listing(db);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].complement, "2024 p/ Sit Especial 00");
    EXPECT_EQ(rows[1].complement, "");
    EXPECT_EQ(rows[2].complement, "");
}

TEST_F(WorkDatabaseTest, ConsultaErrosDeliversRowsInRecordedOrderWithTheirTexts) {
    WorkDatabase db(folder.path());
    db.open();
    // Recorded in an order that neither the index (type, record) nor the code would give.
    db.recordError("T", 9, "0139", "0142", 54, "11222333000181", "EMPRESA TESTE");
    db.recordError("1", 1, "0024", "0027", 10, "11222333000181", "EMPRESA TESTE");
    db.recordError("0", 0, "0000", "0000", 18, "00000000000000", std::string(40, ' '));
    db.recordError("1", 1, "0010", "0023", 2, "11222333000181", "EMPRESA TESTE");

    const auto rows = listing(db);
    ASSERT_EQ(rows.size(), 4u);
    const int codes[] = {54, 10, 18, 2};
    for (std::size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(rows[i].code, codes[i]);
        EXPECT_EQ(rows[i].description, errorText(codes[i]));
    }
    EXPECT_EQ(rows[0].recordType, "T");
    EXPECT_EQ(rows[0].recordNumber, 9);
    EXPECT_EQ(rows[0].firstColumn, "0139");
    EXPECT_EQ(rows[0].lastColumn, "0142");
    EXPECT_EQ(rows[2].cnpj, "00000000000000");
    EXPECT_EQ(rows[2].name, std::string(40, ' '));

    int visited = 0;
    db.listErrors([&](const ErrorListing&) { return ++visited < 2; });
    EXPECT_EQ(visited, 2);
}

TEST_F(WorkDatabaseTest, ARowWhoseErrorTextIsLostIsADamagedDatabase) {
    const char* damages[] = {"DELETE FROM TABERRO WHERE coderro = 54", "UPDATE TABERRO SET descerro = '' WHERE coderro = 54",
                             "UPDATE TABERRO SET descerro = x'00' WHERE coderro = 54"};
    for (const char* damage : damages) {
        WorkDatabase db(folder.path());
        db.open();
        db.emptyLog();
        db.recordError("1", 1, "0024", "0027", 10, "11222333000181", "EMPRESA TESTE");
        db.recordError("T", 9, "0139", "0142", 54, "11222333000181", "EMPRESA TESTE");
        executeSql(db.handle(), damage);
        int visited = 0;
        try {
            db.listErrors([&](const ErrorListing&) { return ++visited > 0; });
            ADD_FAILURE() << damage;
        } catch (const Fault& f) {
            EXPECT_EQ(f.number(), 3049) << damage;
        }
        EXPECT_EQ(visited, 1) << damage;
        executeSql(db.handle(), "DELETE FROM TABERRO WHERE coderro = 54");
        SqliteStatement restore(db.handle(), "INSERT INTO TABERRO (coderro, descerro) VALUES (54, ?1)");
        restore.bind(1, std::string(errorText(54))).run();
    }
}

TEST_F(WorkDatabaseTest, BatchIsOneTransaction) {
    WorkDatabase db(folder.path());
    db.open();
    OtherConnection other(databasePath());
    db.beginBatch();
    for (int i = 1; i <= 1000; ++i) db.recordError("5", i, "0024", "0031", 88, "11222333000181", "EMPRESA TESTE");
    EXPECT_EQ(db.rowCount(), 1000);
    EXPECT_EQ(other.count("SELECT COUNT(*) FROM ERROS"), 0);  // nothing is visible before the commit
    db.commitBatch();
    EXPECT_EQ(other.count("SELECT COUNT(*) FROM ERROS"), 1000);
}

TEST_F(WorkDatabaseTest, UnfinishedBatchIsKeptWhenClosed) {
    {
        WorkDatabase db(folder.path());
        db.open();
        db.beginBatch();
        db.recordError("2", 2, "0010", "0020", 76, "11222333000181", "EMPRESA TESTE");
    }
    WorkDatabase db(folder.path());
    db.open();
    EXPECT_EQ(db.rowCount(), 1);
}

TEST_F(WorkDatabaseTest, ClosedDatabaseRefusesWithFault91) {
    WorkDatabase db(folder.path());
    EXPECT_EQ(faultNumberOf([&] { db.recordError("1", 1, "0001", "0008", 2, "11222333000181", "EMPRESA TESTE"); }),
              91);
    EXPECT_THROW(db.rowCount(), Fault);
}

// ---- error texts ---------------------------------------------------------------------------------------------

std::size_t characters(std::string_view utf8) {
    std::size_t n = 0;
    for (unsigned char c : utf8) n += (c & 0xC0) != 0x80;
    return n;
}

TEST(ErrorTexts, EveryRecordedCodeHasAShortText) {
    const int codes[] = {1,  2,  3,  5,  7,  8,  9,  10, 11, 12, 13, 15, 16, 17, 18, 20, 22, 23, 24,
                         26, 28, 29, 34, 37, 40, 43, 45, 47, 54, 56, 57, 64, 66, 67, 69, 72, 74, 75,
                         76, 77, 78, 79, 80, 81, 84, 85, 86, 87, 88, 89, 92, 93, 94, 96, 97};
    for (int code : codes) {
        const std::string_view text = errorText(code);
        EXPECT_FALSE(text.empty()) << "code " << code;
        EXPECT_LE(characters(text), 53u) << "code " << code << ": " << text;
    }
    for (std::size_t i = 1; i < errorTexts().size(); ++i)
        EXPECT_LT(errorTexts()[i - 1].code, errorTexts()[i].code);  // each code once
}

// Code 20 is always listed with its complement after the first 30 (list) or 32 (report) characters.
TEST(ErrorTexts, Code20ReadsWithItsComplement) {
    const std::string text(errorText(20));
    EXPECT_LE(characters(text), 30u);
    EXPECT_EQ(text + "2024 p/ Sit Especial 00", "Período final deve ser 31/12/2024 p/ Sit Especial 00");
}

}  // namespace
}  // namespace kova

namespace kova {
namespace {

// A database made before the values were kept gets their table when opened; its rows list with no value, and an
// emptied log leaves no value behind for the rows that reuse its ids.
TEST_F(WorkDatabaseTest, ValuesLiveBesideTheLogAndArriveInOlderDatabases) {
    {
        OtherConnection older(databasePath());
        older.exec("DROP TABLE ERROSVALOR");
        older.exec("INSERT INTO ERROS (CNPJ, TIPOREG, nreg, posini, posfin, coderro, NOME) "
                   "VALUES ('11222333000181', '1', 1, '0001', '0008', 2, 'EMPRESA')");
    }
    WorkDatabase db(folder.path());
    db.openReadOnly();  // a reader leaves it as it is
    ASSERT_EQ(listing(db).size(), 1u);
    EXPECT_EQ(countOf(db, "SELECT COUNT(*) FROM sqlite_master WHERE name = 'ERROSVALOR'"), 0);
    db.open();
    db.recordRow({"3", 4, "0011", "0024", 22, "11222333000181", "EMPRESA", std::nullopt, "11222333000180"});
    auto rows = listing(db);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].value, "");
    EXPECT_EQ(rows[1].value, "11222333000180");

    db.emptyLog();
    db.recordError("1", 1, "0001", "0008", 2, "11222333000181", "EMPRESA");
    rows = listing(db);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].value, "");
}

}  // namespace
}  // namespace kova
