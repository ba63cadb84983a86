// A delivery file sealed record by record, as generation writes it, from a clean declaration: for the tests of
// the layers that read delivery files (transmission, receipt, printing).
#pragma once

#include <filesystem>

#include "support/declaration_builder.h"

namespace kova::testing_support {

// Written into `folder` (created when missing) under its own name. Returns its path.
std::filesystem::path writeSealedDeliveryFile(const std::filesystem::path& folder,
                                              const fixtures::DeclarationBuilder& declaration);

}  // namespace kova::testing_support
