// Fault texts and the mapping of system and SQLite failures onto fault numbers.
#include <gtest/gtest.h>

#include <sqlite3.h>

#include <cerrno>
#include <set>
#include <sstream>
#include <string>
#include <system_error>

#include "core/faults.h"

namespace kova {
namespace {

// The whole fault table: the numbers (several share one text) and their exact texts.
constexpr const char* kDocumentedTable = R"(
5 Chamada ilegal da função.
6 Memória ou variável atingiu capacidade máxima.
7 Memória insuficiente.
9 Subscrito fora do limite.
11 Erro de divisão por zero.
13 Tipo de dados incompatível.
28 Fora do espaço da pilha.
48 Erro durante carga de DLL.
51 Erro interno.
52 Número ou nome de arquivo inválido.
53 Arquivo não encontrado.
55 Arquivo já está aberto.
57 Erro em Dispositivo E/S.
58 Arquivo já existe.
61 Disco cheio.
62 Tentativa de leitura após o fim do arquivo.
64 Nome de arquivo inválido.
68 Dispositivo não disponível.
70 Permissão negada.
71 Unidade aberta, sem disquete ou disquete não formatado.
75 Caminho/Arquivo inacessível.
76 Diretório não encontrado ou disco não acessível.
91 Objeto não iniciado.
94 Uso inválido de NULO.
290 Dados com formato inválido.
321 Arquivo com formato inválido.
341 Indíce inválido para array de Objetos.
343 Objeto não é um array.
424 Objeto necessário ou requerido.
482 Erro de impressão ou impressora não instalada.
623 Campo inválido ou não definido em tabela.
639 Tipo de campo inválido.
640 Tamanho do campo ilegal para o tipo definido.
641 Item ilegal/Registro inválido.
648 Acesso a dados requer VBDB300.DLL.
2348 Erro de sintaxe.
2427 Objeto não possui valor.
2431,2432,2433,2434 Erro de sintaxe.
3001 Argumento inválido.
3006 Banco de dados está travado em modo exclusivo.
3021 Não há registro atual.
3026 Espaçco insuficiente no disco.
3027 Impossível atualizar banco de dados. Ele está aberto para leitura, apenas.
3028 Impossível iniciar acesso ao banco de dados.  Arquivo System.mda ou outro administrador não pôde ser localizado.
3029 Nome/senha inválida.
3030 Nome para acesso inválido.
3031 Senha para acesso inválida.
3033 Sem permissões para objeto do banco de dados.
3036 Banco de dados alcançou tamanho máximo.
3040 Erro de disco durante leitura de dados.
3041 Versão do arquivo VBDB300.DLL não é compatível com a do banco de dados.
3043 Erro de disco ou de rede.
3046 Impossível salvar alterações. O banco de dados está bloqueado por outro usuário.
3049 Banco de Dados está corrompido ou não é um banco de dados Microsoft Access.
3050 Impossível bloquear arquivo/banco de dados. Arquivo SHARE.EXE não executado.
3051 Impossível abrir arquivo.
3055 Nome de arquivo inválido.
3059 Operação cancelada pelo usuário.
3265 Nome de campo não localizado no conjunto de dados.
3279 Ferramentas de banco de dados já foram iniciadas.)";

TEST(Msgerro, EveryDocumentedNumberHasItsExactTextAndNoOtherNumberHasOne) {
    std::set<int> documented;
    std::istringstream lines(kDocumentedTable);
    for (std::string line; std::getline(lines, line);) {
        if (line.empty()) continue;
        const std::size_t blank = line.find(' ');
        const std::string text = line.substr(blank + 1);
        std::istringstream numbers(line.substr(0, blank));
        for (std::string n; std::getline(numbers, n, ',');) {
            documented.insert(std::stoi(n));
            EXPECT_EQ(faultDescription(std::stoi(n)), text) << n;
        }
    }
    EXPECT_EQ(documented.size(), 63u);
    for (int n = 0; n < 10000; ++n) {
        if (!documented.count(n)) EXPECT_EQ(faultDescription(n), "") << n;
    }
    EXPECT_EQ(faultMessage(Fault(53)), "Erro: 53\nArquivo não encontrado.");
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
                                           ErrnoCase{EBADF, 52}),
                         [](const auto& info) {
                             return std::string(strerrorname_np(info.param.err)) + "_is_" +
                                    std::to_string(info.param.number);
                         });

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
                      SqliteCase{SQLITE_INTERRUPT, 3059}),
    [](const auto& info) {
        return "result_" + std::to_string(info.param.resultCode) + "_is_" + std::to_string(info.param.number);
    });

TEST(FaultFromSqliteFallback, UnmappedCodeShowsTheEngineText) {
    const Fault plain = faultFromSqlite(SQLITE_CONSTRAINT);
    EXPECT_EQ(plain.number(), SQLITE_CONSTRAINT);
    EXPECT_EQ(faultMessage(plain), "Erro: " + std::to_string(SQLITE_CONSTRAINT) + "\n" + sqlite3_errstr(SQLITE_CONSTRAINT));
    const Fault withMessage = faultFromSqlite(SQLITE_ERROR, "no such table: X");
    EXPECT_EQ(faultMessage(withMessage), "Erro: 1\nno such table: X");
}

}  // namespace
}  // namespace kova
