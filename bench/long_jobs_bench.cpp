// The long jobs of kova-cli on a large declaration, each against its floor measured in the same run: importar
// (check, generation, fsync), verificar, imprimir --texto and imprimir --pdf, and importar of the same
// declaration with an error in every fifth record. Each job runs as a child process; its wall time and peak
// resident memory come from wait4. Medians of the repetitions; the files stay in the page cache between runs.
//
//   long_jobs_bench KOVA-CLI KOVA-GERAR-EXEMPLO [--registros N] [--repeticoes R] [--pasta DIR] [--sem-pdf]
//
// (cmake --build build --target benchmark runs it with the built programs: 1,000,000 records, 3 repetitions.)
#include <fcntl.h>
#include <libdeflate.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

[[noreturn]] void fail(const std::string& what) {
    std::fprintf(stderr, "long_jobs_bench: %s\n", what.c_str());
    std::exit(3);
}

struct ChildRun {
    double seconds = 0;
    double cpuSeconds = 0;  // user + system: the steadier figure on a shared machine
    double peakMiB = 0;
    int exitCode = -1;
};

// Runs the program with stdout into `out` (stderr into `log`) and waits for it.
ChildRun runChild(const std::vector<std::string>& args, const fs::path& out, const fs::path& log) {
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    const Clock::time_point start = Clock::now();
    const pid_t pid = fork();
    if (pid < 0) fail("fork falhou");
    if (pid == 0) {
        const int outFd = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int logFd = ::open(log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
        if (outFd < 0 || logFd < 0 || dup2(outFd, 1) < 0 || dup2(logFd, 2) < 0) _exit(127);
        execv(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) != pid) fail("wait4 falhou");
    ChildRun run;
    run.seconds = secondsSince(start);
    run.cpuSeconds = usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
                     (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    run.peakMiB = usage.ru_maxrss / 1024.0;
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return run;
}

ChildRun runExpecting(const std::vector<std::string>& args, int expectedExit, const fs::path& out,
                      const fs::path& log) {
    const ChildRun run = runChild(args, out, log);
    if (run.exitCode != expectedExit) {
        std::string line;
        for (const std::string& a : args) line += a + " ";
        fail(line + "terminou com " + std::to_string(run.exitCode) + " (esperado " +
             std::to_string(expectedExit) + "); veja " + log.string());
    }
    return run;
}

// The floors: a plain pass over a file in 1 MiB blocks with its CRC-32, optionally writing the same bytes to
// a new file and syncing it.
double readCrcFloor(const fs::path& in, const fs::path* copy) {
    std::vector<char> block(1 << 20);
    const Clock::time_point start = Clock::now();
    const int inFd = ::open(in.c_str(), O_RDONLY);
    const int outFd = copy ? ::open(copy->c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644) : -1;
    if (inFd < 0 || (copy && outFd < 0)) fail("não foi possível abrir " + in.string());
    std::uint32_t crc = 0;
    for (ssize_t n; (n = ::read(inFd, block.data(), block.size())) > 0;) {
        crc = libdeflate_crc32(crc, block.data(), static_cast<std::size_t>(n));
        if (copy && ::write(outFd, block.data(), static_cast<std::size_t>(n)) != n) fail("escrita falhou");
    }
    if (copy && (::fsync(outFd) != 0 || ::close(outFd) != 0)) fail("fsync falhou");
    ::close(inFd);
    const double seconds = secondsSince(start);
    if (copy) fs::remove(*copy);
    // The checksum is used, so no pass can be skipped by the compiler.
    if (crc == 0x12345678u) std::fprintf(stderr, " ");
    return seconds;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

struct Row {
    std::string job;
    std::vector<double> jobSeconds;
    std::vector<double> jobCpuSeconds;
    std::vector<double> floorSeconds;  // empty: no floor
    double peakMiB = 0;                // the highest of the runs
    std::string goal;
    std::string note;
};

void printRow(const Row& row) {
    const double job = median(row.jobSeconds);
    char floorText[32] = "-", ratioText[32] = "-";
    if (!row.floorSeconds.empty()) {
        const double floor = median(row.floorSeconds);
        std::snprintf(floorText, sizeof floorText, "%.3f", floor);
        std::snprintf(ratioText, sizeof ratioText, "%.1fx", job / floor);
    }
    std::string runs;
    for (double s : row.jobSeconds) {
        char one[32];
        std::snprintf(one, sizeof one, "%s%.3f", runs.empty() ? "" : " ", s);
        runs += one;
    }
    std::printf("%-22s %9.3f %9s %7s %9.3f %9.1f  %-8s %s%s%s\n", row.job.c_str(), job, floorText, ratioText,
                median(row.jobCpuSeconds), row.peakMiB, row.goal.c_str(), runs.c_str(), row.note.empty() ? "" : "  ",
                row.note.c_str());
    std::fflush(stdout);
}

struct Options {
    std::string cli, generator;
    unsigned long records = 1000000;
    int repetitions = 3;
    fs::path folder;
    bool pdf = true;
};

Options parse(int argc, char** argv) {
    const char* usage =
        "Uso: long_jobs_bench KOVA-CLI KOVA-GERAR-EXEMPLO [--registros N] [--repeticoes R] [--pasta DIR] "
        "[--sem-pdf]\n";
    Options o;
    std::vector<std::string> positional;
    bool wrong = false;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const bool hasValue = i + 1 < argc;
        if (a == "--registros" && hasValue) o.records = std::strtoul(argv[++i], nullptr, 10);
        else if (a == "--repeticoes" && hasValue) o.repetitions = std::atoi(argv[++i]);
        else if (a == "--pasta" && hasValue) o.folder = argv[++i];
        else if (a == "--sem-pdf") o.pdf = false;
        else if (!a.starts_with("--")) positional.push_back(a);
        else wrong = true;
    }
    if (wrong || positional.size() != 2 || o.records < 4 || o.repetitions < 1) {
        std::fputs(usage, stderr);
        std::exit(2);
    }
    o.cli = fs::absolute(positional[0]).string();
    o.generator = fs::absolute(positional[1]).string();
    if (o.folder.empty()) o.folder = fs::temp_directory_path() / ("kova-bench-" + std::to_string(getpid()));
    return o;
}

// The delivery file importar left under GERADA.
fs::path deliveryFileIn(const fs::path& programFolder) {
    for (const auto& entry : fs::recursive_directory_iterator(programFolder / "GERADA"))
        if (entry.path().extension() == ".DEC") return entry.path();
    fail("nenhum arquivo .DEC em " + (programFolder / "GERADA").string());
}

long pagesIn(const fs::path& text) {
    std::FILE* f = std::fopen(text.c_str(), "rb");
    if (!f) fail("sem saída de texto");
    long pages = 1;
    for (int c; (c = std::fgetc(f)) != EOF;) pages += c == '\f';
    std::fclose(f);
    return pages;
}

}  // namespace

int main(int argc, char** argv) {
    const Options o = parse(argc, argv);
    fs::create_directories(o.folder);
    const fs::path log = o.folder / "stderr.log";
    const fs::path nothing = "/dev/null";
    const fs::path clean = o.folder / "grande.txt", withErrors = o.folder / "grande-com-erros.txt";
    const fs::path program = o.folder / "programa", programErrors = o.folder / "programa-erros";
    const fs::path copy = o.folder / "copia.tmp", text = o.folder / "relatorio.txt", pdf = o.folder / "relatorio.pdf";
    const std::string records = std::to_string(o.records);

    std::fprintf(stderr, "Preparando %s registros em %s...\n", records.c_str(), o.folder.c_str());
    runExpecting({o.generator, "grande", records, clean.string()}, 0, nothing, log);
    runExpecting({o.generator, "grande-com-erros", records, withErrors.string()}, 0, nothing, log);
    for (const fs::path& p : {program, programErrors}) {
        fs::remove_all(p);
        runExpecting({o.cli, "iniciar", "--pasta", p.string()}, 0, nothing, log);
    }
    // The first import makes the delivery file the other jobs read; every file is then in the page cache.
    runExpecting({o.cli, "importar", clean.string(), "--pasta", program.string()}, 0, nothing, log);
    const fs::path dec = deliveryFileIn(program);
    readCrcFloor(clean, nullptr);
    readCrcFloor(dec, nullptr);

    std::printf("%lu registros: declaração %.1f MB, arquivo de entrega %.1f MB; medianas de %d execuções\n",
                o.records, fs::file_size(clean) / 1e6, fs::file_size(dec) / 1e6, o.repetitions);
    std::printf("%-22s %9s %9s %7s %9s %9s  %-8s %s\n", "job", "job s", "floor s", "ratio", "job cpu s", "peak MiB",
                "goal", "runs (s)");

    // Each repetition measures the floor right before the job, so both see the same machine.
    const auto measure = [&](const char* job, const char* goal, const std::function<double()>& floor,
                             const std::vector<std::string>& args, int expectedExit, const fs::path& out) {
        Row row;
        row.job = job;
        row.goal = goal;
        for (int r = 0; r < o.repetitions; ++r) {
            if (floor) row.floorSeconds.push_back(floor());
            const ChildRun run = runExpecting(args, expectedExit, out, log);
            row.jobSeconds.push_back(run.seconds);
            row.jobCpuSeconds.push_back(run.cpuSeconds);
            row.peakMiB = std::max(row.peakMiB, run.peakMiB);
        }
        return row;
    };

    printRow(measure("importar", "<= 2x", [&] { return readCrcFloor(clean, &copy); },
                     {o.cli, "importar", clean.string(), "--pasta", program.string(), "--substituir"}, 0, nothing));
    printRow(measure("importar (com erros)", "-", {},
                     {o.cli, "importar", withErrors.string(), "--pasta", programErrors.string()}, 1, nothing));
    printRow(measure("verificar", "<= 2x", [&] { return readCrcFloor(dec, nullptr); },
                     {o.cli, "verificar", dec.string()}, 0, nothing));
    printRow(measure("imprimir --texto", "<= 3x", [&] { return readCrcFloor(dec, &copy); },
                     {o.cli, "imprimir", dec.string(), "--texto"}, 0, text));
    const long pages = pagesIn(text);
    if (o.pdf) {
        Row row = measure("imprimir --pdf", "<= 40 s", {},
                          {o.cli, "imprimir", dec.string(), "--pdf", pdf.string()}, 0, nothing);
        char note[64];
        std::snprintf(note, sizeof note, "%ld páginas, %.0f páginas/s", pages, pages / median(row.jobSeconds));
        row.note = note;
        printRow(row);
    }
    std::printf("goal of peak memory: < 64 MiB for every command\n");
    fs::remove_all(o.folder);
    return 0;
}
