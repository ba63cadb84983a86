#include "delivery_fixture.h"

#include <atomic>
#include <cstdio>
#include <fstream>
#include <sstream>

#include <unistd.h>

#include "core/record_layout.h"
#include "delivery/delivery_records.h"
#include "delivery/receipt_validation.h"
#include "delivery/seals.h"

namespace kova::printtest {

ScratchFolder::ScratchFolder() {
    static std::atomic<int> counter{0};
    path_ = fs::temp_directory_path() /
            ("kova-print-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
    fs::remove_all(path_);
    fs::create_directories(path_);
}

ScratchFolder::~ScratchFolder() {
    std::error_code ec;
    fs::remove_all(path_, ec);
}

fs::path writeDeliveryFile(const fs::path& folder, const fixtures::DeclarationBuilder& declaration) {
    const std::size_t count = declaration.recordCount();
    const std::string header = declaration.recordAt(1);
    const std::string contacts = declaration.recordAt(2);
    DeliveryHeaderFields fields;
    takeInputHeader(HeaderRecord(header), fields);
    fields.CPFREPRESENTANTE = std::string(ContactRecord(contacts).CPFREPRESENTANTE());
    fields.telefoneREPRESENTANTE = std::string(ContactRecord(contacts).telephoneBlockREPRESENTANTE());
    // First pass: counts, totals and the detail seal, which the header carries before the records.
    std::uint32_t running = 0;
    std::string detailSeal;
    for (std::size_t line = 1; line <= count; ++line) {
        const std::string record = declaration.recordAt(line);
        const RecordView r(record);
        if (!r.isTrailer()) {
            if (r.TipoREGISTRO() == "3") ++fields.count3;
            if (r.TipoREGISTRO() == "4") ++fields.count4;
            if (r.TipoREGISTRO() == "5") {
                fields.totalBASECALCULO.addDigits(r.field(32, 17));
                fields.totalKOVA.addDigits(r.field(49, 17));
            }
        }
        detailSeal = ACUMULACRC(sealedDetailRecord(record), running);
    }
    const std::string name = deliveryFileName(fields.CNPJDECL, fields.Ano, fields.Tipo, fields.SITUACAO);
    fs::create_directories(folder);
    std::ofstream out(folder / name, std::ios::binary);
    out << headerRecord(fields, detailSeal, name) << "\r\n";
    for (std::size_t line = 1; line <= count; ++line) out << sealedDetailRecord(declaration.recordAt(line)) << "\r\n";
    const std::string r1 = receiptRecord(fields.CNPJDECL, fields.NOME);
    std::uint32_t receiptRunning = running;
    const std::string receiptSeal = ACUMULACRC(r1, receiptRunning);
    out << r1 << "\r\n" << receiptClosingRecord(receiptSeal) << "\r\n";
    return folder / name;
}

fs::path writeReceipt(const fs::path& deliveryFile, const ReceiptOptions& o) {
    std::string headerLine;
    {
        std::ifstream in(deliveryFile, std::ios::binary);
        std::getline(in, headerLine);
    }
    const DeliveryHeaderView header(headerLine);
    const std::string cnpj(header.CNPJDECL());
    const std::string seal(header.detailSeal());
    const DateTime& t = o.reception;
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%02d%02d%04d%02d%02d%02d", t.day, t.month, t.year, t.hour, t.minute, t.second);
    std::string rc = "RC" + cnpj + stamp;
    rc.resize(59, ' ');
    rc += authenticationCode(cnpj, seal, t.day, t.month, t.year, t.hour, t.minute, t.second);
    rc.resize(77, ' ');
    rc += o.ni;
    std::vector<std::string> lines{"HC" + deliveryFile.filename().string(), rc};
    if (o.withNC) lines.push_back("NC");
    lines.push_back("TC000003");
    std::string text;
    std::string checksum = "0";
    for (const std::string& line : lines) {
        checksum = CONTINUACRC(line, checksum);
        text += line + checksum + "\r\n";
    }
    const fs::path receipt = receiptPathOf(deliveryFile);
    writeBytes(receipt, text);
    return receipt;
}

std::string readBytes(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

void writeBytes(const fs::path& file, const std::string& bytes) {
    std::ofstream(file, std::ios::binary) << bytes;
}

}  // namespace kova::printtest
