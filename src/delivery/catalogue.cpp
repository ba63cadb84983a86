#include "delivery/catalogue.h"

#include <sqlite3.h>

#include <algorithm>
#include <memory>
#include <system_error>
#include <tuple>
#include <vector>

#include "core/faults.h"
#include "core/field_checks.h"
#include "core/retry.h"
#include "core/sqlite_statement.h"
#include "core/text.h"
#include "delivery/delivery_records.h"
#include "delivery/header_reader.h"
#include "delivery/receipt_validation.h"

namespace kova {

namespace fs = std::filesystem;

namespace {

constexpr const char* kTitle = "Carga Declarações";
constexpr std::size_t kFolderNameLength = 36;

bool hasExtension(const fs::path& file, std::string_view extension) {
    const std::string name = file.filename().string();
    return name.size() > extension.size() && endsWithIgnoringCase(name, extension);
}

std::vector<fs::path> sortedEntries(const fs::path& folder,
                                    const std::function<bool(const fs::directory_entry&)>& keep) {
    std::vector<fs::path> found;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
        if (keep(*it)) found.push_back(it->path());
    std::sort(found.begin(), found.end());
    return found;
}

// The first file of the folder with the extension (".dec", ".rec"), in name order.
std::optional<fs::path> firstFileWith(const fs::path& folder, std::string_view extension) {
    std::vector<fs::path> files = sortedEntries(folder, [&](const fs::directory_entry& e) {
        std::error_code ec;
        return e.is_regular_file(ec) && hasExtension(e.path(), extension);
    });
    if (files.empty()) return std::nullopt;
    return files.front();
}

// The last 36 characters of the folder path against the file name without its last 4 characters.
bool nameMatchesFolder(const fs::path& folder, const fs::path& file) {
    const std::string folderText = folder.string();
    const std::string name = file.filename().string();
    if (name.size() < 4) return false;
    const std::string stem = name.substr(0, name.size() - 4);
    const std::string tail =
        folderText.size() > kFolderNameLength ? folderText.substr(folderText.size() - kFolderNameLength) : folderText;
    return equalIgnoringCase(tail, stem);
}

std::string slashedDate(std::string_view ddmmyyyy) {
    // A first line too short to hold the date (not a delivery header at all) gives blanks, not a fault.
    std::string digits(ddmmyyyy.substr(0, 8));
    digits.resize(8, ' ');
    return digits.substr(0, 2) + "/" + digits.substr(2, 2) + "/" + digits.substr(4, 4);
}

CatalogueRow rowOf(const std::string& headerLine, const fs::path& deliveryFile, const fs::path& folder,
                   const std::optional<fs::path>& receipt, CatalogueSelection selection) {
    const DeliveryHeaderView header(headerLine);
    CatalogueRow row;
    row.cnpj = cp1252ToUtf8(header.cnpj());
    row.year = yearText(cp1252ToUtf8(header.year()));
    row.situation = situationName(header.situation());
    row.eventDate = cp1252ToUtf8(slashedDate(header.eventDate()));
    row.name = cp1252ToUtf8(header.name());
    row.type = header.type() == "1" ? "Retificadora" : "Original";
    row.fileName = deliveryFile.string();
    row.folderName = folder.string();
    if (selection == CatalogueSelection::Receipt && receipt) row.receiptFileName = receipt->string();
    row.transmitted = receipt ? "S" : "N";
    row.periodStart = cp1252ToUtf8(header.periodStart());
    row.periodEnd = cp1252ToUtf8(header.periodEnd());
    return row;
}

class CatalogueLoad {
public:
    CatalogueLoad(CatalogueSelection selection, Prompts& prompts) : selection_(selection), prompts_(prompts) {
        retryText_.title = kTitle;
        retryText_.sentence = "Erro na carga das declarações na grade.";
        retryText_.question = "Deseja tentar novamente ?";
    }

    // Database steps: a fault asks whether to try again.
    bool attempt(const std::function<void()>& step) { return withRetry(prompts_, retryText_, step); }

    void tell(const std::string& text) {
        prompts_.show(exclamation(kTitle, text));
    }

    // The row of one declaration folder, or nothing when the selection leaves it out.
    std::optional<CatalogueRow> consider(const fs::path& folder) {
        const std::optional<fs::path> receipt = firstFileWith(folder, ".rec");
        const std::optional<fs::path> delivery = firstFileWith(folder, ".dec");
        if (!delivery) return std::nullopt;
        switch (selection_) {
            case CatalogueSelection::Printing:
                if (!checkName(folder, *delivery)) return std::nullopt;
                break;
            case CatalogueSelection::Transmission:
                if (receipt) return std::nullopt;
                break;
            case CatalogueSelection::Receipt:
                if (!receipt || !checkName(folder, *receipt)) return std::nullopt;
                break;
        }
        std::string headerLine;
        if (readDeliveryHeader(*delivery, headerLine) != 0) {
            std::string text = "Erro na recuperação dos registros das declarações.";
            if (selection_ != CatalogueSelection::Receipt) text += "\nArquivo: " + delivery->string();
            tell(text);
            return std::nullopt;
        }
        if (selection_ == CatalogueSelection::Receipt) {
            ReceiptData data;
            if (!validateReceipt(*delivery, prompts_, data)) return std::nullopt;
        }
        return rowOf(headerLine, *delivery, folder, receipt, selection_);
    }

private:
    bool checkName(const fs::path& folder, const fs::path& file) {
        if (nameMatchesFolder(folder, file)) return true;
        tell("Nome do arquivo de declaração incompatível com o nome da pasta.\nArquivo: " + file.string());
        return false;
    }

