#include "import/file_helpers.h"

#include <cerrno>
#include <fstream>

#include "core/text.h"

namespace kova {

namespace {

// "*" any run, "?" one character; case-insensitive as file names are matched.
bool wildcardMatch(std::string_view pattern, std::string_view name) {
    std::size_t p = 0, n = 0, starP = std::string_view::npos, starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == '?' || lowerAscii(pattern[p]) == lowerAscii(name[n]))) {
            ++p;
            ++n;
        } else if (p < pattern.size() && pattern[p] == '*') {
            starP = p++;
            starN = n;
        } else if (starP != std::string_view::npos) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') ++p;
    return p == pattern.size();
}

}  // namespace

std::int32_t countFiles(const std::filesystem::path& folder, const std::string& pattern) {
    namespace fs = std::filesystem;
    std::error_code ec;
    fs::directory_iterator it(folder, ec);
    if (ec) return 0;
    std::int32_t count = 0;
    // "*.*" also matches names without a dot, as the folder listing of the platform does.
    const bool everything = pattern == "*.*" || pattern == "*";
    for (; it != fs::directory_iterator(); it.increment(ec)) {
        if (ec) break;
        std::error_code typeError;
        if (!it->is_regular_file(typeError)) continue;
        // Hidden files are not listed, as the platform's listing of normal files leaves them out; among them the
        // temporary file of a delivery file whose writing was cut short.
        if (it->path().filename().string().starts_with('.')) continue;
        if (everything || wildcardMatch(pattern, it->path().filename().string())) ++count;
    }
    return count;
}

std::optional<std::filesystem::path> findFileIgnoringCase(const std::filesystem::path& folder, std::string_view name) {
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path exact = folder / std::string(name);
    if (fs::is_regular_file(exact, ec)) return exact;
    if (!fs::is_directory(folder, ec)) return std::nullopt;
    fs::directory_iterator it(folder, ec);
    if (ec) throw faultFromErrorCode(ec);
    for (; it != fs::directory_iterator(); it.increment(ec)) {
        if (equalIgnoringCase(it->path().filename().string(), name) && fs::is_regular_file(it->path(), ec))
            return it->path();
    }
    if (ec) throw faultFromErrorCode(ec);
    return std::nullopt;
}

Fault faultFromErrorCode(const std::error_code& ec) {
    // std::filesystem reports errno values in the generic or system category on the platforms we build for.
    return faultFromErrno(ec.value() != 0 ? ec.value() : EIO);
}

bool fileIsReadable(const std::filesystem::path& path) {
    std::error_code ec;
    // Only regular files: opening a folder "succeeds" on some systems and a pipe would block.
    if (path.empty() || !std::filesystem::is_regular_file(path, ec)) return false;
    std::ifstream in(path, std::ios::binary);
    return in.is_open();
}

}  // namespace kova
