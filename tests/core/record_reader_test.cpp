#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "core/faults.h"
#include "core/record_locator.h"
#include "core/record_reader.h"
#include "support/declaration_builder.h"
#include "support/temp_folder.h"
#include "fault_number.h"

namespace kova {
namespace {

namespace fs = std::filesystem;
using core_tests::faultNumberOf;

// An in-memory file that hands out at most `chunk` bytes per read (so block boundaries fall anywhere) and fails
// with fault 57 once `failAfter` bytes have been delivered, until it is repaired.
class MemorySource : public ByteSource {
public:
    MemorySource(std::string bytes, std::size_t chunk, std::size_t failAfter = SIZE_MAX)
        : bytes_(std::move(bytes)), chunk_(chunk), failAfter_(failAfter) {}

    std::size_t read(char* buffer, std::size_t n) override {
        if (delivered_ >= failAfter_) throw Fault(57);
        n = std::min({n, chunk_, bytes_.size() - std::min(pos_, bytes_.size()), failAfter_ - delivered_});
        std::memcpy(buffer, bytes_.data() + pos_, n);
        pos_ += n;
        delivered_ += n;
        return n;
    }
    void seek(std::uint64_t offset) override { pos_ = static_cast<std::size_t>(offset); }
    std::uint64_t size() override { return bytes_.size(); }

