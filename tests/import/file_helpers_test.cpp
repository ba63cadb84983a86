#include <gtest/gtest.h>

#include <filesystem>

#include "support/temp_folder.h"
#include "import/file_helpers.h"
#include "import/import_fixtures.h"

namespace kova {
namespace {

namespace fs = std::filesystem;
using import_tests::writeFile;
using testing_support::TempFolder;

TEST(FileHelpers, ContaArquivosCountsFilesMatchingThePattern) {
    TempFolder folder;
    writeFile(folder / "A.DEC", "x");
    writeFile(folder / "b.rec", "x");
    writeFile(folder / "semponto", "x");
    writeFile(folder / ".A.DEC.123-0.tmp", "x");
    fs::create_directory(folder / "sub.dir");
    // Folders and hidden files are not counted, names without a dot are.
    EXPECT_EQ(countFiles(folder.path(), "*.*"), 3);
    EXPECT_EQ(countFiles(folder.path(), "*.dec"), 1);
    EXPECT_EQ(countFiles(folder.path(), "?.REC"), 1);
    EXPECT_EQ(countFiles(folder.path(), "*.txt"), 0);
    EXPECT_EQ(countFiles(folder / "nada", "*.*"), 0);
}

TEST(FileHelpers, ArquivoExisteOnlyForReadableFiles) {
    TempFolder folder;
    writeFile(folder / "a.txt", "x");
    EXPECT_TRUE(fileIsReadable(folder / "a.txt"));
    EXPECT_FALSE(fileIsReadable(folder / "nada.txt"));
    EXPECT_FALSE(fileIsReadable(folder.path()));
    EXPECT_FALSE(fileIsReadable(fs::path()));
}

}  // namespace
}  // namespace kova
