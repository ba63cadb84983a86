// The catalogue of generated declarations: the declaration folders under GERADA scanned for the declarations
// usable for the purpose at hand, listed as they are or kept in the work database's table IDENTIFICACAO for the
// screens' grids.
#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/folder_lock.h"
#include "core/ports.h"
#include "core/work_database.h"

namespace kova {

// Who asks, and so which folders are listed.
enum class CatalogueSelection : int {
    Printing = 0,      // a delivery file whose name matches its folder
    Transmission = 1,  // a delivery file and no receipt yet
    Receipt = 2,       // a receipt whose name matches its folder, a delivery file, and a receipt that validates
};

// One row of IDENTIFICACAO. Texts are UTF-8.
struct CatalogueRow {
    std::string cnpj;
    std::string year;
    std::string situation;
    std::string eventDate;  // dd/mm/yyyy
    std::string name;
    std::string type;  // "Original" / "Retificadora"
    std::string fileName;
    std::string folderName;
    std::optional<std::string> receiptFileName;  // the receipt selection only
    std::string transmitted;                       // "S" / "N"
    std::string periodStart;
    std::string periodEnd;
};

// The record source of the screens' grids.
inline constexpr const char* kCatalogueQuery = "SELECT * FROM IDENTIFICACAO ORDER BY CNPJ,NOME,TRIMANO,TIPO";

// What loadCatalogue returns.
inline constexpr int kCatalogueListed = 0;      // at least one row was listed
inline constexpr int kCatalogueEmpty = 1;       // nothing to list: no GERADA folder, no declaration folder, no row
inline constexpr int kCatalogueFolderBusy = 2;  // another process kept writing the program folder (told)

// The rows for the selection, read from the folders alone (nothing is written, no lock is taken), in the grids'
// order: CNPJ, name, year, type. Folders with a wrong name or an unreadable header are told through `prompts` and
// skipped.
std::vector<CatalogueRow> scanCatalogue(const std::filesystem::path& programFolder, CatalogueSelection selection,
                                        Prompts& prompts);

// Fills IDENTIFICACAO with scanCatalogue's rows (CARREGADECLARACOES), holding the program folder's write lock
// while it writes (waiting for another writer as `lockWait` says); database faults ask "Carga Declarações" with
// the retry question.
int loadCatalogue(const std::filesystem::path& programFolder, WorkDatabase& database, CatalogueSelection selection,
                  Prompts& prompts, const WriteLockWait& lockWait = {});

// The rows of IDENTIFICACAO in the grids' order. Throws Fault.
void readCatalogue(WorkDatabase& database, const std::function<void(const CatalogueRow&)>& visit);

}  // namespace kova
