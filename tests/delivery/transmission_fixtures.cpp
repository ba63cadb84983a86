#include "transmission_fixtures.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <stdexcept>

namespace kova::testing {

fs::path binFolder() { return fs::read_symlink("/proc/self/exe").parent_path(); }

void writeQuiboroSettings(const fs::path& windowsFolder, const std::string& version, const std::string& path) {
    fs::create_directories(windowsFolder);
    writeBytes(windowsFolder / "qui-bor.ini", "[Qui-Bor]\r\nVersao=" + version + "\r\nPath=" + path + "\r\n");
}

Snapshot snapshot(const fs::path& root, bool folderTimes) {
    Snapshot all;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        struct stat info {};
        if (::lstat(entry.path().c_str(), &info) != 0) throw std::runtime_error("lstat failed");
        Entry e;
        e.folder = entry.is_directory();
        if (!e.folder || folderTimes)
            e.mtimeNs = static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
        if (!e.folder) e.bytes = readBytes(entry.path());
        all[fs::relative(entry.path(), root).string()] = e;
    }
    return all;
}

Answer RecordingPrompts::show(const Message& message) {
    shown.push_back(message);
    if (answer) return answer(message);
    return message.buttons == Buttons::Ok ? Answer::Ok : Answer::No;
}

RunResult runProgram(const fs::path& program, const std::vector<std::string>& args,
                     const std::vector<std::pair<std::string, std::string>>& environment,
                     const fs::path& workingFolder) {
    ScratchFolder capture;
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
        const int out = ::open(outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int err = ::open(errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (out < 0 || err < 0 || ::dup2(out, 1) < 0 || ::dup2(err, 2) < 0) ::_exit(126);
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

}  // namespace kova::testing
