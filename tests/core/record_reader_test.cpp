#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

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
// with fault 57 once `failAfter` bytes have been delivered.
struct MemorySource : ByteSource {
    MemorySource(std::string bytes, std::size_t chunk, std::size_t failAfter = SIZE_MAX)
        : bytes(std::move(bytes)), chunk(chunk), failAfter(failAfter) {}
    std::size_t read(char* buffer, std::size_t n) override {
        if (delivered >= failAfter) throw Fault(57);
        n = std::min({n, chunk, bytes.size() - std::min(pos, bytes.size()), failAfter - delivered});
        std::memcpy(buffer, bytes.data() + pos, n);
        pos += n;
        delivered += n;
        return n;
    }
    void seek(std::uint64_t offset) override { pos = static_cast<std::size_t>(offset); }
    std::uint64_t size() override { return bytes.size(); }

    std::string bytes;
    std::size_t chunk;
    std::size_t failAfter;
    std::size_t pos = 0;
    std::size_t delivered = 0;
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

TEST(RecordReader, RecordsAreTheBytesUpToCrLfWhereverBlocksEnd) {
    const struct {
        std::string bytes;
        std::vector<std::string> records;
        bool lastEndedWithCrLf;
    } cases[] = {
        {"", {}, true},
        {"ABC\r\nDE\r\n", {"ABC", "DE"}, true},
        {"ABC\r\nDE", {"ABC", "DE"}, false},
        {"\r\n\r\nX\r\n", {"", "", "X"}, true},
        {"A\rB\nC\n\rD\r\n", {"A\rB\nC\n\rD"}, true},  // a lone CR or LF, or LF CR, is no end
        {"A\r\r\nB\r", {"A\r", "B\r"}, false},
        {std::string("A\0B\r\n\xC7\xFF\r\n", 9), {std::string("A\0B", 3), "\xC7\xFF"}, true},
    };
    for (const std::size_t blockSize : {1, 2, 3, 7, 1 << 20}) {
        for (const auto& c : cases) {
            SCOPED_TRACE(testing::Message() << blockSize << " " << c.bytes);
            RecordReader reader(std::make_unique<MemorySource>(c.bytes, blockSize));
            const ReadResult result = readAll(reader);
            EXPECT_EQ(result.records, c.records);
            EXPECT_EQ(result.lastEndedWithCrLf, c.lastEndedWithCrLf);
        }
    }
}

TEST(RecordReader, FilesThatCannotBeOpenedAreFaults) {
    testing_support::TempFolder dir;
    EXPECT_EQ(faultNumberOf([&] { openFileSource(dir / "NAOEXISTE.TXT"); }), 53);
    EXPECT_EQ(faultNumberOf([&] { RecordReader missing(dir / "NOPASTA" / "X.TXT"); }), 76);
}

// A failing read hands out only whole records; once repaired ("retry"), the interrupted record comes whole.
TEST(RecordReader, ReadFailureHandsOutOnlyWholeRecordsAndRetryResumes) {
    fixtures::DeclarationBuilder dec;
    dec.type3(2).type5(2);
    for (std::size_t failAfter : {std::size_t{0}, std::size_t{10}, std::size_t{144}, std::size_t{300}}) {
        SCOPED_TRACE(failAfter);
        auto source = std::make_unique<MemorySource>(dec.str(), 64, failAfter);
        MemorySource& raw = *source;
        RecordReader reader(std::move(source));
        std::vector<std::string> records;
        std::string record;
        EXPECT_EQ(faultNumberOf([&] { while (reader.next(record)) records.push_back(record); }), 57);
        EXPECT_EQ(records.size(), failAfter / 144);
        raw.failAfter = SIZE_MAX;  // the user answered "retry"
        while (reader.next(record)) records.push_back(record);
        EXPECT_EQ(records, dec.records());
    }
}

// Every position, asked between any two records, gives its byte (-1 outside the file) and the reading goes on.
TEST(RecordReader, ByteAtReadsAnyByteAndKeepsThePosition) {
    const std::string bytes = "ABC\r\nDEFGH\r\nI\xFF";
    RecordReader reader(std::make_unique<MemorySource>(bytes, 2));
    std::vector<std::string> records;
    for (std::string record;; records.push_back(record)) {
        for (std::size_t position = 0; position <= bytes.size() + 1; ++position) {
            const bool inside = position >= 1 && position <= bytes.size();
            EXPECT_EQ(reader.byteAt(position), inside ? static_cast<unsigned char>(bytes[position - 1]) : -1)
                << position << " after " << records.size() << " records";
        }
        if (!reader.next(record)) break;
    }
    EXPECT_EQ(records, (std::vector<std::string>{"ABC", "DEFGH", "I\xFF"}));
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
        EXPECT_EQ(locator.record(n), "R" + std::to_string(n) + std::string(n % 7, '.')) << n;
    }
    EXPECT_FALSE(locator.record(count + 1).has_value());
    EXPECT_FALSE(locator.record(0).has_value());
}

}  // namespace
}  // namespace kova
