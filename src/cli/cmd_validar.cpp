// kova-cli validar: the checks of the import on many declaration files at once, without a program folder and
// without writing anything. Files are checked in parallel, each with its own state, reader and error log (an
// unnamed temporary file, so that a file with a million errors does not hold them in memory); the summaries and
// rows come out in the order of the arguments, and only a few finished files wait for their turn.
#include <glob.h>

#include <algorithm>
#include <charconv>
#include <condition_variable>
#include <filesystem>
#include <iostream>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "cli/batch_support.h"
#include "cli/command.h"
#include "cli/error_rows.h"
#include "cli/json_text.h"
#include "core/atomic_file.h"
#include "core/clock.h"
#include "core/spooled_error_log.h"
#include "core/text.h"
#include "import/declarant_data.h"
#include "import/checking_passes.h"

namespace fs = std::filesystem;

namespace {

using kova::cli::ExitStatus;

constexpr std::string_view kJsonOption = "--json";
constexpr std::string_view kCsvOption = "--csv";
constexpr std::string_view kJobsOption = "--jobs";
constexpr unsigned kMaxJobs = 256;

const kova::cli::CommandDescription kCommand{
    .name = "validar",
    .summary = "valida declarações sem importá-las, várias de uma vez",
    .purpose = "Critica cada ARQUIVO como a importação (estrutura e todos os campos), sem pasta do programa e sem\n"
               "gravar nada; uma linha de resumo por arquivo, na ordem dos argumentos.",
    .operand = "ARQUIVO...",
    .manyOperands = true,
    .operandHelp = "as declarações; uma pasta vale pelos seus arquivos (sem as subpastas), um padrão entre aspas\n"
                   "('entrada/*.txt') pelos arquivos que casam com ele",
    .missingOperand = "Informe os arquivos das declarações.",
    .options = {{.name = kJsonOption,
                 .help = "o resumo de cada arquivo como objeto JSON, seguido de um objeto por erro, com as chaves\n"
                         "de importar --json precedidas de \"arquivo\""},
                {.name = kCsvOption,
                 .value = "SAIDA.csv",
                 .help = "grava os erros de todos os arquivos em SAIDA.csv (colunas separadas por ';')",
                 .orPrevious = true},
                {.name = kJobsOption,
                 .value = "N",
                 .help = "quantos arquivos são criticados ao mesmo tempo (padrão: o número de processadores)"}},
    .notes = "Mensagens e avisos vão para a saída de erro, precedidos do nome do arquivo; as perguntas são\n"
             "respondidas Não / Cancelar. Uma linha por arquivo: nome, CNPJ, nome empresarial, registros, erros\n"
             "e resultado (sem erros, com erros, recusado, falha), separados por tabulação.",
    .exits = {"todos sem erros", "algum com erros", "algum recusado (ilegível, vazio, inexistente) ou uso incorreto",
              "falha"},
};

// How one file ended, from the best to the worst; the command ends with the worst.
enum class Verdict { Clean, Errors, Refused, Failed };

ExitStatus exitStatusOf(Verdict verdict) {
    switch (verdict) {
        case Verdict::Clean: return ExitStatus::Done;
        case Verdict::Errors: return ExitStatus::ErrorsFound;
        case Verdict::Refused: return ExitStatus::Refused;
        case Verdict::Failed: break;
    }
    return ExitStatus::Failure;
}

const char* verdictText(Verdict verdict) {
    switch (verdict) {
        case Verdict::Clean: return "sem erros";
        case Verdict::Errors: return "com erros";
        case Verdict::Refused: return "recusado";
        case Verdict::Failed: break;
    }
    return "falha";
}

// "1 registro", "2 registros".
std::string counted(std::int64_t count, const char* noun) {
    return std::to_string(count) + " " + noun + (count == 1 ? "" : "s");
}

struct FileReport {
    std::string name;
    kova::DeclarantDisplay declarant;
    std::int64_t records = 0;
    std::int64_t errors = 0;
    Verdict verdict = Verdict::Failed;
    std::unique_ptr<kova::SpooledErrorLog> rows;  // kept only when the rows are printed
};

// What one file's check says on stderr: every line after the file's name, a message at a time, so that the
// messages of files checked together stay readable.
class FileMessages {
public:
    FileMessages(std::string name, std::mutex& stderrMutex) : prefix_(std::move(name) + ": "), mutex_(stderrMutex) {}
    void say(std::string_view text) {
        std::string lines;
        for (std::size_t start = 0; start < text.size();) {
            const std::size_t end = std::min(text.find('\n', start), text.size());
            lines.append(prefix_).append(text.substr(start, end - start)).append("\n");
            start = end + 1;
        }
        const std::lock_guard lock(mutex_);
        std::cerr << lines << std::flush;
    }

private:
    std::string prefix_;
    std::mutex& mutex_;
};

class FilePrompts : public kova::cli::BatchPrompts {
public:
    explicit FilePrompts(FileMessages& messages) : messages_(messages) {}

protected:
    void say(const std::string& text) override { messages_.say(text); }

private:
    FileMessages& messages_;
};

// The zero-amount warning is a notice, like importar's.
class FileEvents : public kova::ImportEvents {
public:
    explicit FileEvents(FileMessages& messages) : messages_(messages) {}
    void warning(const std::string& line) override { messages_.say(line); }

private:
    FileMessages& messages_;
};

struct Settings {
    bool keepRows = false;  // --json or --csv
    fs::path spoolFolder;   // where the error logs' unnamed files are made
    std::mutex* stderrMutex = nullptr;
};

// The verdict of a check that ran, by how it ended.
Verdict verdictOf(kova::CheckingPasses::Outcome outcome, std::int64_t rows, const kova::SpooledErrorLog& log) {
    using Outcome = kova::CheckingPasses::Outcome;
    switch (outcome) {
        case Outcome::Clean: return Verdict::Clean;
        case Outcome::DetailErrors: return Verdict::Errors;
        case Outcome::StructureStopped: return rows > 0 ? Verdict::Errors : Verdict::Refused;
        case Outcome::Cancelled: return Verdict::Refused;
        case Outcome::RowLost: return Verdict::Failed;
        case Outcome::Failed: break;
    }
    // A fault given up on: the file's, unless the log's own file failed.
    return log.faulted() ? Verdict::Failed : Verdict::Refused;
}

// The checks of the import on one file: its look-up and first record as importar chooses it, then both passes.
void checkFile(const fs::path& file, const Settings& settings, FileMessages& messages, FileReport& report) {
    FilePrompts prompts(messages);
    FileEvents events(messages);
    report.verdict = Verdict::Refused;
    if (kova::lookUpChosenFile(prompts, file) != kova::FileLookup::File) return;
    kova::DeclarantData declarant;
    switch (const kova::DeclarantOutcome outcome = kova::readDeclarantData(file, prompts, declarant)) {
        case kova::DeclarantOutcome::Read: break;
        case kova::DeclarantOutcome::EmptyFile: messages.say(kova::kEmptyFileText); return;
        case kova::DeclarantOutcome::WrongLength:
        case kova::DeclarantOutcome::WrongFileName: messages.say(kova::declarantRefusalText(outcome)); return;
        default: return;  // unreadable (the prompts said why), or gone since the look-up
    }
    report.declarant = declarant.display();
    report.declarant.name = std::string(kova::trimRightBlanks(report.declarant.name));

    report.verdict = Verdict::Failed;
    std::unique_ptr<kova::SpooledErrorLog> log;
    try {
        log = std::make_unique<kova::SpooledErrorLog>(settings.spoolFolder);
    } catch (const kova::Fault& fault) {
        messages.say("Não foi possível criar o arquivo temporário dos erros em " + settings.spoolFolder.string() +
                     ".\n" + kova::faultMessage(fault));
        return;
    }
    kova::ImportState state;
    state.resetForImport();
    state.declarantCnpj = declarant.cnpj;
    state.declarantName = declarant.name;
    const kova::SystemClock clock;
    kova::CheckingPasses check(state, *log, prompts, events, clock);
    if (!check.open(file)) {
        report.verdict = Verdict::Refused;
        return;
    }
    const kova::CheckingPasses::Outcome outcome = check.run();
    check.close();
    report.records = state.recordNumber;
    report.errors = log->rowCount();
    report.verdict = verdictOf(outcome, report.errors, *log);
    if (outcome == kova::CheckingPasses::Outcome::RowLost)
        messages.say("Não foi possível guardar todos os erros encontrados; a crítica deste arquivo foi interrompida.");
    if (settings.keepRows) report.rows = std::move(log);
}

// A fault that escaped the checks' own traps ends this file's check as a failure, never the others'.
FileReport checkFile(const fs::path& file, const Settings& settings) {
    FileReport report;
    report.name = file.string();
    FileMessages messages(report.name, *settings.stderrMutex);
    try {
        checkFile(file, settings, messages, report);
    } catch (const kova::Fault& fault) {
        messages.say(kova::importFaultText(fault));
        report.verdict = Verdict::Failed;
    } catch (const std::exception& e) {
        messages.say(std::string("Falha: ") + e.what());
        report.verdict = Verdict::Failed;
    }
    return report;
}

// The files an argument names: a folder's regular files (not its subfolders) and the files a pattern matches,
// each sorted by name; anything else, itself (checked, and refused when it is no file).
void addFilesOf(const std::string& argument, std::vector<fs::path>& files, FileMessages& messages) {
    std::error_code ec;
    if (fs::is_directory(argument, ec)) {
        std::vector<fs::path> found;
        for (fs::directory_iterator it(argument, ec), end; !ec && it != end; it.increment(ec))
            if (it->is_regular_file(ec)) found.push_back(it->path());
        if (!ec) {
            std::sort(found.begin(), found.end());
            files.insert(files.end(), found.begin(), found.end());
            return;
        }
        messages.say("Não foi possível ler a pasta: " + ec.message());
    } else if (!fs::exists(argument, ec) && argument.find_first_of("*?[") != std::string::npos) {
        glob_t matches{};
        if (::glob(argument.c_str(), 0, nullptr, &matches) == 0) {
            for (std::size_t i = 0; i < matches.gl_pathc; ++i) files.emplace_back(matches.gl_pathv[i]);
            ::globfree(&matches);
            return;
        }
        ::globfree(&matches);
    }
    files.emplace_back(argument);
}

std::optional<unsigned> parseJobs(const std::string& text) {
    unsigned jobs = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), jobs);
    if (error != std::errc() || end != text.data() + text.size() || jobs == 0 || jobs > kMaxJobs)
        return std::nullopt;
    return jobs;
}