    void repair() { failAfter_ = SIZE_MAX; }

private:
    std::string bytes_;
    std::size_t chunk_;
    std::size_t failAfter_;
    std::size_t pos_ = 0;
    std::size_t delivered_ = 0;
};

struct ReadResult {
    std::vector<std::string> records;
    bool lastEndedWithCrLf = true;
};

ReadResult readAll(RecordReader& reader) {
    ReadResult result;
    std::string record;
    while (reader.next(record)) {
        result.records.push_back(record);
        result.lastEndedWithCrLf = reader.lastEndedWithCrLf();
    }
    EXPECT_FALSE(reader.next(record)) << "the end stays the end";
    return result;
}

struct SplitCase {
    const char* name;
    std::string bytes;
    std::vector<std::string> records;
    bool lastEndedWithCrLf;
};

const std::vector<SplitCase>& splitCases() {
    static const std::vector<SplitCase> cases = {
        {"empty file", "", {}, true},
        {"one record", "ABC\r\n", {"ABC"}, true},
        {"two records", "ABC\r\nDE\r\n", {"ABC", "DE"}, true},
        {"last without CR LF", "ABC\r\nDE", {"ABC", "DE"}, false},
        {"only CR LF", "\r\n", {""}, true},
        {"empty records", "\r\n\r\nX\r\n", {"", "", "X"}, true},
        {"lone CR inside", "A\rB\r\n", {"A\rB"}, true},
        {"lone LF inside", "A\nB\r\n", {"A\nB"}, true},
        {"LF CR is not an end", "A\n\rB\r\n", {"A\n\rB"}, true},
        {"CR CR LF", "A\r\r\nB", {"A\r", "B"}, false},
        {"trailing lone CR", "ABC\r", {"ABC\r"}, false},
        {"trailing lone LF", "ABC\r\n\n", {"ABC", "\n"}, false},
        {"NUL bytes", std::string("A\0B\r\n\0\r\n", 8), {std::string("A\0B", 3), std::string(1, '\0')}, true},
        {"high bytes", "\xC7\xFF\r\n", {"\xC7\xFF"}, true},
    };
    return cases;
}

class RecordSplitting : public ::testing::TestWithParam<std::size_t> {};

TEST_P(RecordSplitting, RecordsAreTheBytesUpToCrLfWhereverBlocksEnd) {
    for (const auto& c : splitCases()) {
        SCOPED_TRACE(c.name);
        RecordReader reader(std::make_unique<MemorySource>(c.bytes, GetParam()));
        const ReadResult result = readAll(reader);
        EXPECT_EQ(result.records, c.records);
        if (!c.records.empty()) {
            EXPECT_EQ(result.lastEndedWithCrLf, c.lastEndedWithCrLf);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(ReadSizes, RecordSplitting, ::testing::Values(1, 2, 3, 7, 1 << 20),
                         [](const auto& info) { return "blocks_of_" + std::to_string(info.param) + "_bytes"; });

// Real files through openFileSource: the reader's own 1 MiB blocks.
class RecordReaderFile : public ::testing::Test {
protected:
    fs::path write(const std::string& bytes) {
        const fs::path path = dir_ / "DECL.TXT";
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }

    testing_support::TempFolder dir_;
};

TEST_F(RecordReaderFile, CrLfSplitAcrossTheBlockBoundary) {
    constexpr std::size_t kBlock = 1 << 20;
    // The first record's CR is the last byte of the first block, its LF the first of the second.
    for (std::size_t firstLength : {kBlock - 1, kBlock - 2, kBlock}) {
        SCOPED_TRACE(firstLength);
        const std::string first(firstLength, 'a');
        RecordReader reader(write(first + "\r\nB\r\n\rC\r\n"));
        const ReadResult result = readAll(reader);
        ASSERT_EQ(result.records.size(), 3u);
        EXPECT_EQ(result.records[0], first);
        EXPECT_EQ(result.records[1], "B");
        EXPECT_EQ(result.records[2], "\rC");
    }
    // A lone CR at the end of a block followed by an ordinary byte stays in the record.
    const std::string head(kBlock - 1, 'x');
    RecordReader reader(write(head + "\rY\r\n"));
    EXPECT_EQ(readAll(reader).records, std::vector<std::string>{head + "\rY"});
}

TEST_F(RecordReaderFile, HugeLineIsCutButTheNextRecordIsIntact) {
    std::string huge(5 * (1 << 20) + 17, 'H');
    huge[3 << 20] = '\r';  // a lone CR deep inside
    RecordReader reader(write(huge + "\r\n" + "NEXT\r\n" + huge));
    const ReadResult result = readAll(reader);
    ASSERT_EQ(result.records.size(), 3u);
    // Only the start of an overlong line is kept: its length is wrong anyway, and memory stays bounded.
    EXPECT_EQ(result.records[0], huge.substr(0, 4 << 20));
    EXPECT_EQ(result.records[1], "NEXT");
    EXPECT_EQ(result.records[2].size(), 4u << 20);
    EXPECT_FALSE(result.lastEndedWithCrLf);
}

TEST_F(RecordReaderFile, DeclarationRecordsComeBackAsBuilt) {
    fixtures::DeclarationBuilder dec;
    dec.type3(3).type4F(2).type4J(2).type5(40);
    RecordReader reader(write(dec.str()));
    EXPECT_EQ(reader.size(), dec.str().size());
    EXPECT_EQ(reader.byteAt(143), '\r');
    EXPECT_EQ(reader.byteAt(144), '\n');
    EXPECT_EQ(readAll(reader).records, dec.records());
    reader.rewind();
    EXPECT_EQ(readAll(reader).records, dec.records());
}

TEST_F(RecordReaderFile, FilesThatCannotBeOpenedAreFaults) {
    EXPECT_EQ(faultNumberOf([&] { openFileSource(dir_ / "NAOEXISTE.TXT"); }), 53);
    EXPECT_EQ(faultNumberOf([&] { RecordReader reader(dir_ / "NOPASTA" / "X.TXT"); }), 76);
    EXPECT_NE(faultNumberOf([&] { openFileSource(dir_.path()); }), 0);  // a folder is not a file
}

TEST_F(RecordReaderFile, UnreadableFileIsPermissionDenied) {
    if (::geteuid() == 0) GTEST_SKIP() << "permissions do not bind the superuser";
    const fs::path path = write("X\r\n");
    fs::permissions(path, fs::perms::none);
    EXPECT_EQ(faultNumberOf([&] { openFileSource(path); }), 70);
}

TEST(RecordReaderFailure, ReadFailureAfterNBytesThrowsFault) {
    const std::string bytes = fixtures::cleanDeclaration(2, 0, 3);
    for (std::size_t failAfter : {std::size_t{0}, std::size_t{10}, std::size_t{144}, std::size_t{300}}) {
        SCOPED_TRACE(failAfter);
        RecordReader reader(std::make_unique<MemorySource>(bytes, 64, failAfter));
        std::string record;
        std::size_t complete = 0;
        EXPECT_EQ(faultNumberOf([&] { while (reader.next(record)) ++complete; }), 57);
        EXPECT_EQ(complete, failAfter / 144);  // only whole records were handed out
    }
}

TEST(RecordReaderFailure, RetryAfterAFailureReadsTheInterruptedRecordWhole) {
    fixtures::DeclarationBuilder dec;
    dec.type3(2).type5(2);
    auto source = std::make_unique<MemorySource>(dec.str(), 50, 200);  // fails inside record 2
    MemorySource& raw = *source;
    RecordReader reader(std::move(source));
    std::vector<std::string> records;
    std::string record;
    ASSERT_TRUE(reader.next(record));
    records.push_back(record);
    EXPECT_THROW(reader.next(record), Fault);
    raw.repair();  // the user answered "retry"
    while (reader.next(record)) records.push_back(record);
    EXPECT_EQ(records, dec.records());
}

TEST(RecordReaderByteAt, ReadsAnyByteAndKeepsThePosition) {
    const std::string bytes = "ABC\r\nDEFGH\r\nIJ";
    RecordReader reader(std::make_unique<MemorySource>(bytes, 2));
    std::string record;
    ASSERT_TRUE(reader.next(record));
    EXPECT_EQ(record, "ABC");
    EXPECT_EQ(reader.byteAt(1), 'A');
    EXPECT_EQ(reader.byteAt(14), 'J');
    EXPECT_EQ(reader.byteAt(15), -1);
    EXPECT_EQ(reader.byteAt(0), -1);
    EXPECT_EQ(reader.byteAt(4), '\r');
    ASSERT_TRUE(reader.next(record));
    EXPECT_EQ(record, "DEFGH");
    ASSERT_TRUE(reader.next(record));
    EXPECT_EQ(record, "IJ");
    EXPECT_FALSE(reader.next(record));

    RecordReader high(std::make_unique<MemorySource>("\xFF", 1));
    EXPECT_EQ(high.byteAt(1), 0xFF);
}

// Records found by number, forwards and backwards, across the places the locator notes; some lines lack a
// record's length, so that the offsets are not a multiple of it.
TEST(RecordLocator, FindsEachRecordByItsNumber) {
    std::string file;
    const std::int64_t count = 3 * RecordLocator::kStride + 5;
    for (std::int64_t n = 1; n <= count; ++n) file += "R" + std::to_string(n) + std::string(n % 7, '.') + "\r\n";
    RecordLocator locator(std::make_unique<MemorySource>(file, 1000));
    for (const std::int64_t n : {std::int64_t{1}, count, RecordLocator::kStride, RecordLocator::kStride + 1,
                                 std::int64_t{2}, 2 * RecordLocator::kStride + 3, count - 1}) {
        const auto record = locator.record(n);
        ASSERT_TRUE(record.has_value()) << n;
        EXPECT_EQ(*record, "R" + std::to_string(n) + std::string(n % 7, '.'));
    }
    EXPECT_FALSE(locator.record(count + 1).has_value());
    EXPECT_FALSE(locator.record(0).has_value());
    EXPECT_EQ(locator.record(5), "R5.....");
}

}  // namespace
}  // namespace kova
