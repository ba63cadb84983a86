#include "core/error_texts.h"

namespace kova {
namespace {

// Code 20 always comes with a complement holding the year ("2024 p/ Sit Especial 00"), which completes the date.
constexpr ErrorText kErrorTexts[] = {
    {1, "Registro fora de ordem ou de tipo inválido."},
    {2, "Campo deve conter só algarismos (0 a 9)."},
    {3, "Registro trailer (T) repetido."},
    {5, "Tamanho do registro difere de 142 posições."},
    {7, "Cabeçalho sem KOVALDF nas posições 117 a 123."},
    {8, "Tipo de declaração inválido (use 0 ou 1)."},
    {9, "Campo reservado deve estar em branco."},
    {10, "Ano da declaração anterior a 2006 ou futuro."},
    {11, "Tipo de pessoa inválido neste registro."},
    {12, "Ano do período inicial difere do ano da declaração."},
    {13, "Ano do período final difere do ano da declaração."},
    {15, "Período final anterior ao inicial."},
    {16, "Situação especial inválida (00, 01, 02, 03 ou 05)."},
    {17, "Trailer deve ter só 9 nas posições 2 a 138."},
    {18, "Falha na leitura do arquivo da declaração."},
    {20, "Período final deve ser 31/12/"},
    {22, "CNPJ inválido (dígito verificador ou zeros)."},
    {23, "CPF inválido (dígito verificador)."},
    {24, "Data inválida ou inexistente (DDMMAAAA)."},
    {26, "Número sequencial difere do número da linha."},
    {28, "Nome empresarial com menos de 3 caracteres."},
    {29, "Data do evento deve ser zeros na situação 00."},
    {34, "Falta o registro tipo 2 (responsáveis)."},
    {37, "Falta o registro trailer (T)."},
    {40, "Sigla da UF inválida."},
    {43, "Falta registro de detalhe (tipo 3, 4 ou 5)."},
    {45, "CPF deve ser precedido de 000 (posições 11 a 13)."},
    {47, "Data do evento difere do fim do período."},
    {54, "Ano do trailer difere do ano da declaração."},
    {56, "CNPJ fora de ordem (menor que o anterior)."},
    {57, "Pessoa física deve vir antes das jurídicas."},
    {64, "CPF fora de ordem (menor que o anterior)."},
    {66, "CNPJ de entidade repetido."},
    {67, "CPF de beneficiário repetido."},
    {69, "Tipo de registro inválido na posição 9."},
    {72, "Nome não pode começar com espaço."},
    {74, "Nome da entidade com menos de 3 caracteres."},
    {75, "Nome da entidade com letra minúscula."},
    {76, "Campo obrigatório zerado (CPF, DDD ou telefone)."},
    {77, "Nome do beneficiário com menos de 3 caracteres."},
    {78, "Nome do beneficiário com letra minúscula."},
    {79, "Nome empresarial com acento ou símbolo."},
    {80, "Nome empresarial sem nenhuma letra."},
    {81, "Data do evento inválida."},
    {84, "DDD inválido (menor que 10)."},
    {85, "CNPJ de beneficiário repetido."},
    {86, "Vencimento repetido para o mesmo CNPJ."},
    {87, "Vencimento fora de ordem no mesmo CNPJ."},
    {88, "Vencimento fora dos 10 anos da declaração."},
    {89, "Ano da declaração não informado (0000)."},
    {92, "Nome não informado (em branco)."},
    {93, "Nome da entidade com acento ou símbolo."},
    {94, "Nome do beneficiário com acento ou símbolo."},
    {95, "Segundo registro deve ser do tipo 2."},
    {96, "Primeiro registro deve ser do tipo 1."},
    {97, "Nome empresarial com letra minúscula."},
};

}  // namespace

std::span<const ErrorText> errorTexts() { return kErrorTexts; }

std::string_view errorText(int code) {
    for (const auto& entry : kErrorTexts)
        if (entry.code == code) return entry.description;
    return {};
}

}  // namespace kova
