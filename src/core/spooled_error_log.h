// An error log kept in an unnamed temporary file: the rows of one declaration, however many, without holding them
// in memory and without a name that could be left behind (the file goes with the log, or with the process).
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

#include "core/error_log.h"

namespace kova {

class SpooledErrorLog : public ErrorLog {
public:
    // The file is made in `folder`; throws Fault when it cannot be.
    explicit SpooledErrorLog(const std::filesystem::path& folder);
    ~SpooledErrorLog() override;
    SpooledErrorLog(const SpooledErrorLog&) = delete;
    SpooledErrorLog& operator=(const SpooledErrorLog&) = delete;

    // Throws Fault when the row cannot be written (a full disk); it is then not counted.
    void recordRow(const ErrorRow& row) override;
    std::int64_t rowCount() override { return rows_; }
    void emptyLog() override;
    // The rows in the order recorded, with the texts of their codes. Throws Fault on a read failure.
    void listErrors(const std::function<bool(const ErrorListing&)>& visit) override;

    // A write failed: the rows kept may be fewer than the rows found.
    bool faulted() const { return faulted_; }

private:
    void flush();

    int fd_ = -1;
    std::string pending_;      // rows not yet written to the file
    std::uint64_t written_ = 0;  // bytes in the file
    std::int64_t rows_ = 0;
    bool faulted_ = false;
};

}  // namespace kova
