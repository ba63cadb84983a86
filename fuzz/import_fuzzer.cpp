// The import of any byte sequence, through the driver and the generation the program uses: it never crashes, and
// a declaration it calls generated is sealed intact inside GERADA, record for record, with nothing left elsewhere.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "core/atomic_file.h"
#include "core/clock.h"
#include "core/folder_lock.h"
#include "core/memory_error_log.h"
#include "delivery/delivery_records.h"
#include "delivery/generation.h"
#include "delivery/integrity_check.h"
#include "fuzz_support.h"
#include "import/import_driver.h"
#include "support/file_bytes.h"

namespace fs = std::filesystem;
using namespace kova;

namespace {

// The durability of the files is not what is fuzzed here, and syncing them would make every input wait for the disk.
class UnsyncedFileOps : public FileOps {
public:
    int fsync(int) override { return 0; }
};

std::vector<std::string> linesOf(const std::string& bytes) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < bytes.size()) {
        const std::size_t end = bytes.find(kLineEnd, start);
        lines.push_back(bytes.substr(start, end - start));
        if (end == std::string::npos) break;
        start = end + kLineEnd.size();
    }
    return lines;
}

// Every file (anything but a folder) under `root`.
std::vector<fs::path> filesUnder(const fs::path& root) {
    std::vector<fs::path> files;
    for (const auto& entry : fs::recursive_directory_iterator(root))
        if (!entry.is_directory()) files.push_back(entry.path());
    return files;
}

// A generated declaration: its file sits in a folder of its own under GERADA, passes the integrity check, and
// holds the input's records in order between its header and its two receipt records.
void checkGenerated(const fs::path& programFolder, const fs::path& deliveryFile, const std::string& input) {
    if (deliveryFile.parent_path().parent_path() != programFolder / kGeneratedFolderName)
        fuzzing::violated("delivery file outside GERADA: " + deliveryFile.string());
    fuzzing::CautiousPrompts prompts;
    DeclarationCheck check;
    if (!checkDeclaration(deliveryFile.string(), prompts, check))
        fuzzing::violated("a generated delivery file fails the integrity check");
    const std::vector<std::string> records = linesOf(input);
    const std::vector<std::string> sealed = linesOf(testing_support::readBytes(deliveryFile));
    if (sealed.size() != records.size() + 3) fuzzing::violated("delivery file of the wrong record count");
    for (std::size_t i = 0; i < records.size(); ++i)
        if (sealed[i + 1] != sealedDetailRecord(records[i]))
            fuzzing::violated("detail record " + std::to_string(i + 1) + " differs from its input");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static UnsyncedFileOps fileOps;
    static const FixedClock clock(DateTime{2024, 3, 10, 10, 0, 0});
    const fs::path programFolder = fuzzing::workFolder() / "programa";
    const fs::path input = fuzzing::workFolder() / "DECLARACAO.TXT";
    fs::remove_all(programFolder);
    fs::create_directories(programFolder);
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    testing_support::writeBytes(input, bytes);

    ImportSession session;
    session.programFolder = programFolder;
    ImportEvents events;
    fuzzing::CautiousPrompts prompts;
    MemoryErrorLog log;
    DeliveryGeneration generation(nullptr, fileOps);
    ImportDriver driver(session, events, prompts, clock, log, &generation);
    if (!driver.choose(input).accepted()) return 0;
    const ImportResult result = driver.run();

    // The input is the only file that was there before the import; the folder's write lock stays, empty.
    std::vector<fs::path> written = filesUnder(fuzzing::workFolder());
    std::erase(written, input);
    std::erase(written, programFolder / kWriteLockFile);
    if (result.outcome != ImportOutcome::Succeeded) {
        if (!written.empty()) fuzzing::violated("a file left by an unsuccessful import: " + written[0].string());
        return 0;
    }
    if (!result.generated || written.size() != 1 || written[0] != session.generatedDeliveryFile)
        fuzzing::violated("a successful import must leave exactly its delivery file");
    checkGenerated(programFolder, session.generatedDeliveryFile, bytes);
    return 0;
}
