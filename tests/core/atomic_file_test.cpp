// Safe file writing: the real name holds the old content or the complete new one, never a piece.
#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>

#include "core/atomic_file.h"
#include "core/faults.h"
#include "support/file_bytes.h"
#include "support/temp_folder.h"
#include "fault_number.h"

namespace kova {
namespace {

namespace fs = std::filesystem;
using testing_support::readBytes;
using testing_support::TempFolder;
using testing_support::writeBytes;
using Step = FaultInjectingFileOps::Step;
using core_tests::faultNumberOf;

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

TEST(AtomicFileWriter, CommitLeavesExactlyTheNewFileAndAnAbandonedOneLeavesNothing) {
    TempFolder folder;
    const fs::path target = folder / "SAIDA.DEC";
    writeBytes(target, "antigo");
    const std::string content = bigContent();
    {
        AtomicFileWriter writer(target);
        writeInChunks(writer, content);
        EXPECT_EQ(readBytes(target), "antigo");  // nothing shows under the real name before the commit
        EXPECT_EQ(writer.size(), content.size());
        writer.commit();
    }
    EXPECT_EQ(readBytes(target), content);
    EXPECT_EQ(entriesOf(folder.path()), std::vector<std::string>{"SAIDA.DEC"});

    fs::remove(target);
    {
        AtomicFileWriter dropped(target);
        dropped.write("meio arquivo");
    }
    AtomicFileWriter abandoned(target);
    abandoned.write("meio arquivo");
    abandoned.abandon();
    EXPECT_THROW(abandoned.write("x"), Fault);
    EXPECT_THROW(abandoned.commit(), Fault);
    EXPECT_TRUE(entriesOf(folder.path()).empty());
    EXPECT_EQ(faultNumberOf([&] { AtomicFileWriter writer(folder / "NAOEXISTE" / "SAIDA.DEC"); }), 76);
}

// A failure anywhere before the rename leaves the old file as it was and no temporary file behind; a failing sync
// of the folder is reported after the new file is in place.
TEST(AtomicFileWriter, AFailingStepIsReportedAndLeavesOneWholeFile) {
    const struct {
        Step step;
        int err;
        int number;
    } failures[] = {
        {Step::Write, ENOSPC, 61}, {Step::Open, EACCES, 70}, {Step::FileSync, EIO, 57},
        {Step::Close, EIO, 57},    {Step::Rename, EACCES, 70}, {Step::FolderSync, EIO, 57},
    };
    const std::string content = bigContent();
    for (const auto& failure : failures) {
        SCOPED_TRACE(static_cast<int>(failure.step));
        TempFolder folder;
        const fs::path target = folder / "SAIDA.DEC";
        writeBytes(target, "antigo");
        FaultInjectingFileOps ops;
        ops.failStep = failure.step;
        ops.failErrno = failure.err;
        ops.failAfterBytes = failure.step == Step::Write ? 100000 : 0;  // the disk fills midway
        EXPECT_EQ(faultNumberOf([&] {
                      AtomicFileWriter writer(target, ops);
                      writeInChunks(writer, content);
                      writer.commit();
                  }),
                  failure.number);
        EXPECT_EQ(readBytes(target), failure.step == Step::FolderSync ? content : "antigo");
        EXPECT_EQ(entriesOf(folder.path()), std::vector<std::string>{"SAIDA.DEC"});
    }
}

TEST(ReplaceFileAtomically, PutsTheNewFileInPlaceOrLeavesBothAsTheyWere) {
    TempFolder folder;
    writeBytes(folder / "A.MDB", "velho");
    EXPECT_EQ(faultNumberOf([&] { replaceFileAtomically(folder / "B.MDB", folder / "A.MDB"); }), 53);
    writeBytes(folder / "B.MDB", "novo");
    FaultInjectingFileOps ops;
    ops.failStep = Step::Rename;
    EXPECT_EQ(faultNumberOf([&] { replaceFileAtomically(folder / "B.MDB", folder / "A.MDB", ops); }), 57);
    EXPECT_EQ(readBytes(folder / "A.MDB") + readBytes(folder / "B.MDB"), "velhonovo");
    replaceFileAtomically(folder / "B.MDB", folder / "A.MDB");
    EXPECT_EQ(entriesOf(folder.path()), std::vector<std::string>{"A.MDB"});
    EXPECT_EQ(readBytes(folder / "A.MDB"), "novo");
}

}  // namespace
}  // namespace kova
