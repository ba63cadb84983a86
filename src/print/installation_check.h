// checkInstallation: the check-up of an installation (kova-cli diagnostico and the desktop program's "Ajuda"
// menu). Each line says, in Portuguese, what is ready and what is not, with the fix. It reads and never changes
// anything, apart from a probe file it creates and removes at once to learn whether the folder takes writes.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/atomic_file.h"

namespace kova::print {

enum class CheckState {
    Ready,
    NotReady,
    NotChecked,  // depends on a line that is not ready, or this program cannot tell (it does not print)
};

struct CheckLine {
    std::string key;      // stable name for scripts: "pasta", "banco", "espaco", "quiboro-configuracao", ...
    std::string subject;  // "Pasta do programa"
    CheckState state = CheckState::NotChecked;
    std::string detail;  // what was found
    std::string fix;     // how to make it ready; empty unless NotReady
};

// One of the fonts the documents are printed in, as this machine draws it.
struct DocumentFont {
    std::string family;
    bool usable = false;
    bool exact = false;     // the family itself is installed, not a substitute
    std::string drawnWith;  // the family the text is really drawn with
};

// What the machine's display and printing services tell (fonts, printer, regional formats), gathered through Qt.
struct MachineFacts {
    std::vector<DocumentFont> fonts;  // in the order the documents prefer them
    std::string defaultPrinter;       // empty when the system has none
    bool pdfOutput = false;
    std::optional<std::string> shortDateFormat;  // nullopt when the setting cannot be read
    std::optional<std::string> timeFormat;
    std::string localeName;  // "pt_BR"
};

// Below this, a large declaration may not fit with its delivery file and the work file of the generation.
inline constexpr std::uintmax_t kMinimumFreeSpace = std::uintmax_t{200} << 20;

struct InstallationCheckInput {
    std::filesystem::path programFolder;
    std::filesystem::path windowsFolder;           // where "qui-bor.ini" is looked for
    std::optional<MachineFacts> machine;           // nullopt: this program has no display or printing side
    std::optional<std::uintmax_t> availableBytes;  // nullopt: asked of the file system
    FileOps* fileOps = nullptr;                    // the write probe's calls; the system's when null
};

// Every line, in a fixed order: program folder, work database, free space, Quiboro's configuration, version and
// library, the documents' fonts, the default printer, the date and time formats. Never throws a Fault: a fault
// becomes the line's detail.
std::vector<CheckLine> checkInstallation(const InstallationCheckInput& input);

// True when no line is NotReady.
bool allReady(const std::vector<CheckLine>& lines);

// "pronto", "corrigir", "não verificado".
std::string_view stateName(CheckState state);

// "Tudo pronto." or "N itens a corrigir."
std::string checkupSummary(const std::vector<CheckLine>& lines);

// The lines for a terminal: "[pronto] Assunto: detalhe", with "    Como corrigir: ..." under a line to fix, and the
// summary at the end.
std::string checkupText(const std::vector<CheckLine>& lines);

}  // namespace kova::print
