// The reader of Quiboro's settings file on any bytes: it never crashes, and a value is one trimmed line cut to
// what the settings buffer holds.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>

#include "delivery/transmission.h"
#include "fuzz_support.h"
#include "support/file_bytes.h"

namespace fs = std::filesystem;
using namespace kova;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const fs::path settings = fuzzing::workFolder() / std::string(kQuiboroSettingsFile);
    testing_support::writeBytes(settings, std::string(reinterpret_cast<const char*>(data), size));
    for (const char* key : {"Versao", "Path"}) {
        const std::string value = readProfileString(settings, kQuiboroSection, key);
        if (value.size() > 127) fuzzing::violated("a value longer than the settings buffer");
        if (value.find('\n') != std::string::npos) fuzzing::violated("a value running over two lines");
        quiboroVersionNumber(value);
    }
    return 0;
}
