// transmit: hands a delivery file to the agency's transmission program Quiboro through its library.
// Quiboro is found through its settings file "qui-bor.ini" (section "Qui-Bor", keys "Versao" and "Path") in the
// Windows-folder stand-in; its library is loaded at run time from "Path" only, never through a search.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "core/folder_lock.h"
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

// The two notices about Quiboro, titled kQuiboroNoticeTitle.
enum class QuiboroNotice {
    OldVersion,    // the installed Quiboro cannot transmit this declaration
    NotInstalled,  // Quiboro was not found on this computer
};
inline constexpr const char* kQuiboroNoticeTitle = "Transmissão da Declaração";
// Where the notices send the person to get Quiboro.
inline constexpr const char* kAgencySiteAddress = "http://www.qot.gov.br";

// The notice's text; it points at the agency's address, which a notice shows below it.
std::string quiboroNoticeText(QuiboroNotice notice);
// The notice as a message box (exclamation icon, OK), the address on its last line.
Message quiboroNoticeMessage(QuiboroNotice notice);

// The transmission's dialogs that are more than message boxes: the desktop program shows the notices as windows
// of their own, with a link to the agency's site.
class TransmissionDialogs {
public:
    virtual ~TransmissionDialogs() = default;
    // Shows the notice and returns once the person closed it.
    virtual void showNotice(QuiboroNotice notice) = 0;
};

enum class TransmissionOutcome {
    Accepted,  // the library accepted the declaration (and left its receipt)
    Refused,   // refused before sending: Quiboro missing or too old, the program folder busy with another writer
    Altered,   // the library found the delivery file changed after its import
    Failed,    // the library reported a failure, or an unexpected error was not retried
};

struct TransmissionRequest {
    std::filesystem::path deliveryFile;
    // 1 from the transmission screen; from the import screen the value of its answer field. Passed unchanged.
    std::int16_t option = 1;
    void* window = nullptr;  // the calling screen's window handle, passed unchanged
    // Folder of "qui-bor.ini"; windowsFolder() when empty.
    std::filesystem::path windowsFolder;
    // The folder whose write lock is held while the library writes the receipt. When empty: the program folder
    // the delivery file lies in (<program>/GERADA/<declaration>/<file>.DEC), else the delivery file's folder.
    std::filesystem::path programFolder;
    WriteLockWait lockWait;
    // The notices as dialogs; without them they are message boxes through the prompts.
    TransmissionDialogs* dialogs = nullptr;
};

// The folder a transmission of this delivery file locks (see TransmissionRequest::programFolder).
std::filesystem::path writerFolderOf(const std::filesystem::path& deliveryFile);

// Finds and checks Quiboro, calls its library under the folder's write lock and reports the outcome through
// prompts (and dialogs). A refusal touches no file. An unexpected error asks "Deseja tentar novamente ?" (Yes
// repeats the failed step, No gives Failed).
TransmissionOutcome transmit(Prompts& prompts, const TransmissionRequest& request);

// The Boolean form of the screens: true when the library accepted the declaration.
bool transmit(Prompts& prompts, void* window, std::int16_t option, const std::filesystem::path& deliveryFile);

}  // namespace kova
