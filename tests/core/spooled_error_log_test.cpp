// The error log of kova-cli validar lists exactly what the work database lists for the same rows: validar's rows
// are importar's.
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "core/spooled_error_log.h"
#include "core/work_database.h"
#include "support/temp_folder.h"

namespace kova {
namespace {

using testing_support::TempFolder;

std::vector<std::string> listing(ErrorLog& log) {
    std::vector<std::string> rows;
    log.listErrors([&](const ErrorListing& r) {
        rows.push_back(r.description + "|" + r.complement + "|" + r.recordType + "|" + std::to_string(r.recordNumber) +
                       "|" + r.firstColumn + "|" + r.lastColumn + "|" + std::to_string(r.code) + "|" + r.cnpj + "|" +
                       r.name + "|" + r.value);
        return true;
    });
    return rows;
}

void recordTheSameRows(ErrorLog& log) {
    struct Row {
        const char* type;
        int code;
        std::optional<std::string> complement;
    };
    const Row kinds[] = {
        {"1", 20, std::string("2025 p/ Sit Especial 00")},
        {"T", 54, std::nullopt},
        {"5", 88, std::string()},
        {"é", 1, std::string("linha\n\"aspas\";\x01")},
    };
    log.beginBatch();
    // Enough rows to go out to the file in several blocks.
    for (int i = 0; i < 3000; ++i) {
        const Row& row = kinds[i % 4];
        log.recordRow({row.type, i, "0011", "0024", row.code, "11222333000181", "EMPRESA Ç", row.complement,
                       i % 3 == 0 ? "" : "VALOR \\x01 " + std::to_string(i)});
    }
    log.recordError("0", 0, "0000", "0000", 18, "00000000000000", std::string(40, ' '));
    log.commitBatch();
}

TEST(SpooledErrorLog, ListsWhatTheWorkDatabaseLists) {
    TempFolder folder;
    createDatabase(folder / kWorkDatabaseFile);
    WorkDatabase database(folder.path());
    database.open();
    recordTheSameRows(database);
    SpooledErrorLog spooled(folder.path());
    recordTheSameRows(spooled);

    EXPECT_EQ(spooled.rowCount(), 3001);
    EXPECT_EQ(listing(spooled), listing(database));
    int visited = 0;
    spooled.listErrors([&](const ErrorListing&) { return ++visited < 2; });
    EXPECT_EQ(visited, 2);

    spooled.emptyLog();
    spooled.recordError("2", 2, "0010", "0020", 76, "11222333000181", "EMPRESA");
    EXPECT_EQ(spooled.rowCount(), 1);
    EXPECT_EQ(listing(spooled).size(), 1u);
    EXPECT_FALSE(spooled.faulted());
    // Nothing of the log has a name in its folder.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 1);
}

}  // namespace
}  // namespace kova
