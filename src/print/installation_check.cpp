#include "print/installation_check.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <memory>
#include <system_error>

#include "core/faults.h"
#include "core/work_database.h"
#include "delivery/transmission.h"
#include "import/file_helpers.h"

namespace kova::print {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kRequiredDateFormat = "dd/MM/yyyy";
constexpr std::string_view kRequiredTimeFormat = "HH:mm:ss";
// The check-up must not hang on a folder another process writes; a short wait tells "in use" well enough.
constexpr std::chrono::milliseconds kDatabaseLockWait{1000};

// The items, in the order of the lines: the name scripts use and the subject a person reads.
struct Item {
    const char* key;
    const char* subject;
};
constexpr Item kFolderItem{"pasta", "Pasta do programa"};
constexpr Item kDatabaseItem{"banco", "Banco de dados de trabalho"};
constexpr Item kSpaceItem{"espaco", "Espaço livre"};
constexpr Item kQuiboroSettingsItem{"quiboro-configuracao", "Configuração do Quiboro"};
constexpr Item kQuiboroVersionItem{"quiboro-versao", "Versão do Quiboro"};
constexpr Item kQuiboroLibraryItem{"quiboro-biblioteca", "Biblioteca do Quiboro"};
constexpr Item kFontsItem{"fontes", "Fontes dos documentos"};
constexpr Item kPrinterItem{"impressora", "Impressora padrão"};
constexpr Item kFormatsItem{"formatos", "Formatos de data e hora"};

CheckLine ready(Item item, std::string detail) {
    return {item.key, item.subject, CheckState::Ready, std::move(detail), {}};
}
CheckLine notReady(Item item, std::string detail, std::string fix) {
    return {item.key, item.subject, CheckState::NotReady, std::move(detail), std::move(fix)};
}
CheckLine notChecked(Item item, std::string detail) {
    return {item.key, item.subject, CheckState::NotChecked, std::move(detail), {}};
}

// The fault on one line: its table text, else the platform's.
std::string faultText(const Fault& fault) {
    const std::string description = faultDescription(fault.number());
    return "erro " + std::to_string(fault.number()) + ": " + (description.empty() ? fault.platformText() : description);
}

std::string initCommand(const fs::path& folder) { return "kova-cli iniciar --pasta " + folder.string(); }

// "12.345": megabytes with the thousands grouped.
std::string megabytes(std::uintmax_t bytes) {
    std::string digits = std::to_string(bytes >> 20);
    for (std::ptrdiff_t at = static_cast<std::ptrdiff_t>(digits.size()) - 3; at > 0; at -= 3) digits.insert(at, ".");
    return digits + " MB";
}

// --- Program folder, work database, free space --------------------------------------------------------------------

struct FolderLines {
    CheckLine line;
    bool exists = false;
};

FolderLines checkFolder(const fs::path& folder, FileOps& ops) {
    const std::string other = "escolha outra pasta com --pasta ou $KOVA_PASTA.";
    std::error_code ec;
    const fs::file_status status = fs::status(folder, ec);
    if (!fs::exists(status))
        return {notReady(kFolderItem, folder.string() + " não existe.", "Crie-a com: " + initCommand(folder)), false};
    if (!fs::is_directory(status))
        return {notReady(kFolderItem, folder.string() + " não é uma pasta.", "Remova o arquivo ou " + other), false};

    // Only a real write tells: permissions, a read-only file system and the administrator's rights all decide.
    const fs::path probe = folder / (".kova-diagnostico." + std::to_string(::getpid()) + ".tmp");
    const int fd = ops.open(probe.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) {
        const int err = errno;
        const std::string fix = err == EROFS ? "A pasta está num disco somente leitura: " + other
                                             : "Dê ao usuário permissão de gravação na pasta (chmod u+w " +
                                                   folder.string() + ") ou " + other;
        return {notReady(kFolderItem,
                         folder.string() + " não aceita gravação (" + faultText(faultFromErrno(err)) + ").", fix),
                true};
    }
    ops.close(fd);
    ops.unlink(probe.c_str());
    return {ready(kFolderItem, folder.string() + " existe e aceita gravação."), true};
}

CheckLine checkDatabase(const fs::path& folder, bool folderExists) {
    if (!folderExists) return notChecked(kDatabaseItem, "depende da pasta do programa.");
    WorkDatabase database(folder);
    database.setLockWait(kDatabaseLockWait);
    try {
        database.open();
    } catch (const Fault& fault) {
        const std::string found = std::string(kWorkDatabaseFile) + " não pode ser usado (" + faultText(fault) + ").";
        switch (fault.number()) {
            case 53:
                return notReady(kDatabaseItem, std::string(kWorkDatabaseFile) + " não existe na pasta.",
                                "Crie-o com: " + initCommand(folder));
            case 70:
                return notReady(
                    kDatabaseItem, found,
                    "Dê ao usuário permissão de leitura e gravação em " + database.databasePath().string() + ".");
            case 75:
                return notReady(kDatabaseItem, found,
                                "O arquivo está num disco somente leitura ou inacessível: escolha outra pasta com "
                                "--pasta ou $KOVA_PASTA.");
            case 3046:
                return notReady(kDatabaseItem, found, "Aguarde o término da outra operação e repita o diagnóstico.");
            default:
                return notReady(kDatabaseItem, found,
                                "Renomeie o arquivo danificado (guarde-o) e crie um novo com: " + initCommand(folder));
        }
    }
    return ready(kDatabaseItem, std::string(kWorkDatabaseFile) + " abre e tem todas as tabelas.");
}

CheckLine checkFreeSpace(const fs::path& folder, bool folderExists, std::optional<std::uintmax_t> given) {
    if (!folderExists) return notChecked(kSpaceItem, "depende da pasta do programa.");
    std::error_code ec;
    const std::uintmax_t available = given ? *given : fs::space(folder, ec).available;
    if (ec)
        return notReady(kSpaceItem, "o espaço livre não pôde ser lido (" + faultText(faultFromErrno(ec.value())) + ").",
                        "Verifique se o disco da pasta está acessível.");
    if (available < kMinimumFreeSpace)
        return notReady(kSpaceItem,
                        "apenas " + megabytes(available) + " livres; o programa precisa de pelo menos " +
                            megabytes(kMinimumFreeSpace) + " para gerar uma declaração grande.",
                        "Libere espaço no disco ou escolha uma pasta em outro disco com --pasta ou $KOVA_PASTA.");
    return ready(kSpaceItem, megabytes(available) + " livres.");
}

// --- The transmission program -----------------------------------------------------------------------------------

constexpr const char* kReinstallQuiboro = "Reinstale o Quiboro (pacote kova-quiboro) e execute quiboro-instalar.";

// Loads the library by its absolute path and looks for the entry point; the loader's text when it cannot.
std::optional<std::string> libraryProblem(const fs::path& library) {
    void* handle = ::dlopen(library.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        const char* text = ::dlerror();
        return "não pôde ser carregada: " + std::string(text ? text : "");
    }
    std::unique_ptr<void, int (*)(void*)> closer(handle, &::dlclose);
    if (!::dlsym(handle, std::string(kQuiboroEntryPoint).c_str()))
        return "não tem a função " + std::string(kQuiboroEntryPoint) + ".";
    return std::nullopt;
}

void checkQuiboro(const fs::path& windows, std::vector<CheckLine>& lines) {
    const std::string settingsName(kQuiboroSettingsFile);

    std::optional<fs::path> settings;
    std::string version, path;
    std::optional<CheckLine> unreadable;
    try {
        settings = findFileIgnoringCase(windows, settingsName);
        if (settings) {
            version = readProfileString(*settings, kQuiboroSection, "Versao");
            path = readProfileString(*settings, kQuiboroSection, "Path");
        }
    } catch (const Fault& fault) {
        unreadable =
            notReady(kQuiboroSettingsItem,
                     settingsName + " não pôde ser lido em " + windows.string() + " (" + faultText(fault) + ").",
                     "Dê ao usuário permissão de leitura em " + windows.string() + ".");
        settings.reset();
    }
    if (!settings) {
        lines.push_back(unreadable ? *unreadable
                                   : notReady(kQuiboroSettingsItem,
                                              settingsName + " não foi encontrado em " + windows.string() + ".",
                                              "Instale o Quiboro (pacote kova-quiboro) e execute quiboro-instalar com "
                                              "o usuário que usa o programa; ele grava " +
                                                  settingsName + " nessa pasta."));
        const std::string dependent = "depende de " + settingsName + ".";
        lines.push_back(notChecked(kQuiboroVersionItem, dependent));
        lines.push_back(notChecked(kQuiboroLibraryItem, dependent));
        return;
    }
    lines.push_back(ready(kQuiboroSettingsItem, settings->string() + " encontrado."));

    const std::string minimum = std::to_string(kQuiboroMinimumVersion);
    const long long number = quiboroVersionNumber(version);
    if (number >= kQuiboroMinimumVersion) {
        lines.push_back(ready(kQuiboroVersionItem, "Versao=" + version + " (a mínima é " + minimum + ")."));
    } else {
        const std::string found =
            version.empty() ? settingsName + " não informa a versão (Versao)."
            : number == 0   ? "Versao=" + version + " não é um número."
                            : "Versao=" + version + " é anterior à " + minimum + ", que esta declaração exige.";
        lines.push_back(notReady(kQuiboroVersionItem, found,
                                 "Instale a versão atual do Quiboro e execute quiboro-instalar novamente."));
    }

    const std::string reinstall = kReinstallQuiboro;
    const std::string libraryName(kQuiboroLibraryFile);
    const fs::path folder(path);
    if (path.empty()) {
        lines.push_back(
            notReady(kQuiboroLibraryItem, settingsName + " não informa a pasta do Quiboro (Path).", reinstall));
        return;
    }
    if (!folder.is_absolute()) {
        lines.push_back(notReady(kQuiboroLibraryItem, "Path=" + path + " não é uma pasta absoluta.", reinstall));
        return;
    }
    std::optional<fs::path> library;
    try {
        library = findFileIgnoringCase(folder, libraryName);
    } catch (const Fault& fault) {
        lines.push_back(notReady(kQuiboroLibraryItem,
                                 "a pasta " + path + " não pôde ser lida (" + faultText(fault) + ").", reinstall));
        return;
    }
    if (!library) {
        lines.push_back(notReady(kQuiboroLibraryItem, libraryName + " não está em " + path + ".", reinstall));
        return;
    }
    if (auto problem = libraryProblem(*library)) {
        lines.push_back(notReady(kQuiboroLibraryItem, library->string() + " " + *problem, reinstall));
        return;
    }
    lines.push_back(ready(kQuiboroLibraryItem,
                          library->string() + " carrega e tem a função " + std::string(kQuiboroEntryPoint) + "."));
}

// --- Fonts, printer, regional formats
// ----------------------------------------------------------------------------------------------------

void checkMachine(const std::optional<MachineFacts>& facts, std::vector<CheckLine>& lines) {
    if (!facts) {
        const char* cannot = "esta compilação do programa não imprime.";
        lines.push_back(notChecked(kFontsItem, cannot));
        lines.push_back(notChecked(kPrinterItem, cannot));
        lines.push_back(notChecked(kFormatsItem, cannot));
        return;
    }

    const auto font =
        std::find_if(facts->fonts.begin(), facts->fonts.end(), [](const DocumentFont& f) { return f.usable; });
    if (font == facts->fonts.end()) {
        std::string names;
        for (const DocumentFont& f : facts->fonts) names += (names.empty() ? "" : ", ") + f.family;
        lines.push_back(notReady(kFontsItem, "nenhuma das fontes " + names + " está disponível.",
                                 "Instale o pacote fonts-liberation (fontes com as mesmas medidas)."));
    } else {
        lines.push_back(
            ready(kFontsItem, "os documentos usam " + font->family +
                                  (font->exact ? "." : ", desenhada com " + font->drawnWith + " (mesmas medidas).")));
    }

    if (!facts->defaultPrinter.empty())
        lines.push_back(ready(kPrinterItem, facts->defaultPrinter + "."));
    else if (facts->pdfOutput)
        lines.push_back(ready(kPrinterItem,
                              "nenhuma; os documentos podem ser gravados em PDF (Configurar Impressora, ou --pdf "
                              "no kova-cli)."));
    else
        lines.push_back(notReady(kPrinterItem, "nenhuma, e não há saída em PDF.",
                                 "Instale uma impressora e torne-a a padrão do sistema."));

    const std::string date = facts->shortDateFormat.value_or("(não encontrado)");
    const std::string time = facts->timeFormat.value_or("(não encontrado)");
    const std::string found = "data " + date + " e hora " + time + " (" + facts->localeName + ")";
    if (date.starts_with(kRequiredDateFormat) && time.starts_with(kRequiredTimeFormat))
        lines.push_back(ready(kFormatsItem, found + "."));
    else
        lines.push_back(notReady(kFormatsItem,
                                 found + "; o programa precisa de data " + std::string(kRequiredDateFormat) +
                                     " e hora " + std::string(kRequiredTimeFormat) + ".",
                                 "Use a configuração regional do Brasil, por exemplo LANG=pt_BR.UTF-8."));
}

}  // namespace

