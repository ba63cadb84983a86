// Validation of the receipt file (".REC") that the transmission leaves beside the delivery file, and the data of
// a validated receipt that the delivery receipt prints.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "core/ports.h"
#include "delivery/delivery_records.h"
#include "delivery/integrity_check.h"

namespace kova {

// The data of the last receipt validated. Texts are UTF-8.
struct ReceiptData {
    std::string receiptFile;
    std::string receptionDate;        // DD/MM/YYYY (the year as its plain number)
    std::string receptionTime;        // hh:mm:ss
    std::string authenticationCode;  // 10 characters
    std::string certificateId;       // 14 characters
    std::string receiptNumber;        // detail seal + its two check digits
    std::string cnpj;
    std::string name;
    std::string year;
    std::string rectifying;  // "Não" / "Sim"
    std::string situationText;
    std::string periodStart;  // DD/MM/YYYY
    std::string periodEnd;
    std::string rectifiedReceipt;  // ten characters, or " " for ten zeros
    std::string representativeCpf;
    std::string phone;
    double baseTotal = 0;
    double levyTotal = 0;
    // The two totals exactly as the header holds them (40 digits, 2 implied decimals), for exact display.
    std::string totalBaseDigits;
    std::string levyTotalDigits;
    std::int32_t entityCount = 0;
    std::int32_t beneficiaryCount = 0;
};

// Two modulo-11 check digits over the first 10 characters; "-1" for a text shorter than 10.
std::string receiptCheckDigits(std::string_view text);

// The receipt's path: the delivery file's path with its last four characters replaced by ".REC". When no file
// has exactly that name, a file of the same folder whose name differs only in case is taken.
std::filesystem::path receiptPathOf(const std::filesystem::path& deliveryFile);

// True when the receipt beside `deliveryFile` is in order (HC, RC, optional NC, TC, chained checksums) and the
// authenticity test accepts it. Fills `data` as it goes (fields reached before a failure keep their new values).
// A missing receipt and run-time faults are told through `prompts`; other failures give false silently.
bool validateReceipt(const std::filesystem::path& deliveryFile, Prompts& prompts, ReceiptData& data,
                  const ByteSourceOpener& open = {});

}  // namespace kova
