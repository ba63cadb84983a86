// A library with the stand-in's file name and entry point that only answers a code of its own. Tests place it
// where a library search would find it (the current folder, LD_LIBRARY_PATH) to show that the transmission
// loads the library from Quiboro's configured folder and nowhere else.
#include <cstring>

#include "quiboro/trama21.h"

extern "C" std::int32_t EnviarDeclaracaoEx2(void*, const char*, std::int32_t, char* message, char* title) {
    if (message) std::strcpy(message, "Biblioteca impostora.");
    if (title) std::strcpy(title, "Impostora");
    return 7777;
}
