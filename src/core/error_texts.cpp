#include "core/error_texts.h"

namespace kova {
namespace {

// Each text is followed by its hint: the rule, and what to change in the file.
// Code 20 always comes with a complement holding the year ("2024 p/ Sit Especial 00"), which completes the date.
constexpr ErrorText kErrorTexts[] = {
    {1, "Registro fora de ordem ou de tipo inválido.",
     "A ordem dos registros é: cabeçalho (1), responsáveis (2), entidades (3), beneficiários (4), KOVA não retida "
     "(5) e o trailer (T) por último; a posição 9 deve ter o tipo (1 a 5). Mova o registro para o seu lugar ou "
     "corrija o tipo."},
    {2, "Campo deve conter só algarismos (0 a 9).",
     "O campo aceita somente algarismos: troque letras, brancos e sinais por algarismos, com zeros à esquerda."},
    {3, "Registro trailer (T) repetido.",
     "O arquivo deve ter um só trailer (T), na última linha: apague o trailer repetido e o que vier depois dele."},
    {5, "Tamanho do registro difere de 142 posições.",
     "Cada registro tem exatamente 142 caracteres seguidos de CR LF: complete com brancos ou retire o excesso "
     "(acentos gravados em UTF-8 e tabulações alongam a linha)."},
    {7, "Cabeçalho sem KOVALDF nas posições 117 a 123.",
     "As posições 117 a 123 do cabeçalho devem conter KOVALDF, em maiúsculas: confira se o nome do declarante não "
     "passa da posição 116."},
    {8, "Tipo de declaração inválido (use 0 ou 1).",
     "Na posição 44 do cabeçalho informe 0 para declaração original ou 1 para retificadora."},
    {9, "Campo reservado deve estar em branco.",
     "As posições reservadas ficam em branco: apague o que houver nelas até o fim do registro."},
    {10, "Ano da declaração anterior a 2006 ou futuro.",
     "Informe nas posições 24 a 27 o ano da declaração, de 2006 até o ano atual."},
    {11, "Tipo de pessoa inválido neste registro.",
     "Na posição 10 informe J (pessoa jurídica); no tipo 4 também F (pessoa física), em maiúscula."},
    {12, "Ano do período inicial difere do ano da declaração.",
     "O período inicial deve cair no ano da declaração (posições 24 a 27): corrija a data ou o ano."},
    {13, "Ano do período final difere do ano da declaração.",
     "O período final deve cair no ano da declaração (posições 24 a 27): corrija a data ou o ano."},
    {15, "Período final anterior ao inicial.",
     "O período final não pode ser anterior ao inicial: confira as duas datas (DDMMAAAA)."},
    {16, "Situação especial inválida (00, 01, 02, 03 ou 05).",
     "Nas posições 45 e 46 informe 00 (normal), 01 (extinção), 02 (fusão), 03 (incorporação) ou 05 (cisão total)."},
    {17, "Trailer deve ter só 9 nas posições 2 a 138.",
     "O trailer tem T na posição 1 e o algarismo 9 em todas as posições de 2 a 138: corrija o preenchimento."},
    {18, "Falha na leitura do arquivo da declaração.",
     "O arquivo não pôde ser lido até o fim: confira se o disco ou a pasta de rede está acessível e importe de novo."},
    {20, "Período final deve ser 31/12/",
     "Na situação 00 o período final é 31/12 do ano da declaração; se houve extinção, fusão, incorporação ou "
     "cisão, informe a situação e a data do evento."},
    {22, "CNPJ inválido (dígito verificador ou zeros).",
     "O dígito verificador do CNPJ não confere (ou o CNPJ está zerado): confira os 14 dígitos no cadastro."},
    {23, "CPF inválido (dígito verificador).",
     "O dígito verificador do CPF não confere: confira os 11 dígitos no cadastro."},
    {24, "Data inválida ou inexistente (DDMMAAAA).",
     "Informe uma data que exista, no formato DDMMAAAA (por exemplo 31122024)."},
    {26, "Número sequencial difere do número da linha.",
     "As posições 1 a 8 trazem o número da linha do registro com 8 dígitos (00000001 no cabeçalho): renumere os "
     "registros em sequência."},
    {28, "Nome empresarial com menos de 3 caracteres.",
     "Informe o nome empresarial completo, com ao menos 3 caracteres, a partir da posição 57."},
    {29, "Data do evento deve ser zeros na situação 00.",
     "Na situação 00 a data do evento é 00000000; se houve evento, informe também a situação especial."},
    {34, "Falta o registro tipo 2 (responsáveis).",
     "O segundo registro do arquivo deve ser o de responsáveis (tipo 2): inclua-o logo depois do cabeçalho."},
    {37, "Falta o registro trailer (T).",
     "Inclua na última linha o trailer: T, 137 vezes o algarismo 9 e o ano da declaração."},
    {40, "Sigla da UF inválida.",
     "Informe a sigla de uma das 27 unidades da federação, em maiúsculas (por exemplo SP, RJ, DF)."},
    {43, "Falta registro de detalhe (tipo 3, 4 ou 5).",
     "A declaração precisa de ao menos um registro de tipo 3, 4 ou 5 depois do registro de responsáveis."},
    {45, "CPF deve ser precedido de 000 (posições 11 a 13).",
     "Para pessoa física (F), as posições 11 a 13 são 000 e o CPF vem nas posições 14 a 24."},
    {47, "Data do evento difere do fim do período.",
     "Com situação especial, a data do evento deve ser igual ao período final (posições 36 a 43)."},
    {54, "Ano do trailer difere do ano da declaração.",
     "O ano do trailer (posições 139 a 142) deve ser o mesmo do cabeçalho (posições 24 a 27)."},
    {56, "CNPJ fora de ordem (menor que o anterior).",
     "Os registros deste tipo vêm em ordem crescente de CNPJ: ordene-os pelo CNPJ."},
    {57, "Pessoa física deve vir antes das jurídicas.",
     "No tipo 4, os beneficiários pessoa física (F) vêm antes dos pessoa jurídica (J): reordene os registros."},
    {64, "CPF fora de ordem (menor que o anterior).",
     "Os beneficiários pessoa física vêm em ordem crescente de CPF: ordene-os pelo CPF."},
    {66, "CNPJ de entidade repetido.",
     "Cada entidade aparece uma só vez: apague o registro repetido."},
    {67, "CPF de beneficiário repetido.",
     "Cada beneficiário aparece uma só vez: apague o registro repetido."},
    {69, "Tipo de registro inválido na posição 9.",
     "A posição 9 deve conter o tipo do registro (1 a 5); o trailer tem T na posição 1."},
    {72, "Nome não pode começar com espaço.",
     "O nome começa na primeira posição do campo: retire os brancos do início."},
    {74, "Nome da entidade com menos de 3 caracteres.",
     "Informe o nome completo da entidade, com ao menos 3 caracteres, a partir da posição 25."},
    {75, "Nome da entidade com letra minúscula.",
     "Escreva o nome da entidade em letras maiúsculas."},
    {76, "Campo obrigatório zerado (CPF, DDD ou telefone).",
     "CPF, DDD e telefone são obrigatórios: informe o número verdadeiro no lugar dos zeros."},
    {77, "Nome do beneficiário com menos de 3 caracteres.",
     "Informe o nome completo do beneficiário, com ao menos 3 caracteres, a partir da posição 25."},
    {78, "Nome do beneficiário com letra minúscula.",
     "Escreva o nome do beneficiário em letras maiúsculas."},
    {79, "Nome empresarial com acento ou símbolo.",
     "Use só letras sem acento, algarismos e brancos: troque Ç por C, Ã por A e retire sinais como . , - & /."},
    {80, "Nome empresarial sem nenhuma letra.",
     "O nome empresarial deve ter letras: confira se o campo não recebeu outro dado."},
    {81, "Data do evento inválida.",
     "Informe uma data de evento que exista (DDMMAAAA), ou 00000000 quando não houve evento."},
    {84, "DDD inválido (menor que 10).",
     "O DDD tem 4 posições, alinhado à direita com zeros à esquerda (por exemplo 0011): confira o código de área."},
    {85, "CNPJ de beneficiário repetido.",
     "Cada beneficiário aparece uma só vez: apague o registro repetido."},
    {86, "Vencimento repetido para o mesmo CNPJ.",
     "Para o mesmo CNPJ cada vencimento aparece uma só vez: reúna os valores dessa data num único registro."},
    {87, "Vencimento fora de ordem no mesmo CNPJ.",
     "Para o mesmo CNPJ, os vencimentos vêm em ordem crescente de data: reordene os registros."},
    {88, "Vencimento fora dos 10 anos da declaração.",
     "O vencimento vai de 1º de janeiro de nove anos antes até 31 de dezembro do ano da declaração: confira a data."},
    {89, "Ano da declaração não informado (0000).",
     "Informe nas posições 24 a 27 o ano da declaração."},
    {92, "Nome não informado (em branco).",
     "Informe o nome: o campo não pode ficar em branco."},
    {93, "Nome da entidade com acento ou símbolo.",
     "Use só letras sem acento, algarismos e brancos: troque Ç por C, Ã por A e retire sinais como . , - & /."},
    {94, "Nome do beneficiário com acento ou símbolo.",
     "Use só letras sem acento, algarismos e brancos: troque Ç por C, Ã por A e retire sinais como . , - & /."},
    {95, "Segundo registro deve ser do tipo 2.",
     "O segundo registro deve ser o de responsáveis (tipo 2), logo depois do cabeçalho."},
    {96, "Primeiro registro deve ser do tipo 1.",
     "O primeiro registro deve ser o cabeçalho (tipo 1), com 00000001 nas posições 1 a 8."},
    {97, "Nome empresarial com letra minúscula.",
     "Escreva o nome empresarial em letras maiúsculas."},
};

}  // namespace

std::span<const ErrorText> errorTexts() { return kErrorTexts; }

const ErrorText* findErrorText(int code) {
    for (const auto& entry : kErrorTexts)
        if (entry.code == code) return &entry;
    return nullptr;
}

std::string_view errorText(int code) {
    const ErrorText* entry = findErrorText(code);
    return entry != nullptr ? entry->description : std::string_view();
}

std::string_view errorHint(int code) {
    const ErrorText* entry = findErrorText(code);
    return entry != nullptr ? entry->hint : std::string_view();
}

}  // namespace kova
