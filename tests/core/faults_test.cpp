// Fault texts and the mapping of system and SQLite failures onto fault numbers.
#include <gtest/gtest.h>

#include <sqlite3.h>

#include <cerrno>
#include <string>
#include <system_error>

#include "core/faults.h"

namespace kova {
namespace {

TEST(Msgerro, JoinsPrefixNumberLineFeedAndDescription) {
    EXPECT_EQ(faultMessage(Fault(53)), "Erro: 53\nArquivo não encontrado.");
    // The texts keep their own spelling and spacing.
    EXPECT_EQ(faultMessage(Fault(3026)), "Erro: 3026\nEspaçco insuficiente no disco.");
    EXPECT_EQ(faultDescription(3028),
              "Impossível iniciar acesso ao banco de dados.  Arquivo System.mda ou outro administrador não pôde ser "
              "localizado.");
    EXPECT_EQ(faultDescription(341), "Indíce inválido para array de Objetos.");
}

TEST(Msgerro, NumbersSharingADescription) {
    EXPECT_EQ(faultDescription(64), "Nome de arquivo inválido.");
    EXPECT_EQ(faultDescription(3055), faultDescription(64));
    EXPECT_EQ(faultDescription(2348), "Erro de sintaxe.");
    for (int n : {2431, 2432, 2433, 2434}) EXPECT_EQ(faultDescription(n), faultDescription(2348)) << n;
    EXPECT_EQ(faultDescription(2430), "");
    EXPECT_EQ(faultDescription(2435), "");
}

TEST(Msgerro, NumberOutsideTheTableShowsThePlatformText) {
    EXPECT_EQ(faultMessage(Fault(9999, "Texto da plataforma")), "Erro: 9999\nTexto da plataforma");
    // For a table number the table wins over whatever the platform said.
    EXPECT_EQ(faultMessage(Fault(70, "Permission denied")), "Erro: 70\nPermissão negada.");
}

struct ErrnoCase {
    int err;
    int number;
};

class FaultFromErrno : public ::testing::TestWithParam<ErrnoCase> {};

TEST_P(FaultFromErrno, MapsOntoTheTable) {
    const Fault fault = faultFromErrno(GetParam().err);
    EXPECT_EQ(fault.number(), GetParam().number);
    EXPECT_FALSE(faultDescription(fault.number()).empty());
    EXPECT_EQ(fault.platformText(), std::generic_category().message(GetParam().err));
}

INSTANTIATE_TEST_SUITE_P(Errno, FaultFromErrno,
                         ::testing::Values(ErrnoCase{ENOENT, 53}, ErrnoCase{ENOSPC, 61}, ErrnoCase{EACCES, 70},
                                           ErrnoCase{EPERM, 70}, ErrnoCase{ENOTDIR, 76}, ErrnoCase{EEXIST, 58},
                                           ErrnoCase{EIO, 57}, ErrnoCase{EROFS, 75}, ErrnoCase{EISDIR, 75},
                                           ErrnoCase{ENAMETOOLONG, 64}, ErrnoCase{ENOMEM, 7},
                                           ErrnoCase{EBADF, 52}));

TEST(FaultFromErrnoFallback, UnmappedErrnoKeepsItsNumberAndPlatformText) {
    const Fault fault = faultFromErrno(EMFILE);
    ASSERT_TRUE(faultDescription(EMFILE).empty());
    EXPECT_EQ(fault.number(), EMFILE);
    EXPECT_EQ(faultMessage(fault), "Erro: " + std::to_string(EMFILE) + "\n" + std::generic_category().message(EMFILE));
}

// An errno whose value happens to be a table number (on this platform) must not be shown with that number's
// unrelated text: it is shown as a device error, keeping its own text for the logs.
TEST(FaultFromErrnoFallback, ErrnoCollidingWithATableNumberIsShownAsDeviceError) {
    int checked = 0;
    for (int err : {ENODATA, ETIME, ENONET, ECOMM, EPROTO}) {
        if (faultDescription(err).empty()) continue;
        const Fault fault = faultFromErrno(err);
        EXPECT_EQ(fault.number(), 57) << "errno " << err;
        EXPECT_EQ(fault.platformText(), std::generic_category().message(err));
        ++checked;
    }
    if (checked == 0) GTEST_SKIP() << "no such collision on this platform";
}

struct SqliteCase {
    int resultCode;
    int number;
};

class FaultFromSqlite : public ::testing::TestWithParam<SqliteCase> {};

TEST_P(FaultFromSqlite, MapsOntoTheTable) {
    EXPECT_EQ(faultFromSqlite(GetParam().resultCode).number(), GetParam().number);
}

INSTANTIATE_TEST_SUITE_P(
    Sqlite, FaultFromSqlite,
    ::testing::Values(SqliteCase{SQLITE_BUSY, 3046}, SqliteCase{SQLITE_LOCKED, 3046},
                      SqliteCase{SQLITE_BUSY_SNAPSHOT, 3046}, SqliteCase{SQLITE_CORRUPT, 3049},
                      SqliteCase{SQLITE_NOTADB, 3049}, SqliteCase{SQLITE_CANTOPEN, 3051},
                      SqliteCase{SQLITE_FULL, 3026}, SqliteCase{SQLITE_READONLY, 3027},
                      SqliteCase{SQLITE_IOERR, 3040}, SqliteCase{SQLITE_IOERR_WRITE, 3040},
                      SqliteCase{SQLITE_PERM, 3033}, SqliteCase{SQLITE_AUTH, 3033},
                      SqliteCase{SQLITE_INTERRUPT, 3059}));

TEST(FaultFromSqliteFallback, UnmappedCodeShowsTheEngineText) {
    const Fault plain = faultFromSqlite(SQLITE_CONSTRAINT);
    EXPECT_EQ(plain.number(), SQLITE_CONSTRAINT);
    EXPECT_EQ(faultMessage(plain), "Erro: " + std::to_string(SQLITE_CONSTRAINT) + "\n" + sqlite3_errstr(SQLITE_CONSTRAINT));
    const Fault withMessage = faultFromSqlite(SQLITE_ERROR, "no such table: X");
    EXPECT_EQ(faultMessage(withMessage), "Erro: 1\nno such table: X");
}

}  // namespace
}  // namespace kova
