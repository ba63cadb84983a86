#include "transmission_fixtures.h"

namespace kova::testing {

void writeQuiboroSettings(const fs::path& windowsFolder, const std::string& version, const std::string& path) {
    fs::create_directories(windowsFolder);
    writeBytes(windowsFolder / "qui-bor.ini", "[Qui-Bor]\r\nVersao=" + version + "\r\nPath=" + path + "\r\n");
}

}  // namespace kova::testing
