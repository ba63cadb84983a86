// Records 1,000,000 error rows through recordError in one transaction, then reads them back through CONSULTAERROS
// and runs the start-up emptying and compaction. Prints the time of each phase and the peak resident memory.
//
//   error_log_bench [ROWS] [FOLDER]      (default 1000000 rows, in a new folder under the temporary folder)
#include <stdlib.h>
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>

#include "core/faults.h"
#include "core/ports.h"
#include "core/work_database.h"

namespace fs = std::filesystem;

namespace {

class PrintedPrompts : public kova::Prompts {
public:
    kova::Answer show(const kova::Message& message) override {
        std::fprintf(stderr, "%s: %s\n", message.title.c_str(), message.text.c_str());
        return kova::Answer::Ok;
    }
};

double cpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// Wall time and processor time: on a shared machine the second is the steadier figure.
class Phase {
public:
    explicit Phase(const char* name) : name_(name), start_(std::chrono::steady_clock::now()), cpu_(cpuSeconds()) {}
    ~Phase() {
        const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start_;
        std::printf("%-44s %8.3f s wall %8.3f s cpu\n", name_, elapsed.count(), cpuSeconds() - cpu_);
    }

private:
    const char* name_;
    std::chrono::steady_clock::time_point start_;
    double cpu_;
};

std::string fourDigits(int n) {
    char text[8];
    std::snprintf(text, sizeof text, "%04d", n % 10000);
    return text;
}

}  // namespace

int main(int argc, char** argv) {
    const long rows = argc > 1 ? std::atol(argv[1]) : 1000000;
    fs::path folder;
    if (argc > 2) {
        folder = argv[2];
        fs::create_directories(folder);
    } else {
        std::string pattern = (fs::temp_directory_path() / "kova-bench-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) return 3;
        folder = pattern;
    }
    try {
        const fs::path database = folder / kova::kWorkDatabaseFile;
        fs::remove(database);
        kova::createDatabase(database);
        kova::WorkDatabase db(folder);
        db.open();

        const std::string cnpj = "11222333000181";
        const std::string name = "EMPRESA DE TESTE DO REGISTRO DE ERROS" + std::string(23, ' ');
        const std::string types = "12345T";
        {
            Phase phase("GRAVAERRO, every row, one transaction");
            db.beginBatch();
            for (long i = 1; i <= rows; ++i) {
                const int start = static_cast<int>(i % 130) + 1;
                std::optional<std::string> complement;
                if (i % 50 == 0) complement = "2024 p/ Sit Especial 00";
                db.recordError(std::string(1, types[i % types.size()]), i, fourDigits(start), fourDigits(start + 12),
                             static_cast<int>(i % 97) + 1, cnpj, name, complement);
            }
            db.commitBatch();
        }
        long listed = 0;
        {
            Phase phase("CONSULTAERROS, every row");
            db.listErrors([&](const kova::ErrorListing&) {
                ++listed;
                return true;
            });
        }
        const auto fullSize = fs::file_size(database);
        db.close();
        PrintedPrompts prompts;
        bool opened = false;
        {
            Phase phase("ABREBANCO: empty the log, compact, reopen");
            opened = db.openForSession(prompts);
        }
        rusage usage{};
        getrusage(RUSAGE_SELF, &usage);
        std::printf("rows recorded %ld, listed %ld, left after ABREBANCO %lld\n", rows, listed,
                    opened ? static_cast<long long>(db.rowCount()) : -1LL);
        std::printf("database %.1f MiB with the rows, %.0f KiB compacted\n", fullSize / 1048576.0,
                    fs::file_size(database) / 1024.0);
        std::printf("peak resident memory %.1f MiB\n", usage.ru_maxrss / 1024.0);
        db.close();
        if (argc <= 2) fs::remove_all(folder);
        return opened && listed == rows ? 0 : 1;
    } catch (const kova::Fault& fault) {
        std::fprintf(stderr, "%s\n", kova::faultMessage(fault).c_str());
        return 3;
    }
}