// Prints each file's summary (and rows) as its turn comes; the CSV file, when asked for, gets the rows too.
class ReportPrinter {
public:
    ReportPrinter(bool json, kova::AtomicFileWriter* csv, std::mutex& stderrMutex)
        : json_(json), csv_(csv), stderrMutex_(stderrMutex) {}

    void print(FileReport& report) {
        FileMessages messages(report.name, stderrMutex_);
        worst_ = std::max(worst_, report.verdict);
        try {
            printSummary(report);
        } catch (const kova::Fault& fault) {
            messages.say("Não foi possível ler os erros guardados.\n" + kova::faultMessage(fault));
            worst_ = Verdict::Failed;
        }
        std::cout.flush();
        if (csv_ == nullptr || !report.rows) return;
        try {
            report.rows->listErrors([&](const kova::ErrorListing& row) {
                csv_->write(kova::cli::csvErrorRow(report.name, row));
                return true;
            });
        } catch (const kova::Fault& fault) {
            messages.say("Não foi possível gravar " + csv_->target().string() + ".\n" + kova::faultMessage(fault));
            csv_->abandon();
            csv_ = nullptr;
            worst_ = Verdict::Failed;
        }
    }
    Verdict worst() const { return worst_; }

private:
    void printSummary(const FileReport& report) const {
        if (!json_) {
            std::cout << report.name << "\t" << report.declarant.cnpj << "\t" << report.declarant.name << "\t"
                      << counted(report.records, "registro") << "\t" << counted(report.errors, "erro") << "\t"
                      << verdictText(report.verdict) << "\n";
            return;
        }
        const std::string file = "\"arquivo\":" + kova::cli::jsonString(report.name) + ",";
        std::cout << "{" << file << "\"CNPJ\":" << kova::cli::jsonString(report.declarant.cnpj)
                  << ",\"nome\":" << kova::cli::jsonString(report.declarant.name) << ",\"registros\":" << report.records
                  << ",\"erros\":" << report.errors
                  << ",\"resultado\":" << kova::cli::jsonString(verdictText(report.verdict)) << "}\n";
        if (report.rows) kova::cli::printJsonRows(*report.rows, std::cout, file);
    }

