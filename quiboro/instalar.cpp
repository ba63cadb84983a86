// quiboro-instalar: records where the stand-in Quiboro lives, as its installer does, by writing "qui-bor.ini"
// (section "Qui-Bor", keys "Versao" and "Path") into the Windows folder.
#include <filesystem>
#include <iostream>
#include <string>
#include <system_error>

#include "core/atomic_file.h"
#include "core/faults.h"
#include "delivery/transmission.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kVersion = "200702";

void usage(std::ostream& out) {
    out << "Uso: quiboro-instalar [--path PASTA] [--versao NUMERO]\n"
           "Grava \"qui-bor.ini\" na pasta do Windows ($KOVA_WINDIR, senão $XDG_CONFIG_HOME, senão ~/.config).\n"
           "  --path PASTA     pasta do Quiboro, onde está libtrama21.so (padrão: a pasta deste programa)\n"
           "  --versao NUMERO  versão instalada (padrão: "
        << kVersion << ")\n";
}

fs::path programFolder() {
    std::error_code ec;
    const fs::path self = fs::read_symlink("/proc/self/exe", ec);
    return ec ? fs::current_path() : self.parent_path();
}

}  // namespace

int main(int argc, char** argv) {
    fs::path quiboroFolder = programFolder();
    std::string version = kVersion;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            usage(std::cout);
            return 0;
        }
        if ((arg == "--path" || arg == "--versao") && i + 1 < argc) {
            if (arg == "--path")
                quiboroFolder = argv[++i];
            else
                version = argv[++i];
            continue;
        }
        std::cerr << "Opção inválida: " << arg << "\n";
        usage(std::cerr);
        return 2;
    }

    std::error_code ec;
    quiboroFolder = fs::absolute(quiboroFolder, ec).lexically_normal();
    if (ec || !fs::is_regular_file(quiboroFolder / std::string(kova::kQuiboroLibraryFile), ec)) {
        std::cerr << "A pasta " << quiboroFolder.string() << " não contém " << kova::kQuiboroLibraryFile << ".\n";
        return 2;
    }
    std::string folderText = quiboroFolder.string();
    if (folderText.size() > 1 && folderText.back() == '/') folderText.pop_back();

    const fs::path windows = kova::windowsFolder();
    const fs::path settings = windows / std::string(kova::kQuiboroSettingsFile);
    try {
        fs::create_directories(windows, ec);
        if (ec) throw kova::faultFromErrno(ec.value());
        kova::writeFileAtomically(settings, "[" + std::string(kova::kQuiboroSection) + "]\nVersao=" + version +
                                                "\nPath=" + folderText + "\n");
    } catch (const kova::Fault& fault) {
        std::cerr << "Não foi possível gravar " << settings.string() << ".\n" << kova::faultMessage(fault) << "\n";
        return 3;
    }
    std::cout << settings.string() << "\n";
    return 0;
}
