// The declarant data read from the first record of the chosen file, the names under which the declaration is
// stored (its folder under GERADA and its delivery file) and the folder operations.
#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "core/declaration_names.h"
#include "core/ports.h"
#include "core/record_reader.h"
#include "import/import_events.h"

namespace kova {

// Header fields as record bytes (Windows-1252), exactly as read.
struct DeclarantData {
    std::string cnpj;        // 10-23
    std::string year;        // 24-27
    std::string startDate;   // 28-35 DDMMYYYY
    std::string endDate;     // 36-43 DDMMYYYY
    std::string type;        // 44: "0" original, "1" rectifying (the rectifying flag)
    std::string situation;   // 45-46
    std::string eventDate;   // 47-54 DDMMYYYY
    std::string uf;          // 55-56
    std::string name;        // 57-116

    static DeclarantData fromHeader(std::string_view record);
    // "RETIF" for type "1", "ORIGI" otherwise.
    std::string typeWord() const { return declarationTypeWord(type); }
    // For display: CNPJ and dates masked, situation by name, texts in UTF-8.
    DeclarantDisplay display() const;
    bool operator==(const DeclarantData&) const = default;
};

constexpr const char* kGeneratedFolderName = "GERADA";

// Names of one declaration under the program folder P (the rule and its sanitising: core/declaration_names.h):
//   P/GERADA/<CNPJ>-KOVALDF-<year>-<ORIGI|RETIF>-<situation>/<same>.DEC
struct DeclarationNames {
    std::filesystem::path generatedFolder;    // P/GERADA
    std::filesystem::path declarationFolder;  // P/GERADA/<base>
    std::string deliveryFileName;             // <base>.DEC
    std::filesystem::path deliveryFilePath;   // declarationFolder/<base>.DEC
};
std::string declarationBaseName(const DeclarantData& declarant);
DeclarationNames declarationNames(const std::filesystem::path& programFolder, const DeclarantData& declarant);
std::filesystem::path generatedFolderOf(const std::filesystem::path& programFolder);

// Opens a chosen file for reading; tests replace it to inject read failures. Empty: the file itself.
using SourceOpener = std::function<std::unique_ptr<ByteSource>(const std::filesystem::path&)>;
std::unique_ptr<ByteSource> openSource(const SourceOpener& opener, const std::filesystem::path& path);

// How reading the declarant data ended.
enum class DeclarantOutcome {
    Read,           // the data are in `declarant`
    NoPath,         // nothing chosen
    EmptyFile,      // size 0
    Missing,        // the file cannot be found
    WrongLength,    // the first record is not 142 bytes long
    WrongFileName,  // positions 117-123 are not "KOVALDF"
    ReadAbandoned,  // a read failure and the person answered No
};

// Reads the first record of `chosen` into `declarant` (emptied first, so an earlier file's data never name this
// one's folder) (DADOSDECLARANTE). Read failures ask "Dados declarante" whether to try again.
DeclarantOutcome readDeclarantData(const std::filesystem::path& chosen, Prompts& prompts, DeclarantData& declarant,
                                   const SourceOpener& opener = {});

// The one line the pending list shows when a file is refused at its first record; "" for the other outcomes.
std::string declarantRefusalText(DeclarantOutcome outcome);

// Makes sure P/GERADA exists (CRIAPASTAGERADA). A failure asks "Cria Gerada" (Yes repeats); false when it still
// does not exist.
bool ensureGeneratedFolder(const std::filesystem::path& programFolder, Prompts& prompts);

// Composes the names into `names`, creates the declaration folder (and GERADA) when missing (CRIAPASTADECLARACAO). A failure asks "Cria Pasta Arquivo" (Yes repeats); false when the folder cannot be had.
bool ensureDeclarationFolder(const std::filesystem::path& programFolder, const DeclarantData& declarant,
                         Prompts& prompts, DeclarationNames& names);

}  // namespace kova
