// Runs the built kova-cli and captures what it printed and its exit status.
#pragma once

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

namespace kova::cli_tests {

struct CliResult {
    int status = -1;
    std::string out;
    std::string err;

    std::vector<std::string> outLines() const {
        std::vector<std::string> lines;
        std::istringstream in(out);
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        return lines;
    }
};

inline std::string quoted(const std::string& text) {
    std::string q = "'";
    for (char c : text) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

inline std::string slurp(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// kova-cli with `args`; stdout and stderr go through files in `scratch`. KOVA_PASTA is cleared so only the
// arguments choose the program folder.
inline CliResult runCli(const std::vector<std::string>& args, const std::filesystem::path& scratch) {
    std::string command = "env -u KOVA_PASTA " + quoted(KOVA_CLI_PATH);
    for (const auto& a : args) command += " " + quoted(a);
    const auto outFile = scratch / "stdout.txt";
    const auto errFile = scratch / "stderr.txt";
    command += " >" + quoted(outFile.string()) + " 2>" + quoted(errFile.string()) + " </dev/null";
    const int raw = std::system(command.c_str());
    CliResult r;
    r.status = raw != -1 && WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    r.out = slurp(outFile);
    r.err = slurp(errFile);
    return r;
}

}  // namespace kova::cli_tests
