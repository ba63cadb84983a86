#include "delivery/header_reader.h"

#include <system_error>

#include "core/faults.h"
#include "core/record_reader.h"

namespace kova {

namespace {
constexpr std::size_t kFirstLineLimit = 64 * 1024;
constexpr int kReadPastEnd = 62;
}  // namespace

std::string readFirstLine(const std::filesystem::path& path) {
    return readFirstLine(*openFileSource(path));
}

std::string readFirstLine(ByteSource& source) {
    std::string line;
    char chunk[1024];
    bool any = false;
    while (line.size() < kFirstLineLimit) {
        const std::size_t n = source.read(chunk, sizeof chunk);
        if (n == 0) break;
        any = true;
        const std::size_t before = line.size();
        line.append(chunk, n);
        // A CR at the end of the previous chunk may pair with an LF at the start of this one.
        const std::size_t from = before > 0 ? before - 1 : 0;
        const std::size_t end = line.find("\r\n", from);
        if (end != std::string::npos) {
            line.resize(end);
            return line;
        }
    }
    if (!any) throw Fault(kReadPastEnd);
    if (line.size() > kFirstLineLimit) line.resize(kFirstLineLimit);
    return line;
}

int readDeliveryHeader(const std::filesystem::path& path, std::string& line) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) return 0;
    try {
        line = readFirstLine(path);
        return 0;
    } catch (const Fault&) {
        return kHeaderReadFailed;
    }
}

}  // namespace kova
