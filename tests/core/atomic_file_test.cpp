// Safe file writing: the real name holds the old content or the complete new one, never a piece.
#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "core/atomic_file.h"
#include "core/faults.h"
#include "support/temp_folder.h"
#include "fault_number.h"

namespace kova {
namespace {

namespace fs = std::filesystem;
using testing_support::TempFolder;
using Step = FaultInjectingFileOps::Step;
using core_tests::faultNumberOf;

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void writePlain(const fs::path& path, const std::string& content) {
    std::ofstream(path, std::ios::binary) << content;
}

std::vector<std::string> entriesOf(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
    return names;
}

// A content bigger than the writer's buffer, in uneven chunks, so that buffered and direct writes both happen.
std::string bigContent() {
    std::string content;
    for (int i = 0; content.size() < 300000; ++i) content += "registro " + std::to_string(i) + "\r\n";
    return content;
}

void writeInChunks(AtomicFileWriter& writer, const std::string& content) {
    std::size_t chunks[] = {1, 142, 144, 70000, 3};
    std::size_t at = 0;
    for (int i = 0; at < content.size(); ++i) {
        std::size_t n = std::min(chunks[i % 5], content.size() - at);
        writer.write(std::string_view(content).substr(at, n));
        at += n;
    }
}

TEST(AtomicFileWriter, CommitLeavesExactlyTheNewFile) {
    TempFolder folder;
    const fs::path target = folder / "SAIDA.DEC";
    writePlain(target, "antigo");
    const std::string content = bigContent();
    {
        AtomicFileWriter writer(target);
        EXPECT_EQ(writer.temporaryPath().parent_path(), target.parent_path());
        writeInChunks(writer, content);
        EXPECT_EQ(readFile(target), "antigo");  // nothing shows under the real name before the commit
        EXPECT_EQ(writer.size(), content.size());
        writer.commit();
        EXPECT_TRUE(writer.committed());
    }
    EXPECT_EQ(readFile(target), content);
    EXPECT_EQ(entriesOf(folder.path()), std::vector<std::string>{"SAIDA.DEC"});
}

TEST(AtomicFileWriter, DestructionWithoutCommitAbandons) {
    TempFolder folder;
    const fs::path target = folder / "SAIDA.DEC";
    {
        AtomicFileWriter writer(target);
        writer.write("meio arquivo");
    }
    EXPECT_TRUE(entriesOf(folder.path()).empty());
}

TEST(AtomicFileWriter, MissingFolderIsFault76) {
    TempFolder folder;
    EXPECT_EQ(faultNumberOf([&] { AtomicFileWriter writer(folder / "NAOEXISTE" / "SAIDA.DEC"); }), 76);
}

struct InjectedFailure {
    const char* name;
    Step step;
    int err;
    int number;
};

class AtomicFileWriterFailure : public ::testing::TestWithParam<InjectedFailure> {};

// A failure anywhere before the rename leaves the old file as it was and no temporary file behind.
TEST_P(AtomicFileWriterFailure, KeepsTheOldFileAndCleansUp) {
    TempFolder folder;
    const fs::path target = folder / "SAIDA.DEC";
    writePlain(target, "antigo");
    FaultInjectingFileOps ops;
    ops.failStep = GetParam().step;
    ops.failErrno = GetParam().err;
    ops.failAfterBytes = GetParam().step == Step::Write ? 100000 : 0;

    EXPECT_EQ(faultNumberOf([&] {
                  AtomicFileWriter writer(target, ops);
                  writeInChunks(writer, bigContent());
                  writer.commit();
              }),
              GetParam().number);
    EXPECT_EQ(readFile(target), "antigo");
    EXPECT_EQ(entriesOf(folder.path()), std::vector<std::string>{"SAIDA.DEC"});
}

INSTANTIATE_TEST_SUITE_P(Steps, AtomicFileWriterFailure,
                         ::testing::Values(InjectedFailure{"DiskFullMidway", Step::Write, ENOSPC, 61},
                                           InjectedFailure{"Open", Step::Open, EACCES, 70},
                                           InjectedFailure{"FileSync", Step::FileSync, EIO, 57},
                                           InjectedFailure{"Close", Step::Close, EIO, 57},
                                           InjectedFailure{"Rename", Step::Rename, EACCES, 70}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(AtomicFileWriterFailure, FolderSyncFailureIsReportedAfterTheFileIsInPlace) {
    TempFolder folder;
    const fs::path target = folder / "SAIDA.DEC";
    writePlain(target, "antigo");
    FaultInjectingFileOps ops;
    ops.failStep = Step::FolderSync;
    AtomicFileWriter writer(target, ops);
    writer.write("novo");
    EXPECT_THROW(writer.commit(), Fault);
    EXPECT_EQ(readFile(target), "novo");
    EXPECT_EQ(entriesOf(folder.path()), std::vector<std::string>{"SAIDA.DEC"});
}

TEST(AtomicFileWriter, WriteAfterAbandonIsRefused) {
    TempFolder folder;
    AtomicFileWriter writer(folder / "SAIDA.DEC");
    writer.abandon();
    EXPECT_THROW(writer.write("x"), Fault);
    EXPECT_THROW(writer.commit(), Fault);
    EXPECT_TRUE(entriesOf(folder.path()).empty());
}

TEST(ReplaceFileAtomically, PutsTheNewFileInPlace) {
    TempFolder folder;
    writePlain(folder / "A.MDB", "velho");
    writePlain(folder / "B.MDB", "novo");
    replaceFileAtomically(folder / "B.MDB", folder / "A.MDB");
    EXPECT_EQ(readFile(folder / "A.MDB"), "novo");
    EXPECT_FALSE(fs::exists(folder / "B.MDB"));
}

TEST(ReplaceFileAtomically, AFailureLeavesTheTargetAsItWas) {
    TempFolder folder;
    writePlain(folder / "A.MDB", "velho");
    EXPECT_EQ(faultNumberOf([&] { replaceFileAtomically(folder / "B.MDB", folder / "A.MDB"); }), 53);
    writePlain(folder / "B.MDB", "novo");
    FaultInjectingFileOps ops;
    ops.failStep = Step::Rename;
    EXPECT_NE(faultNumberOf([&] { replaceFileAtomically(folder / "B.MDB", folder / "A.MDB", ops); }), 0);
    EXPECT_EQ(readFile(folder / "A.MDB"), "velho");
    EXPECT_EQ(readFile(folder / "B.MDB"), "novo");
}

TEST(FaultInjectingFileOps, FailsOnlyTheChosenCall) {
    TempFolder folder;
    FaultInjectingFileOps ops;
    ops.failStep = Step::Rename;
    ops.failOnCall = 2;
    writePlain(folder / "1", "a");
    writePlain(folder / "2", "b");
    EXPECT_EQ(ops.rename((folder / "1").c_str(), (folder / "x").c_str()), 0);
    EXPECT_EQ(ops.rename((folder / "2").c_str(), (folder / "y").c_str()), -1);
    EXPECT_EQ(errno, EIO);
}

}  // namespace
}  // namespace kova