std::vector<CheckLine> checkInstallation(const InstallationCheckInput& input) {
    std::vector<CheckLine> lines;
    FileOps& ops = input.fileOps ? *input.fileOps : systemFileOps();
    // Named as a person types it: "/a/b", not "/a/b/".
    fs::path programFolder = input.programFolder.lexically_normal();
    if (programFolder.filename().empty() && programFolder.has_relative_path())
        programFolder = programFolder.parent_path();
    FolderLines folder = checkFolder(programFolder, ops);
    lines.push_back(std::move(folder.line));
    lines.push_back(checkDatabase(programFolder, folder.exists));
    lines.push_back(checkFreeSpace(programFolder, folder.exists, input.availableBytes));
    checkQuiboro(input.windowsFolder, lines);
    checkMachine(input.machine, lines);
    return lines;
}

bool allReady(const std::vector<CheckLine>& lines) {
    return std::none_of(lines.begin(), lines.end(),
                        [](const CheckLine& line) { return line.state == CheckState::NotReady; });
}

std::string_view stateName(CheckState state) {
    switch (state) {
        case CheckState::Ready: return "pronto";
        case CheckState::NotReady: return "corrigir";
        case CheckState::NotChecked: return "não verificado";
    }
    return "";
}

std::string checkupSummary(const std::vector<CheckLine>& lines) {
    const auto toFix = std::count_if(lines.begin(), lines.end(),
                                     [](const CheckLine& line) { return line.state == CheckState::NotReady; });
    if (toFix == 0) return "Tudo pronto.";
    return std::to_string(toFix) + (toFix == 1 ? " item a corrigir." : " itens a corrigir.");
}

std::string checkupText(const std::vector<CheckLine>& lines) {
    std::string text;
    for (const CheckLine& line : lines) {
        text.append("[").append(stateName(line.state)).append("] ");
        text.append(line.subject).append(": ").append(line.detail).append("\n");
        if (!line.fix.empty()) text.append("    Como corrigir: ").append(line.fix).append("\n");
    }
    return text.append(checkupSummary(lines)).append("\n");
}

}  // namespace kova::print
