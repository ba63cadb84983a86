// The baseline of the import, generation and integrity benchmarks: one plain pass over a file, reading it in
// blocks and taking its CRC-32. Usage: read_crc_bench FILE
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <vector>

#include "delivery/seals.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "Uso: read_crc_bench ARQUIVO\n");
        return 2;
    }
    const auto start = std::chrono::steady_clock::now();
    std::FILE* file = std::fopen(argv[1], "rb");
    if (file == nullptr) {
        std::perror(argv[1]);
        return 1;
    }
    std::vector<char> block(1 << 20);
    std::uint32_t crc = 0;
    std::uint64_t bytes = 0;
    for (std::size_t n; (n = std::fread(block.data(), 1, block.size(), file)) > 0;) {
        crc = kova::crc32(std::string_view(block.data(), n), crc);
        bytes += n;
    }
    std::fclose(file);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("bytes=%llu crc32=%010u seconds=%.3f MBps=%.1f peak_rss_kib=%ld\n",
                static_cast<unsigned long long>(bytes), crc, seconds, bytes / 1e6 / seconds, usage.ru_maxrss);
    return 0;
}
