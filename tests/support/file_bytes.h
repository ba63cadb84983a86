// Whole files as bytes, for tests that build or inspect files byte by byte.
#pragma once

#include <filesystem>
#include <string>

namespace kova::testing_support {

// Throws when the file cannot be read.
std::string readBytes(const std::filesystem::path& file);
void writeBytes(const std::filesystem::path& file, const std::string& bytes);

}  // namespace kova::testing_support
