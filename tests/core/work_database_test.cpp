// The work database: creation, opening with its checks, compaction that never loses the file, the error log.
#include <gtest/gtest.h>

#include <sqlite3.h>

#include <fstream>
#include <functional>

#include "core/error_texts.h"
#include "core/spooled_error_log.h"
#include "core/sqlite_statement.h"
#include "core/work_database.h"
#include "support/recording_prompts.h"
#include "support/temp_folder.h"
#include "fault_number.h"

namespace kova {
namespace {

namespace fs = std::filesystem;
using testing_support::RecordingPrompts;
using testing_support::TempFolder;
using Step = FaultInjectingFileOps::Step;
using core_tests::faultNumberOf;

const std::string kOpenFailure = "Não foi possível abrir o banco de dados. Programa cancelado.";

std::int64_t countOf(sqlite3* db, const char* sql) {
    SqliteStatement statement(db, sql);
    statement.step();
    return statement.integer(0);
}

// A second connection of its own, as another process would hold.
class OtherConnection {
public:
    explicit OtherConnection(const fs::path& path) {
        sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READWRITE, nullptr);
    }
    ~OtherConnection() { sqlite3_close_v2(db_); }
    void exec(const char* sql) { executeSql(db_, sql); }
    std::int64_t count(const char* sql) { return countOf(db_, sql); }

private:
    sqlite3* db_ = nullptr;
};

void recordOneError(ErrorLog& db) {
    db.recordError("1", 1, "0001", "0008", 2, "11222333000181", "EMPRESA TESTE");
}

// Rows left in the log by a previous run, and a catalogue row that must survive their removal.
void leaveRowsFromLastRun(const fs::path& folder, int rows) {
    WorkDatabase db(folder);
    db.open();
    db.beginBatch();
    for (int i = 1; i <= rows; ++i) db.recordError("3", i, "0011", "0024", 22, "11222333000181", "EMPRESA TESTE");
    db.commitBatch();
    executeSql(db.handle(), "INSERT INTO IDENTIFICACAO (CNPJ, NOME, TRANSMITIDA) VALUES ('1', 'EMPRESA', 'N')");
}

void expectOneMessage(const RecordingPrompts& prompts, const std::string& text, Icon icon) {
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0].text, text);
    EXPECT_EQ(prompts.shown[0].icon, icon);
}

// Each row as one line: type, number, columns, code, description, complement, CNPJ, name, value.
std::vector<std::string> listing(ErrorLog& db) {
    std::vector<std::string> rows;
    db.listErrors([&](const ErrorListing& r) {
        rows.push_back(r.recordType + "|" + std::to_string(r.recordNumber) + "|" + r.firstColumn + "|" +
                       r.lastColumn + "|" + std::to_string(r.code) + "|" + r.description + "|" + r.complement +
                       "|" + r.cnpj + "|" + r.name + "|" + r.value);
        return true;
    });
    return rows;
}

TEST(WorkDatabaseCompaction, TheLogIsEmptiedAndTheFileReplacedByItsCompactedCopy) {
    TempFolder folder;
    const fs::path path = folder / kWorkDatabaseFile;
    createDatabase(path);
    EXPECT_EQ(faultNumberOf([&] { createDatabase(path); }), 58);
    leaveRowsFromLastRun(folder.path(), 20000);
    std::ofstream(folder / kCompactedDatabaseFile) << "restos de uma compactação interrompida";
    const auto sizeBefore = fs::file_size(path);
    WorkDatabase db(folder.path());
    RecordingPrompts prompts;
    ASSERT_TRUE(db.openForSession(prompts));
    EXPECT_TRUE(prompts.shown.empty());
    EXPECT_EQ(db.rowCount(), 0);
    EXPECT_LT(fs::file_size(path), sizeBefore);
    EXPECT_FALSE(fs::exists(folder / kCompactedDatabaseFile));
    EXPECT_EQ(countOf(db.handle(), "SELECT COUNT(*) FROM IDENTIFICACAO"), 1);
}

