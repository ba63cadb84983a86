// Shared by the generation, integrity and catalogue tests: a program folder in which a declaration built by code
// is imported and generated through the real import driver.
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
#include "support/recording_import_events.h"
#include "transmission_fixtures.h"

namespace kova::testing {

// The seal of a text as the layout defines it, computed here straight from zlib: ten digits.
std::string zlibSeal(std::string_view text, unsigned long seed = 0);
unsigned long zlibCrc(std::string_view text, unsigned long seed = 0);

class GenerationHarness {
public:
    GenerationHarness();

    // Writes the declaration as the input file (replacing an earlier one) and imports it: choosing the file,
    // then the import button, which generates when the import is clean.
    ImportOutcome importAndGenerate(const fixtures::DeclarationBuilder& declaration);

    fs::path deliveryFile() const { return session.names.deliveryFilePath; }
    fs::path declarationFolder() const { return session.names.declarationFolder; }
    // TEMPORAR.TXT in the program folder, any file in GERADA itself and every other file in the declaration folder.
    std::vector<std::string> leftovers() const;

    ScratchFolder folder;
    fs::path input;
    ImportSession session;
    testing_support::RecordingImportEvents view;
    ImportResult last;  // the result of the last import
    RecordingPrompts prompts;
    FixedClock clock{DateTime{2024, 3, 10, 10, 0, 0}};
    MemoryErrorLog log;
    FaultInjectingFileOps fileOps;
    DeliveryGeneration generation{nullptr, fileOps};
    ImportDriver driver{session, view, prompts, clock, log, &generation};
};

// The messages shown with this title.
std::vector<Message> messagesTitled(const std::vector<Message>& shown, const std::string& title);

}  // namespace kova::testing