    CatalogueSelection selection_;
    Prompts& prompts_;
    RetryText retryText_;
};

constexpr const char* kInsertRow =
    "INSERT INTO IDENTIFICACAO (CNPJ, TRIMANO, SITUACAO, DATAEVENTO, NOME, Tipo, nomearquivo, NOMEDIRETORIO, "
    "NOMEARQUIVORECIBO, TRANSMITIDA, PERI, PERF) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12)";

}  // namespace

std::vector<CatalogueRow> scanCatalogue(const fs::path& programFolder, CatalogueSelection selection,
                                        Prompts& prompts) {
    std::error_code ec;
    // The rows carry full paths, whatever form the program folder was given in.
    fs::path program = fs::absolute(programFolder, ec);
    if (ec) program = programFolder;
    const fs::path generated = program.lexically_normal() / "GERADA";
    std::vector<CatalogueRow> rows;
    if (!fs::is_directory(generated, ec)) return rows;
    // Folders named without an extension, as the declaration folders are.
    const std::vector<fs::path> folders = sortedEntries(generated, [](const fs::directory_entry& e) {
        std::error_code typeError;
        return e.is_directory(typeError) && e.path().filename().string().find('.') == std::string::npos;
    });
    CatalogueLoad load(selection, prompts);
    for (const fs::path& folder : folders)
        if (std::optional<CatalogueRow> row = load.consider(folder)) rows.push_back(std::move(*row));
    std::stable_sort(rows.begin(), rows.end(), [](const CatalogueRow& a, const CatalogueRow& b) {
        return std::tie(a.cnpj, a.name, a.year, a.type) < std::tie(b.cnpj, b.name, b.year, b.type);
    });
    return rows;
}

int loadCatalogue(const fs::path& programFolder, WorkDatabase& database, CatalogueSelection selection,
                  Prompts& prompts, const WriteLockWait& lockWait) {
    const std::vector<CatalogueRow> rows = scanCatalogue(programFolder, selection, prompts);
    if (rows.empty()) return kCatalogueEmpty;
    CatalogueLoad load(selection, prompts);
    // Filling the table writes the work database: one writer at a time per program folder.
    std::unique_ptr<FolderWriteLock> lock;
    if (!load.attempt([&] { lock = FolderWriteLock::acquire(programFolder, lockWait); })) return kCatalogueEmpty;
    if (!lock) {
        load.tell(folderInUseMessage(programFolder));
        return kCatalogueFolderBusy;
    }
    // The table is filled anew for the purpose at hand, in one transaction.
    return load.attempt([&] {
               executeSql(database.handle(), "BEGIN");
               try {
                   executeSql(database.handle(), "DELETE FROM IDENTIFICACAO");
                   SqliteStatement insert(database.handle(), kInsertRow);
                   for (const CatalogueRow& row : rows) {
                       insert.bind(1, row.cnpj).bind(2, row.year).bind(3, row.situation).bind(4, row.eventDate);
                       insert.bind(5, row.name).bind(6, row.type).bind(7, row.fileName).bind(8, row.folderName);
                       insert.bind(9, row.receiptFileName).bind(10, row.transmitted).bind(11, row.periodStart);
                       insert.bind(12, row.periodEnd).run();
                   }
                   executeSql(database.handle(), "COMMIT");
               } catch (const Fault&) {
                   sqlite3_exec(database.handle(), "ROLLBACK", nullptr, nullptr, nullptr);
                   throw;
               }
           })
               ? kCatalogueListed
               : kCatalogueEmpty;
}

void readCatalogue(WorkDatabase& database, const std::function<void(const CatalogueRow&)>& visit) {
    // The columns named, in the order of the row, with the grids' ordering.
    SqliteStatement query(
        database.handle(),
        "SELECT CNPJ, TRIMANO, SITUACAO, DATAEVENTO, NOME, Tipo, nomearquivo, NOMEDIRETORIO, "
        "NOMEARQUIVORECIBO, TRANSMITIDA, PERI, PERF FROM IDENTIFICACAO ORDER BY CNPJ,NOME,TRIMANO,TIPO");
    while (query.step()) {
        CatalogueRow row;
        int c = 0;
        for (std::string* field : {&row.cnpj, &row.year, &row.situation, &row.eventDate, &row.name, &row.type,
                                   &row.fileName, &row.folderName})
            *field = query.text(c++);
        if (!query.isNull(c)) row.receiptFileName = query.text(c);
        ++c;
        for (std::string* field : {&row.transmitted, &row.periodStart, &row.periodEnd}) *field = query.text(c++);
        visit(row);
    }
}

}  // namespace kova
