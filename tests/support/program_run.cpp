#include "support/program_run.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <sstream>
#include <stdexcept>

#include "support/file_bytes.h"
#include "support/temp_folder.h"

namespace kova::testing_support {

namespace fs = std::filesystem;

fs::path binFolder() { return fs::read_symlink("/proc/self/exe").parent_path(); }

std::vector<std::string> RunResult::outLines() const {
    std::vector<std::string> lines;
    std::istringstream in(out);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

RunResult runProgram(const fs::path& program, const std::vector<std::string>& args, const Environment& environment,
                     const fs::path& workingFolder) {
    TempFolder capture;
    const fs::path outFile = capture / "out";
    const fs::path errFile = capture / "err";
    std::vector<std::string> argvText{program.string()};
    argvText.insert(argvText.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& a : argvText) argv.push_back(a.data());
    argv.push_back(nullptr);

    const pid_t child = ::fork();
    if (child < 0) throw std::runtime_error("fork failed");
    if (child == 0) {
        const int in = ::open("/dev/null", O_RDONLY);
        const int out = ::open(outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int err = ::open(errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (in < 0 || out < 0 || err < 0 || ::dup2(in, 0) < 0 || ::dup2(out, 1) < 0 || ::dup2(err, 2) < 0)
            ::_exit(126);
        if (!workingFolder.empty() && ::chdir(workingFolder.c_str()) != 0) ::_exit(126);
        for (const auto& [name, value] : environment) {
            if (value.empty())
                ::unsetenv(name.c_str());
            else
                ::setenv(name.c_str(), value.c_str(), 1);
        }
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    int status = 0;
    if (::waitpid(child, &status, 0) != child) throw std::runtime_error("waitpid failed");
    RunResult result;
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    result.out = readBytes(outFile);
    result.err = readBytes(errFile);
    return result;
}

RunResult runCli(const std::vector<std::string>& args, Environment environment, const fs::path& workingFolder) {
    environment.insert(environment.begin(), {"KOVA_PASTA", ""});
    return runProgram(binFolder() / "kova-cli", args, environment, workingFolder);
}

}  // namespace kova::testing_support
