// Shared by the delivery tests: a program folder in which a declaration built by code is imported and generated
// through the real import driver, seals computed straight from zlib, receipts as the agency writes them, and the
// Quiboro settings.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "core/atomic_file.h"
#include "core/clock.h"
#include "core/memory_error_log.h"
#include "delivery/generation.h"
#include "import/import_driver.h"
#include "support/declaration_builder.h"
#include "support/delivery/sealed_delivery_file.h"
#include "support/file_bytes.h"
#include "support/folder_snapshot.h"
#include "support/program_run.h"
#include "support/recording_import_events.h"
#include "support/recording_prompts.h"
#include "support/temp_folder.h"

namespace kova::testing {

namespace fs = std::filesystem;
using ScratchFolder = testing_support::TempFolder;
using testing_support::binFolder;
using testing_support::readBytes;
using testing_support::RecordingPrompts;
using testing_support::Snapshot;
using testing_support::snapshot;
using testing_support::writeBytes;
using testing_support::writeSealedDeliveryFile;

// The seal of a text as the layout defines it: ten digits.
std::string zlibSeal(std::string_view text, unsigned long seed = 0);
unsigned long zlibCrc(std::string_view text, unsigned long seed = 0);

class GenerationHarness {
public:
    GenerationHarness();

    // Writes the declaration as the input file and imports it; a clean import generates.
    ImportOutcome importAndGenerate(const fixtures::DeclarationBuilder& declaration);

    fs::path deliveryFile() const { return session.names.deliveryFilePath; }
    fs::path declarationFolder() const { return session.names.declarationFolder; }
    // TEMPORAR.TXT in the program folder, any file in GERADA itself and every other file in the declaration folder.
    std::vector<std::string> leftovers() const;

    ScratchFolder folder;
    fs::path input;
    ImportSession session;
    testing_support::RecordingImportEvents view;
    RecordingPrompts prompts;
    FixedClock clock{DateTime{2024, 3, 10, 10, 0, 0}};
    MemoryErrorLog log;
    FaultInjectingFileOps fileOps;
    DeliveryGeneration generation{nullptr, fileOps};
    ImportDriver driver{session, view, prompts, clock, log, &generation};
};

std::vector<Message> messagesTitled(const std::vector<Message>& shown, const std::string& title);

// Receipt files as the agency's counterpart writes them: HC, RC, NC lines, TC, each line ending with the checksum
// that continues the one of the line before.
struct ReceiptFields {
    std::string cnpj;        // RC 3-16
    std::string detailSeal;  // of the delivery file, for the authentication code
    DateTime received{2024, 2, 5, 14, 30, 15};
    std::string code;  // RC 60-69; empty: the agency's code
    int ncLines = 1;
    std::vector<std::string> afterTrailer;  // lines that follow TC (not read)
    std::string receptionText;             // RC date and time as written; empty: from `received`
};

std::string receiptFile(const ReceiptFields& receipt);

void writeQuiboroSettings(const fs::path& windowsFolder, const std::string& version, const std::string& path);

}  // namespace kova::testing