    bool json_;
    kova::AtomicFileWriter* csv_;  // nullptr once writing it failed
    std::mutex& stderrMutex_;
    Verdict worst_ = Verdict::Clean;
};

// Workers take the files in order; a worker waits while `window` files are finished or under way and not yet
// printed, which bounds the memory and the open temporary files whatever the number of files.
Verdict checkAll(const std::vector<fs::path>& files, unsigned jobs, const Settings& settings, ReportPrinter& printer) {
    const std::size_t window = 2 * static_cast<std::size_t>(jobs);
    std::mutex mutex;
    std::condition_variable changed;
    std::size_t nextToTake = 0;
    std::size_t nextToPrint = 0;
    std::map<std::size_t, FileReport> finished;

    const auto work = [&] {
        for (;;) {
            std::size_t index = 0;
            {
                std::unique_lock lock(mutex);
                changed.wait(lock, [&] { return nextToTake == files.size() || nextToTake < nextToPrint + window; });
                if (nextToTake == files.size()) return;
                index = nextToTake++;
            }
            FileReport report = checkFile(files[index], settings);
            {
                const std::lock_guard lock(mutex);
                finished.emplace(index, std::move(report));
            }
            changed.notify_all();
        }
    };
    std::vector<std::jthread> workers;
    for (unsigned i = 0; i < std::min<std::size_t>(jobs, files.size()); ++i) workers.emplace_back(work);

    for (std::size_t index = 0; index < files.size(); ++index) {
        FileReport report;
        {
            std::unique_lock lock(mutex);
            changed.wait(lock, [&] { return finished.contains(index); });
            report = std::move(finished.at(index));
            finished.erase(index);
            nextToPrint = index + 1;
        }
        changed.notify_all();
        printer.print(report);
    }
    return printer.worst();
}

