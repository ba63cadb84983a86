// Fault texts and the mapping of system and SQLite failures onto fault numbers.
#include <gtest/gtest.h>

#include <sqlite3.h>

#include <algorithm>
#include <cerrno>
#include <set>
#include <sstream>
#include <string>
#include <system_error>

#include "core/faults.h"

namespace kova {
namespace {

// The whole fault table, entries apart by "|": the numbers (several share one text) and their exact texts.
constexpr const char* kDocumentedTable = R"(
5 Chamada ilegal da função.|6 Memória ou variável atingiu capacidade máxima.|7 Memória insuficiente.
9 Subscrito fora do limite.|11 Erro de divisão por zero.|13 Tipo de dados incompatível.|28 Fora do espaço da pilha.
48 Erro durante carga de DLL.|51 Erro interno.|52 Número ou nome de arquivo inválido.|53 Arquivo não encontrado.
55 Arquivo já está aberto.|57 Erro em Dispositivo E/S.|58 Arquivo já existe.|61 Disco cheio.
62 Tentativa de leitura após o fim do arquivo.|64 Nome de arquivo inválido.|68 Dispositivo não disponível.
70 Permissão negada.|71 Unidade aberta, sem disquete ou disquete não formatado.|75 Caminho/Arquivo inacessível.
76 Diretório não encontrado ou disco não acessível.|91 Objeto não iniciado.|94 Uso inválido de NULO.
290 Dados com formato inválido.|321 Arquivo com formato inválido.|341 Indíce inválido para array de Objetos.
343 Objeto não é um array.|424 Objeto necessário ou requerido.|482 Erro de impressão ou impressora não instalada.
623 Campo inválido ou não definido em tabela.|639 Tipo de campo inválido.
640 Tamanho do campo ilegal para o tipo definido.|641 Item ilegal/Registro inválido.
648 Acesso a dados requer VBDB300.DLL.|2348 Erro de sintaxe.|2427 Objeto não possui valor.
2431,2432,2433,2434 Erro de sintaxe.|3001 Argumento inválido.|3006 Banco de dados está travado em modo exclusivo.
3021 Não há registro atual.|3026 Espaçco insuficiente no disco.
3027 Impossível atualizar banco de dados. Ele está aberto para leitura, apenas.
3028 Impossível iniciar acesso ao banco de dados.  Arquivo System.mda ou outro administrador não pôde ser localizado.
3029 Nome/senha inválida.|3030 Nome para acesso inválido.|3031 Senha para acesso inválida.
3033 Sem permissões para objeto do banco de dados.|3036 Banco de dados alcançou tamanho máximo.
3040 Erro de disco durante leitura de dados.
3041 Versão do arquivo VBDB300.DLL não é compatível com a do banco de dados.|3043 Erro de disco ou de rede.
3046 Impossível salvar alterações. O banco de dados está bloqueado por outro usuário.
3049 Banco de Dados está corrompido ou não é um banco de dados Microsoft Access.
3050 Impossível bloquear arquivo/banco de dados. Arquivo SHARE.EXE não executado.|3051 Impossível abrir arquivo.
3055 Nome de arquivo inválido.|3059 Operação cancelada pelo usuário.
3265 Nome de campo não localizado no conjunto de dados.|3279 Ferramentas de banco de dados já foram iniciadas.)";

// Every number of the table shows its exact text, a number outside it shows the platform's text.
TEST(FaultTexts, EveryDocumentedNumberHasItsExactTextAndNoOtherNumberHasOne) {
    std::set<int> documented;
    std::string table = kDocumentedTable;
    std::replace(table.begin(), table.end(), '\n', '|');
    std::istringstream entries(table);
    for (std::string entry; std::getline(entries, entry, '|');) {
        if (entry.empty()) continue;
        const std::size_t blank = entry.find(' ');
        std::istringstream numbers(entry.substr(0, blank));
        for (std::string n; std::getline(numbers, n, ',');) {
            documented.insert(std::stoi(n));
            // For a table number the table wins over whatever the platform said.
            EXPECT_EQ(faultMessage(Fault(std::stoi(n), "plataforma")), "Erro: " + n + "\n" + entry.substr(blank + 1));
        }
    }
    EXPECT_EQ(documented.size(), 63u);
    for (int n = 0; n < 10000; ++n) EXPECT_EQ(!faultDescription(n).empty(), documented.count(n) == 1) << n;
}

// System and engine failures map onto the table; an unmapped one keeps its number and its own text, unless its
// number is a table number with an unrelated text (then it is shown as a device error).
TEST(FaultTexts, SystemAndEngineFailuresMapOntoTheTable) {
    const std::pair<int, int> fromErrno[] = {
        {ENOENT, 53}, {ENOSPC, 61}, {EACCES, 70}, {ENOTDIR, 76}, {EEXIST, 58}, {EIO, 57},
        {EROFS, 75},  {ENOMEM, 7},  {EBADF, 52},  {EMFILE, EMFILE},
    };
    for (const auto& [err, number] : fromErrno) {
        EXPECT_EQ(faultFromErrno(err).number(), number) << strerrorname_np(err);
        EXPECT_EQ(faultFromErrno(err).platformText(), std::generic_category().message(err));
    }
    const std::pair<int, int> fromSqlite[] = {
        {SQLITE_BUSY, 3046}, {SQLITE_CORRUPT, 3049}, {SQLITE_CANTOPEN, 3051}, {SQLITE_FULL, 3026},
        {SQLITE_READONLY, 3027}, {SQLITE_IOERR_WRITE, 3040}, {SQLITE_PERM, 3033}, {SQLITE_INTERRUPT, 3059},
    };
    for (const auto& [code, number] : fromSqlite) EXPECT_EQ(faultFromSqlite(code).number(), number) << code;
    EXPECT_EQ(faultMessage(faultFromSqlite(SQLITE_CONSTRAINT)), "Erro: 19\n" + std::string(sqlite3_errstr(19)));
    EXPECT_EQ(faultMessage(faultFromSqlite(SQLITE_ERROR, "no such table: X")), "Erro: 1\nno such table: X");
}

}  // namespace
}  // namespace kova
