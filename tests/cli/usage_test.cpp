// kova-cli's usage of every command, its refusals of wrong arguments and --version.
#include <gtest/gtest.h>

#include <map>
#include <regex>
#include <string>
#include <vector>

#include "support/program_run.h"

namespace kova {
namespace {

using testing_support::runCli;
using testing_support::RunResult;

// Each command's usage line, assembled from its declared options.
const std::map<std::string, std::string> kUsageLines = {
    {"iniciar", "Uso: kova-cli iniciar --pasta PASTA"},
    {"importar", "Uso: kova-cli importar ARQUIVO [--pasta PASTA] [--json] [--substituir]"},
    {"verificar", "Uso: kova-cli verificar ARQUIVO.DEC"},
    {"listar", "Uso: kova-cli listar [--pasta PASTA] [--selecao 0|1|2] [--json]"},
    {"transmitir", "Uso: kova-cli transmitir ARQUIVO.DEC [--pasta PASTA] [--opcao N]"},
    {"diagnostico", "Uso: kova-cli diagnostico [--pasta PASTA] [--json]"},
    {"validar", "Uso: kova-cli validar ARQUIVO... [--json | --csv SAIDA.csv] [--jobs N]"},
#ifdef KOVA_CLI_PRINTS
    {"recibo", "Uso: kova-cli recibo ARQUIVO.DEC [--validar] [--pdf SAIDA.pdf | --texto]"},
    {"imprimir", "Uso: kova-cli imprimir ARQUIVO.DEC [--tipos 3,4,5] [--pdf SAIDA.pdf | --texto]"},
    {"erros", "Uso: kova-cli erros [--pasta PASTA] [--pdf SAIDA.pdf | --texto | --resumo | --csv ARQUIVO.csv]"},
#endif
};

TEST(CliUsage, EveryCommandIsListedAndShowsItsUsageAndTheVersionItsBuild) {
    const RunResult version = runCli({"--version"});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_TRUE(std::regex_match(version.out, std::regex("kova-cli 3\\.0 \\(build ([0-9a-f]{7,}|desconhecida)\\)\n")))
        << version.out;
    const RunResult all = runCli({"--help"});
    EXPECT_EQ(all.exitCode, 0);
    for (const auto& [command, usageLine] : kUsageLines) {
        EXPECT_NE(all.out.find("\n  " + command + " "), std::string::npos) << command;
        const RunResult help = runCli({command, "--help"});
        EXPECT_EQ(help.exitCode, 0) << command;
        const std::vector<std::string> lines = help.outLines();
        ASSERT_GE(lines.size(), 3u) << command;
        EXPECT_EQ(lines.front(), usageLine);
        EXPECT_EQ(lines.back().rfind("Saída: 0 ", 0), 0u) << help.out;
    }
}

struct Refusal {
    std::vector<std::string> args;
    std::string message;  // the first line on stderr; the usage of the command (or of kova-cli) follows
};

const std::vector<Refusal> kRefusals = {
    {{}, "Uso: kova-cli COMANDO [opções]"},
    {{"nada"}, "Comando desconhecido: nada"},
    {{"iniciar"}, "Informe a pasta do programa com --pasta."},
    {{"importar"}, "Informe o arquivo da declaração."},
    {{"verificar"}, "Uso: kova-cli verificar ARQUIVO.DEC"},
    {{"listar", "--selecao", "3"}, "Argumento inválido: --selecao"},
    {{"transmitir", "a.DEC", "--opcao", "32768"}, "Opção inválida: 32768"},
    {{"validar", "--json"}, "Informe os arquivos das declarações."},
    {{"validar", "a.txt", "--json", "--csv", "e.csv"}, "Use apenas uma de --json e --csv."},
#ifdef KOVA_CLI_PRINTS
    {{"imprimir", "a.DEC", "--tipos", "3,6"}, "Tipos inválidos: 3,6 (use 3, 4 e 5, separados por vírgula)"},
    {{"erros", "--texto", "--resumo"}, "Use apenas uma de --pdf, --texto, --resumo e --csv."},
#endif
};

TEST(CliUsage, RefusesWrongArgumentsWithTheReasonAndTheUsage) {
    for (const Refusal& refusal : kRefusals) {
        const RunResult r = runCli(refusal.args);
        EXPECT_EQ(r.exitCode, 2) << refusal.message;
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(r.err.substr(0, r.err.find('\n')), refusal.message) << r.err;
        const auto known = refusal.args.empty() ? kUsageLines.end() : kUsageLines.find(refusal.args.front());
        const std::string usage = known == kUsageLines.end() ? "Uso: kova-cli COMANDO [opções]" : known->second;
        EXPECT_NE(r.err.find(usage + "\n"), std::string::npos) << r.err;
    }
}

}  // namespace
}  // namespace kova
