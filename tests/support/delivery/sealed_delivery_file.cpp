#include "support/delivery/sealed_delivery_file.h"

#include <string>
#include <vector>

#include "core/record_layout.h"
#include "delivery/delivery_records.h"
#include "delivery/generation.h"
#include "delivery/seals.h"
#include "support/file_bytes.h"

namespace kova::testing_support {

namespace fs = std::filesystem;

fs::path writeSealedDeliveryFile(const fs::path& folder, const fixtures::DeclarationBuilder& declaration) {
    const std::vector<std::string> records = declaration.records();
    // What the validation keeps for the header: the type-2 fields, the counts and the totals.
    ImportState state;
    const ContactRecord contacts(records.at(1));
    state.representativeCpf = contacts.representativeCpf();
    state.representativeTelephoneBlock = contacts.representativePhoneBlock();
    for (const std::string& line : records) {
        const RecordView record(line);
        if (record.isTrailer()) continue;
        if (record.recordType() == "3") ++state.count3;
        if (record.recordType() == "4") ++state.count4;
        if (record.recordType() == "5") {
            state.baseTotal.addDigits(LevyRecord(line).baseAmount());
            state.levyTotal.addDigits(LevyRecord(line).levyAmount());
        }
    }
    const DeliveryHeaderFields fields = headerFieldsOf(DeclarantData::fromHeader(records.at(0)), state);
    const std::string name = deliveryFileName(fields.cnpj, fields.year, fields.type, fields.situation);

    // The header carries the detail seal, so the records are sealed before it is written.
    std::uint32_t running = 0;
    std::string detailSeal;
    std::string body;
    for (const std::string& line : records) {
        const std::string sealed = sealedDetailRecord(line);
        detailSeal = accumulateSeal(sealed, running);
        body += sealed + "\r\n";
    }
    const std::string r1 = receiptRecord(fields.cnpj, fields.name);
    std::uint32_t receiptRunning = running;
    const std::string receiptSeal = accumulateSeal(r1, receiptRunning);
    const std::string file = headerRecord(fields, detailSeal, name) + "\r\n" + body + r1 + "\r\n" +
                             receiptClosingRecord(receiptSeal) + "\r\n";
    fs::create_directories(folder);
    writeBytes(folder / name, file);
    return folder / name;
}

}  // namespace kova::testing_support
