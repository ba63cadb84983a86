// Shared by the transmission tests: scratch folders, sealed delivery files, the Quiboro settings, snapshots of
// folders (to prove that nothing was touched) and the folder of the built programs.
#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "core/ports.h"
#include "support/recording_prompts.h"
#include "support/declaration_builder.h"
#include "support/delivery/sealed_delivery_file.h"
#include "support/file_bytes.h"
#include "support/folder_snapshot.h"
#include "support/program_run.h"
#include "support/temp_folder.h"

namespace kova::testing {

namespace fs = std::filesystem;

using testing_support::binFolder;

// A fresh folder removed with everything in it at the end of the test.
using ScratchFolder = testing_support::TempFolder;

using testing_support::writeSealedDeliveryFile;

// Writes qui-bor.ini in `windowsFolder` with the given lines of section "Qui-Bor".
void writeQuiboroSettings(const fs::path& windowsFolder, const std::string& version, const std::string& path);

using testing_support::Snapshot;
using testing_support::snapshot;

using testing_support::readBytes;
using testing_support::writeBytes;

// Records every message and answers through `answer` (default: OK / No).
using testing_support::RecordingPrompts;

}  // namespace kova::testing