// Whatever step of the replacement fails, KOVALDDB.MDB is a whole database afterwards, with its data.
TEST(WorkDatabaseCompaction, AFailingStepLeavesADatabaseThatOpensWithItsData) {
    const Step steps[] = {Step::FileSync, Step::Rename, Step::FolderSync, Step::None};
    for (const Step step : steps) {
        SCOPED_TRACE(static_cast<int>(step));
        TempFolder folder;
        createDatabase(folder / kWorkDatabaseFile);
        leaveRowsFromLastRun(folder.path(), 500);
        FaultInjectingFileOps ops;
        ops.failStep = step;
        ops.failErrno = EIO;
        // Without an injected failure, a folder in the way of the compacted copy makes its writing fail.
        if (step == Step::None) fs::create_directory(folder / kCompactedDatabaseFile);
        RecordingPrompts prompts;
        EXPECT_FALSE(WorkDatabase(folder.path(), ops).openForSession(prompts));
        expectOneMessage(prompts, "Erro na abertura do banco de dados.", Icon::Exclamation);
        EXPECT_EQ(fs::is_regular_file(folder / kCompactedDatabaseFile), false);

        WorkDatabase db(folder.path());
        ASSERT_NO_THROW(db.open());
        EXPECT_EQ(db.rowCount(), 0);  // the log had been emptied before the compaction
        EXPECT_EQ(countOf(db.handle(), "SELECT COUNT(*) FROM IDENTIFICACAO"), 1);
    }
}

struct BadFile {
    const char* name;
    std::function<void(const fs::path& database)> prepare;
    int number;
    int openErrno = 0;  // an opening that fails with this errno
};

TEST(WorkDatabaseOpening, AFileThatCannotBeOpenedGivesTheOpeningMessageWithItsNumber) {
    const BadFile badFiles[] = {
        {"missing", [](const fs::path& db) { fs::remove(db); }, 53},
        {"missing folder", [](const fs::path& db) { fs::remove_all(db.parent_path()); }, 76},
        {"truncated", [](const fs::path& db) { fs::resize_file(db, fs::file_size(db) / 2); }, 3049},
        {"column missing", [](const fs::path& db) { OtherConnection(db).exec("ALTER TABLE IDENTIFICACAO DROP NOME"); },
         3265},
        {"access denied", [](const fs::path&) {}, 70, EACCES},
    };
    for (const BadFile& bad : badFiles) {
        SCOPED_TRACE(bad.name);
        TempFolder folder;
        createDatabase(folder / kWorkDatabaseFile);
        bad.prepare(folder / kWorkDatabaseFile);
        FaultInjectingFileOps ops;
        ops.failStep = bad.openErrno != 0 ? Step::Open : Step::None;
        ops.failErrno = bad.openErrno;
        WorkDatabase db(folder.path(), ops);
        RecordingPrompts prompts;
        EXPECT_FALSE(db.openForSession(prompts));
        EXPECT_FALSE(db.isOpen());
        expectOneMessage(prompts, "ERRO Nº: " + std::to_string(bad.number) + "\n" + kOpenFailure, Icon::Critical);
    }
}

TEST(WorkDatabaseOpening, AnotherProcesssLockIsFault3046) {
    TempFolder folder;
    createDatabase(folder / kWorkDatabaseFile);
    OtherConnection other(folder / kWorkDatabaseFile);
    other.exec("BEGIN EXCLUSIVE");
    WorkDatabase impatient(folder.path());
    impatient.setLockWait(std::chrono::milliseconds(0));
    RecordingPrompts prompts;
    EXPECT_FALSE(impatient.openForSession(prompts));
    expectOneMessage(prompts, "ERRO Nº: 3046\n" + kOpenFailure, Icon::Critical);
}

class WorkDatabaseLog : public ::testing::Test {
protected:
    void SetUp() override {
        createDatabase(folder / kWorkDatabaseFile);
        db.open();
    }
    TempFolder folder;
    WorkDatabase db{folder.path()};
};

