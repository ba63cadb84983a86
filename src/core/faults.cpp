// Fault numbers and their Portuguese descriptions, and the mapping of platform and SQLite failures onto them.
#include "core/faults.h"

#include <sqlite3.h>

#include <cerrno>
#include <system_error>

namespace kova {
namespace {

struct FaultText {
    int number;
    const char* description;
};

// The whole fault table; the texts are shown to the user exactly as written here.
constexpr FaultText kFaultTable[] = {
    {5, "Chamada ilegal da função."},
    {6, "Memória ou variável atingiu capacidade máxima."},
    {7, "Memória insuficiente."},
    {9, "Subscrito fora do limite."},
    {11, "Erro de divisão por zero."},
    {13, "Tipo de dados incompatível."},
    {28, "Fora do espaço da pilha."},
    {48, "Erro durante carga de DLL."},
    {51, "Erro interno."},
    {52, "Número ou nome de arquivo inválido."},
    {53, "Arquivo não encontrado."},
    {55, "Arquivo já está aberto."},
    {57, "Erro em Dispositivo E/S."},
    {58, "Arquivo já existe."},
    {61, "Disco cheio."},
    {62, "Tentativa de leitura após o fim do arquivo."},
    {64, "Nome de arquivo inválido."},
    {68, "Dispositivo não disponível."},
    {70, "Permissão negada."},
    {71, "Unidade aberta, sem disquete ou disquete não formatado."},
    {75, "Caminho/Arquivo inacessível."},
    {76, "Diretório não encontrado ou disco não acessível."},
    {91, "Objeto não iniciado."},
    {94, "Uso inválido de NULO."},
    {290, "Dados com formato inválido."},
    {321, "Arquivo com formato inválido."},
    {341, "Indíce inválido para array de Objetos."},
    {343, "Objeto não é um array."},
    {424, "Objeto necessário ou requerido."},
    {482, "Erro de impressão ou impressora não instalada."},
    {623, "Campo inválido ou não definido em tabela."},
    {639, "Tipo de campo inválido."},
    {640, "Tamanho do campo ilegal para o tipo definido."},
    {641, "Item ilegal/Registro inválido."},
    {648, "Acesso a dados requer VBDB300.DLL."},
    {2348, "Erro de sintaxe."},
    {2427, "Objeto não possui valor."},
    {2431, "Erro de sintaxe."},
    {2432, "Erro de sintaxe."},
    {2433, "Erro de sintaxe."},
    {2434, "Erro de sintaxe."},
    {3001, "Argumento inválido."},
    {3006, "Banco de dados está travado em modo exclusivo."},
    {3021, "Não há registro atual."},
    {3026, "Espaçco insuficiente no disco."},
    {3027, "Impossível atualizar banco de dados. Ele está aberto para leitura, apenas."},
    {3028,
     "Impossível iniciar acesso ao banco de dados.  "
     "Arquivo System.mda ou outro administrador não pôde ser localizado."},
    {3029, "Nome/senha inválida."},
    {3030, "Nome para acesso inválido."},
    {3031, "Senha para acesso inválida."},
    {3033, "Sem permissões para objeto do banco de dados."},
    {3036, "Banco de dados alcançou tamanho máximo."},
    {3040, "Erro de disco durante leitura de dados."},
    {3041, "Versão do arquivo VBDB300.DLL não é compatível com a do banco de dados."},
    {3043, "Erro de disco ou de rede."},
    {3046, "Impossível salvar alterações. O banco de dados está bloqueado por outro usuário."},
    {3049, "Banco de Dados está corrompido ou não é um banco de dados Microsoft Access."},
    {3050, "Impossível bloquear arquivo/banco de dados. Arquivo SHARE.EXE não executado."},
    {3051, "Impossível abrir arquivo."},
    {3055, "Nome de arquivo inválido."},
    {3059, "Operação cancelada pelo usuário."},
    {3265, "Nome de campo não localizado no conjunto de dados."},
    {3279, "Ferramentas de banco de dados já foram iniciadas."},
};

// A platform code whose own number is already a table number (with another meaning) must not be shown
// under that number: it takes the generic number instead and keeps the platform text for the logs.
Fault numbered(int number, int genericNumber, std::string platformText) {
    if (!faultDescription(number).empty()) number = genericNumber;
    return Fault(number, std::move(platformText));
}

std::string whatText(int number, const std::string& platformText) {
    std::string description = faultDescription(number);
    if (description.empty()) description = platformText;
    return "Erro " + std::to_string(number) + (description.empty() ? "" : ": " + description);
}

}  // namespace

Fault::Fault(int number, std::string platformText)
    : std::runtime_error(whatText(number, platformText)), number_(number), platformText_(std::move(platformText)) {}

std::string faultDescription(int number) {
    for (const auto& entry : kFaultTable)
        if (entry.number == number) return entry.description;
    return {};
}

std::string faultMessage(const Fault& fault) {
    std::string description = faultDescription(fault.number());
    if (description.empty()) description = fault.platformText();
    return "Erro: " + std::to_string(fault.number()) + "\n" + description;
}

Fault faultFromErrno(int err) {
    std::string text = std::generic_category().message(err);
    switch (err) {
        case ENOENT: return Fault(53, std::move(text));
        case ENOTDIR: return Fault(76, std::move(text));
        case ENOSPC:
#ifdef EDQUOT
        case EDQUOT:
#endif
            return Fault(61, std::move(text));
        case EACCES:
        case EPERM: return Fault(70, std::move(text));
        case EEXIST: return Fault(58, std::move(text));
        case EIO: return Fault(57, std::move(text));
        case EROFS:
        case EISDIR:
        case ENOTEMPTY:
        case ELOOP:
        case EXDEV: return Fault(75, std::move(text));
        case ENAMETOOLONG: return Fault(64, std::move(text));
        case EBADF: return Fault(52, std::move(text));
        case ENXIO:
        case ENODEV: return Fault(68, std::move(text));
        case ETXTBSY: return Fault(55, std::move(text));
        case ENOMEM: return Fault(7, std::move(text));
        case EOVERFLOW: return Fault(6, std::move(text));
        case EINVAL: return Fault(5, std::move(text));
        default: return numbered(err, 57, std::move(text));
    }
}

Fault faultFromSqlite(int resultCode, std::string_view message) {
    std::string text = message.empty() ? std::string(sqlite3_errstr(resultCode)) : std::string(message);
    switch (resultCode & 0xff) {
        case SQLITE_BUSY:
        case SQLITE_LOCKED: return Fault(3046, std::move(text));
        case SQLITE_CORRUPT:
        case SQLITE_NOTADB: return Fault(3049, std::move(text));
        case SQLITE_CANTOPEN: return Fault(3051, std::move(text));
        case SQLITE_FULL: return Fault(3026, std::move(text));
        case SQLITE_READONLY: return Fault(3027, std::move(text));
        case SQLITE_IOERR: return Fault(3040, std::move(text));
        case SQLITE_PERM:
        case SQLITE_AUTH: return Fault(3033, std::move(text));
        case SQLITE_NOLFS: return Fault(3036, std::move(text));
        case SQLITE_INTERRUPT: return Fault(3059, std::move(text));
        case SQLITE_NOMEM: return Fault(7, std::move(text));
        case SQLITE_MISMATCH: return Fault(13, std::move(text));
        case SQLITE_RANGE: return Fault(9, std::move(text));
        case SQLITE_MISUSE: return Fault(5, std::move(text));
        default: return numbered(resultCode, 51, std::move(text));
    }
}

}  // namespace kova
