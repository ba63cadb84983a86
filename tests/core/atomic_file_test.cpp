// Safe file writing: the real name holds the old content or the complete new one, never a piece.
#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>

#include "core/atomic_file.h"
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

// Writes a content bigger than the writer's buffer in uneven chunks, so that buffered and direct writes both
// happen, and gives back what it wrote.
std::string writeBigContent(AtomicFileWriter& writer) {
    std::string content;
    for (int i = 0; content.size() < 300000; ++i) content += "registro " + std::to_string(i) + "\r\n";
    const std::size_t chunks[] = {1, 142, 144, 70000, 3};
    for (std::size_t i = 0, at = 0; at < content.size(); at += chunks[i % 5], ++i)
        writer.write(std::string_view(content).substr(at, chunks[i % 5]));
    return content;
}

TEST(AtomicFileWriter, CommitLeavesExactlyTheNewFileAndAnAbandonedOneLeavesNothing) {
    TempFolder folder;
    const fs::path target = folder / "SAIDA.DEC";
    writeBytes(target, "antigo");
    std::string content;
    {
        AtomicFileWriter writer(target);
        content = writeBigContent(writer);
        EXPECT_EQ(readBytes(target), "antigo");  // nothing shows under the real name before the commit
        writer.commit();
    }
    EXPECT_EQ(readBytes(target), content);
    EXPECT_EQ(entriesOf(folder.path()), std::vector<std::string>{"SAIDA.DEC"});

    fs::remove(target);
    {
        AtomicFileWriter dropped(target);
        dropped.write("meio arquivo");
    }
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
    for (const auto& failure : failures) {
        SCOPED_TRACE(static_cast<int>(failure.step));
        TempFolder folder;
        const fs::path target = folder / "SAIDA.DEC";
        writeBytes(target, "antigo");
        FaultInjectingFileOps ops;
        ops.failStep = failure.step;
        ops.failErrno = failure.err;
        ops.failAfterBytes = failure.step == Step::Write ? 100000 : 0;  // the disk fills midway
        std::string content;
        EXPECT_EQ(faultNumberOf([&] {
                      AtomicFileWriter writer(target, ops);
                      content = writeBigContent(writer);
                      writer.commit();
                  }),
                  failure.number);
        EXPECT_EQ(readBytes(target), failure.step == Step::FolderSync ? content : "antigo");
        EXPECT_EQ(entriesOf(folder.path()), std::vector<std::string>{"SAIDA.DEC"});
    }
}

TEST(ReplaceFileAtomically, PutsTheNewFileInPlaceOrLeavesBothAsTheyWereAndRemovalMayFindNone) {
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
    errno = EIO;  // whatever failed before, a removal that succeeds is no failure
    removeFileIfPresent(folder / "A.MDB");
    removeFileIfPresent(folder / "A.MDB");  // already gone
    EXPECT_TRUE(entriesOf(folder.path()).empty());
}

}  // namespace
}  // namespace kova