// Listed in recorded order, which neither the index (type, record) nor the code would give; a row whose error
// text is lost makes the database a damaged one.
TEST_F(WorkDatabaseLog, ListsRowsInRecordedOrderWithTheirTextsComplementsAndValues) {
    db.recordError("T", 9, "0139", "0142", 54, "11222333000181", "EMPRESA", std::string("2024 p/ Sit Especial 00"));
    db.recordError("1", 1, "0024", "0027", 10, "11222333000181", "EMPRESA");
    db.recordRow({"0", 0, "0000", "0000", 18, "00000000000000", "   ", std::string(), "VALOR"});
    const auto row = [](std::string head, int code, std::string tail) {
        return head + std::to_string(code) + "|" + std::string(errorText(code)) + "|" + tail;
    };
    EXPECT_EQ(listing(db), (std::vector<std::string>{
                               row("T|9|0139|0142|", 54, "2024 p/ Sit Especial 00|11222333000181|EMPRESA|"),
                               row("1|1|0024|0027|", 10, "|11222333000181|EMPRESA|"),
                               row("0|0|0000|0000|", 18, "|00000000000000|   |VALOR"),
                           }));
    executeSql(db.handle(), "DELETE FROM TABERRO WHERE coderro = 10");
    int visited = 0;
    EXPECT_EQ(faultNumberOf([&] { db.listErrors([&](const ErrorListing&) { return ++visited > 0; }); }), 3049);
    EXPECT_EQ(visited, 1);
}

// A database made before the values were kept gets their table when opened.
TEST_F(WorkDatabaseLog, AnOlderDatabaseGetsTheValuesTable) {
    db.close();
    OtherConnection(folder / kWorkDatabaseFile).exec("DROP TABLE ERROSVALOR");
    db.open();
    db.recordRow({"3", 4, "0011", "0024", 22, "11222333000181", "EMPRESA", std::nullopt, "11222333000180"});
    EXPECT_TRUE(listing(db).at(0).ends_with("|EMPRESA|11222333000180"));
}

TEST_F(WorkDatabaseLog, BatchIsOneTransactionThatIsKeptEvenUnfinished) {
    OtherConnection other(folder / kWorkDatabaseFile);
    db.beginBatch();
    recordOneError(db);
    EXPECT_EQ(db.rowCount(), 1);
    EXPECT_EQ(other.count("SELECT COUNT(*) FROM ERROS"), 0);  // nothing is visible before the commit
    db.close();
    EXPECT_EQ(other.count("SELECT COUNT(*) FROM ERROS"), 1);
    EXPECT_EQ(faultNumberOf([&] { recordOneError(db); }), 91);
}

// kova-cli validar's log, kept outside the database, lists exactly what the work database lists for the same rows.
TEST_F(WorkDatabaseLog, SpooledLogListsWhatTheWorkDatabaseLists) {
    SpooledErrorLog spooled(folder.path());
    const std::optional<std::string> complements[] = {"2025 p/ Sit Especial 00", std::nullopt, "l\n\"a\";\x01"};
    for (ErrorLog* log : std::initializer_list<ErrorLog*>{&db, &spooled}) {
        log->beginBatch();
        for (int i = 0; i < 3000; ++i) {  // enough rows to go out to the file in several blocks
            log->recordRow({i % 2 ? "T" : "é", i, "0011", "0024", i % 2 ? 54 : 20, "11222333000181", "EMPRESA Ç",
                            complements[i % 3], i % 4 == 0 ? "" : "VALOR \\x01 " + std::to_string(i)});
        }
        log->commitBatch();
    }
    EXPECT_EQ(listing(spooled), listing(db));
    spooled.emptyLog();
    EXPECT_EQ(spooled.rowCount(), 0);
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.path()), {}), 1);  // nothing of it has a name
}

}  // namespace
}  // namespace kova
