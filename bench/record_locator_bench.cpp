// Finds records of a declaration file by number as the record view of the import screen does: the first lookup of
// a record far in the file (read on to it), then lookups spread over the file. Prints the time of each kind.
// Usage: record_locator_bench DECLARATION.txt
#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "core/record_locator.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "uso: record_locator_bench DECLARACAO.txt\n");
        return 2;
    }
    using Clock = std::chrono::steady_clock;
    const auto ms = [](Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); };
    kova::RecordLocator locator{std::filesystem::path(argv[1])};

    std::int64_t last = 1;
    for (std::int64_t step = std::int64_t{1} << 26; step > 0; step /= 2)
        if (locator.record(last + step)) last += step;
    std::printf("registros: %lld\n", static_cast<long long>(last));

    kova::RecordLocator fresh{std::filesystem::path(argv[1])};
    auto start = Clock::now();
    const bool found = fresh.record(last).has_value();
    std::printf("primeira busca do último registro: %.1f ms (%s)\n", ms(Clock::now() - start), found ? "ok" : "falhou");

    constexpr int kLookups = 1000;
    start = Clock::now();
    std::int64_t number = 1;
    for (int i = 0; i < kLookups; ++i) {
        number = (number * 7919 + 104729) % last + 1;
        if (!fresh.record(number)) return EXIT_FAILURE;
    }
    std::printf("%d buscas espalhadas depois: %.3f ms cada\n", kLookups, ms(Clock::now() - start) / kLookups);
    return EXIT_SUCCESS;
}
