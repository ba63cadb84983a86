// The transmission library of the stand-in Quiboro: the one function the declaration program calls.
#pragma once

#include <cstdint>

#define TRAMA21_EXPORT __attribute__((visibility("default")))

extern "C" {

// Hands the delivery file to the agency. `message` (2048 bytes) and `title` (256 bytes) come filled with
// spaces; the library writes Windows-1252 text into them, ended by a NUL. Results: 0 accepted (the receipt
// ".REC" is beside the delivery file), 5001 the delivery file changed after its import, any other value a
// failure described by the two buffers.
TRAMA21_EXPORT std::int32_t EnviarDeclaracaoEx2(void* window, const char* deliveryFile, std::int32_t option,
                                                char* message, char* title);
}
