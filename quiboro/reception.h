// The agency's side of a transmission: checks the delivery file and, when it is intact, writes its receipt.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

#include "core/clock.h"

namespace quiboro {

enum ReceptionCode : std::int32_t {
    kAccepted = 0,
    kAltered = 5001,          // a seal of the delivery file no longer matches
    kUnreadable = 5002,       // the delivery file cannot be opened or read
    kNotDeliveryFile = 5003,  // not a ".DEC" file, empty, or without a delivery header
    kReceiptNotWritten = 5004,
    kInternalError = 5099,
};

inline constexpr const char* kReceptionTitle = "Quiboro - Transmissão de Declarações";

struct Reception {
    std::int32_t code = kInternalError;
    std::string message;  // UTF-8
    std::string title;
};

Reception receiveDeclaration(const std::filesystem::path& deliveryFile, const kova::Clock& clock);

}  // namespace quiboro