ExitStatus validar(const kova::cli::Arguments& args) {
    unsigned jobs = std::max(1u, std::thread::hardware_concurrency());
    if (const auto text = args.value(kJobsOption)) {
        const auto given = parseJobs(*text);
        if (!given) return kova::cli::refuseUsage(kCommand, "Número de tarefas inválido: " + *text);
        jobs = *given;
    }
    std::mutex stderrMutex;
    std::vector<fs::path> files;
    for (const std::string& argument : args.operands()) {
        FileMessages messages(argument, stderrMutex);
        addFilesOf(argument, files, messages);
    }

    Settings settings;
    settings.keepRows = args.has(kJsonOption) || args.has(kCsvOption);
    settings.stderrMutex = &stderrMutex;
    std::error_code ec;
    settings.spoolFolder = fs::temp_directory_path(ec);
    if (ec) settings.spoolFolder = "/tmp";

    std::optional<kova::AtomicFileWriter> csv;
    if (const auto target = args.value(kCsvOption)) {
        try {
            csv.emplace(*target);
            csv->write(kova::cli::csvErrorHeading());
        } catch (const kova::Fault& fault) {
            std::cerr << "Não foi possível gravar " << *target << ".\n" << kova::faultMessage(fault) << "\n";
            return ExitStatus::Failure;
        }
    }
    ReportPrinter printer(args.has(kJsonOption), csv ? &*csv : nullptr, stderrMutex);
    Verdict worst = checkAll(files, jobs, settings, printer);
    if (csv && worst != Verdict::Failed) {
        try {
            csv->commit();
        } catch (const kova::Fault& fault) {
            std::cerr << "Não foi possível gravar " << csv->target().string() << ".\n"
                      << kova::faultMessage(fault) << "\n";
            worst = Verdict::Failed;
        }
    }
    return exitStatusOf(worst);
}

const kova::cli::RegisterCommand registration(kCommand, validar);

}  // namespace
