// transmit: hands a delivery file to the agency's transmission program Quiboro through its library.
// Quiboro is found through its settings file "qui-bor.ini" (section "Qui-Bor", keys "Versao" and "Path") in the
// Windows-folder stand-in; its library is loaded at run time from "Path" only, never through a search.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "core/ports.h"

namespace kova {

inline constexpr std::string_view kQuiboroSettingsFile = "qui-bor.ini";
inline constexpr std::string_view kQuiboroSection = "Qui-Bor";
// File name of the transmission library inside Quiboro's folder.
inline constexpr std::string_view kQuiboroLibraryFile = "libtrama21.so";
inline constexpr std::string_view kQuiboroEntryPoint = "EnviarDeclaracaoEx2";
// The oldest Quiboro able to transmit this declaration.
inline constexpr long long kQuiboroMinimumVersion = 200702;
// The library's answer when the delivery file changed after its import.
inline constexpr int kDeliveryFileAltered = 5001;
// Sizes of the message and title buffers handed to the library.
inline constexpr std::size_t kQuiboroMessageSize = 2048;
inline constexpr std::size_t kQuiboroTitleSize = 256;

// The library's entry point: window handle, delivery file path, option, message buffer (2048), title buffer (256).
// 0 accepted, 5001 the delivery file changed, anything else a failure described in the two buffers.
// The buffers come in filled with spaces; the library writes Windows-1252 text and may end it with a NUL.
using EnviarDeclaracaoEx2Fn = std::int32_t (*)(void* window, const char* deliveryFile, std::int32_t option,
                                               char* message, char* title);

// The Windows folder of this platform: $KOVA_WINDIR, else $XDG_CONFIG_HOME, else ~/.config.
std::filesystem::path windowsFolder();

// A private profile value: section and key match without regard to case, the value is trimmed (and a pair of
// surrounding quotes dropped) and cut at 127 characters; "" when the file, section or key is missing.
// Throws Fault when the file exists but cannot be read.
std::string readProfileString(const std::filesystem::path& file, std::string_view section, std::string_view key);

// "Versao" as a number: the trimmed text must be a whole decimal number, anything else counts as 0.
long long quiboroVersionNumber(std::string_view text);

// The two notices about Quiboro (title "Transmissão da Declaração"), shown as plain messages for now.
Message oldTransmissionProgramNotice();  // the installed Quiboro is too old
Message missingTransmissionProgramNotice();  // Quiboro is not installed

enum class TransmissionOutcome {
    Accepted,  // the library accepted the declaration (and left its receipt)
    Refused,   // refused before or by the library: Quiboro missing or too old, the file changed after import
    Failed,    // the library reported a failure, or an unexpected error was not retried
};

struct TransmissionRequest {
    std::filesystem::path deliveryFile;
    // 1 from the transmission screen; from the import screen the value of its answer field. Passed unchanged.
    std::int16_t option = 1;
    void* window = nullptr;  // the calling screen's window handle, passed unchanged
    // Folder of "qui-bor.ini"; windowsFolder() when empty.
    std::filesystem::path windowsFolder;
};

// Finds and checks Quiboro, calls its library and reports the outcome through prompts. A refusal touches no file.
// An unexpected error asks "Deseja tentar novamente ?" (Yes repeats the failed step, No gives Failed).
TransmissionOutcome transmit(Prompts& prompts, const TransmissionRequest& request);

// The Boolean form of the screens: true when the library accepted the declaration.
bool transmit(Prompts& prompts, void* window, std::int16_t option, const std::filesystem::path& deliveryFile);

}  // namespace kova
