#include <gtest/gtest.h>

#include <filesystem>

#include "import/file_helpers.h"
#include "import/import_fakes.h"
#include "support/temp_folder.h"

namespace kova {
namespace {

namespace fs = std::filesystem;
using import_tests::writeFile;

// Folders and hidden files (a write's temporary) are not counted, names without a dot are.
TEST(FileHelpers, CountsAndReadsOnlyPlainFiles) {
    testing_support::TempFolder folder;
    for (const char* name : {"A.DEC", "b.rec", "semponto", ".A.DEC.123-0.tmp"}) writeFile(folder / name, "x");
    fs::create_directory(folder / "sub.dir");
    EXPECT_EQ(countFiles(folder.path(), "*.*"), 3);
    EXPECT_EQ(countFiles(folder.path(), "*.dec"), 1);
    EXPECT_EQ(countFiles(folder.path(), "?.REC"), 1);
    EXPECT_EQ(countFiles(folder / "nada", "*.*"), 0);
    EXPECT_TRUE(fileIsReadable(folder / "A.DEC"));
    EXPECT_FALSE(fileIsReadable(folder / "nada.txt"));
    EXPECT_FALSE(fileIsReadable(folder.path()));
    EXPECT_FALSE(fileIsReadable(fs::path()));
}

}  // namespace
}  // namespace kova
