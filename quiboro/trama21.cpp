#include "quiboro/trama21.h"

#include <algorithm>
#include <cstring>
#include <exception>
#include <string_view>

#include "core/clock.h"
#include "core/text.h"
#include "quiboro/reception.h"

namespace {

constexpr std::size_t kMessageSize = 2048;
constexpr std::size_t kTitleSize = 256;

// Writes the text as Windows-1252 over the start of the buffer, cut to leave room for the ending NUL.
void fill(char* buffer, std::size_t size, std::string_view utf8) {
    if (!buffer) return;
    const std::string text = kova::utf8ToCp1252(utf8);
    const std::size_t n = std::min(text.size(), size - 1);
    std::memcpy(buffer, text.data(), n);
    buffer[n] = '\0';
}

}  // namespace

extern "C" std::int32_t EnviarDeclaracaoEx2(void* /*window*/, const char* deliveryFile, std::int32_t /*option*/,
                                            char* message, char* title) {
    // Nothing may escape into the caller, which is not C++ code as far as this function knows.
    quiboro::Reception reception;
    try {
        if (!deliveryFile || !*deliveryFile) {
            reception = {quiboro::kNotDeliveryFile, "Nenhum arquivo de declaração foi informado.",
                         quiboro::kReceptionTitle};
        } else {
            reception = quiboro::receiveDeclaration(deliveryFile, kova::SystemClock());
        }
    } catch (const std::exception& e) {
        reception = {quiboro::kInternalError, std::string("Erro interno do Quiboro: ") + e.what(),
                     quiboro::kReceptionTitle};
    } catch (...) {
        reception = {quiboro::kInternalError, "Erro interno do Quiboro.", quiboro::kReceptionTitle};
    }
    try {
        fill(message, kMessageSize, reception.message);
        fill(title, kTitleSize, reception.title);
    } catch (...) {
        // Out of memory while converting: the result still tells the outcome.
    }
    return reception.code;
}
