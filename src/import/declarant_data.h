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
#include "import/import_view.h"

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
    // The labels of the declarant frame (CNPJ and dates masked, situation by name, texts in UTF-8).
    DeclarantDisplay labels() const;
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
    Read,           // labels shown, import button on
    NoPath,         // nothing chosen
    EmptyFile,      // size 0 (the caller shows the empty-file line)
    Missing,        // the file cannot be found: the import screen's answer field becomes "1"
    WrongLength,    // "O tamanho do primeiro registro está incorreto." shown in the pending list
    WrongFileName,  // "Nome do Arquivo diferente de KOVALDF." shown in the pending list
    ReadAbandoned,  // a read failure and the person answered No
};

// readDeclarantData: empties the labels and switches "&Ok" off; reads the first record of `chosen`; on success
// keeps the data in `declarant`, shows the labels and switches "&Ok" on. Read failures ask "Dados declarante".
DeclarantOutcome readDeclarantData(const std::filesystem::path& chosen, ImportView& view, Prompts& prompts,
                                 DeclarantData& declarant, const SourceOpener& opener = {});

// clearDeclarant: empties the eight declarant labels.
void clearDeclarant(ImportView& view);

// showNotice: the text becomes the only line of the pending list; LblQtErros shows "0".
void showNotice(ImportView& view, const std::string& text);

// ensureGeneratedFolder: makes sure P/GERADA exists. A failure asks "Cria Gerada" (Yes repeats); false when it
// still does not exist.
bool ensureGeneratedFolder(const std::filesystem::path& programFolder, Prompts& prompts);

// ensureDeclarationFolder: composes the names into `names`, creates the declaration folder (and GERADA) when
// missing. A failure asks "Cria Pasta Arquivo" (Yes repeats); false when the folder cannot be had.
bool ensureDeclarationFolder(const std::filesystem::path& programFolder, const DeclarantData& declarant,
                         Prompts& prompts, DeclarationNames& names);

}  // namespace kova
