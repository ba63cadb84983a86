#include "transmission_fixtures.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <sstream>
#include <stdexcept>

#include "core/record_layout.h"
#include "delivery/delivery_records.h"
#include "delivery/seals.h"

namespace kova::testing {

fs::path binFolder() { return fs::read_symlink("/proc/self/exe").parent_path(); }

ScratchFolder::ScratchFolder() {
    std::string pattern = (fs::temp_directory_path() / "kova-teste-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
}

ScratchFolder::~ScratchFolder() {
    std::error_code ec;
    // Folders a test made read-only must become writable again to be removed.
    for (auto it = fs::recursive_directory_iterator(path_, ec); !ec && it != fs::recursive_directory_iterator();
         it.increment(ec))
        if (it->is_directory(ec)) fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(path_, ec);
}

fs::path writeSealedDeliveryFile(const fs::path& folder, const fixtures::DeclarationBuilder& declaration) {
    const std::vector<std::string> records = declaration.records();
    DeliveryHeaderFields fields;
    takeInputHeader(HeaderRecord(records.at(0)), fields);
    const RecordView contacts(records.at(1));
    fields.CPFREPRESENTANTE = contacts.field(10, 11);
    fields.telefoneREPRESENTANTE = contacts.field(21, 18);
    for (const std::string& line : records) {
        const RecordView record(line);
        if (record.isTrailer()) continue;
        if (record.TipoREGISTRO() == "3") ++fields.count3;
        if (record.TipoREGISTRO() == "4") ++fields.count4;
        if (record.TipoREGISTRO() == "5") {
            fields.totalBASECALCULO.addDigits(record.field(32, 17));
            fields.totalKOVA.addDigits(record.field(49, 17));
        }
    }
    const std::string name = deliveryFileName(fields.CNPJDECL, fields.Ano, fields.Tipo, fields.SITUACAO);

    std::uint32_t running = 0;
    std::string detailSeal;
    std::string body;
    for (const std::string& line : records) {
        const std::string sealed = sealedDetailRecord(line);
        detailSeal = ACUMULACRC(sealed, running);
        body += sealed + "\r\n";
    }
    const std::string r1 = receiptRecord(fields.CNPJDECL, fields.NOME);
    std::uint32_t receiptRunning = running;
    const std::string receiptSeal = ACUMULACRC(r1, receiptRunning);
    const std::string file = headerRecord(fields, detailSeal, name) + "\r\n" + body + r1 + "\r\n" +
                             receiptClosingRecord(receiptSeal) + "\r\n";
    fs::create_directories(folder);
    writeBytes(folder / name, file);
    return folder / name;
}

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

std::string readBytes(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + file.string());
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void writeBytes(const fs::path& file, const std::string& bytes) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << bytes;
    if (!out.flush()) throw std::runtime_error("cannot write " + file.string());
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
