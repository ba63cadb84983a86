#include "delivery/transmission.h"

#include <dlfcn.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <limits>
#include <memory>
#include <optional>
#include <system_error>

#include "core/faults.h"
#include "core/folder_lock.h"
#include "core/retry.h"
#include "core/text.h"
#include "import/file_helpers.h"

namespace kova {

namespace fs = std::filesystem;

namespace {

constexpr const char* kTitleTransmit = "Transmitir";
constexpr const char* kNotInstalled =
    "Para transmissão de declarações é necessário que o programa Quiboro esteja instalado em seu computador. "
    "Instale-o e repita esta operação novamente.";
constexpr const char* kAltered =
    "O arquivo selecionado foi alterado após o procedimento de importação. Estas alterações invalidam a "
    "declaração e impedem a transmissão. Repita a operação de importação.";

// dlopen and dlsym failures carry the run-time library's numbers for "error loading the library" and
// "entry point not found"; the second is outside the table, so the loader's own text is shown.
constexpr int kFaultLoadingLibrary = 48;
constexpr int kFaultEntryPoint = 453;

std::string_view trimProfileBlanks(std::string_view text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!text.empty() && blank(text.front())) text.remove_prefix(1);
    while (!text.empty() && blank(text.back())) text.remove_suffix(1);
    return text;
}

// A settings line is a few dozen bytes: longer lines are cut here, so that whatever file lies under the settings
// name, reading it takes no more memory than this.
constexpr std::size_t kProfileLineLimit = 4096;
// The value buffer holds 128 characters with its terminating NUL.
constexpr std::size_t kProfileValueLimit = 127;

// Hands `visit` each line of the file without its LF, cut to kProfileLineLimit bytes, until it returns false.
void forEachProfileLine(const fs::path& file, const std::function<bool(std::string_view)>& visit) {
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> in(std::fopen(file.c_str(), "rb"), &std::fclose);
    if (!in) throw faultFromErrno(errno);
    std::string line;
    char buffer[4096];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, in.get())) > 0) {
        for (std::string_view chunk(buffer, n); !chunk.empty();) {
            const std::size_t end = chunk.find('\n');
            const std::string_view piece = chunk.substr(0, end);
            line.append(piece.substr(0, kProfileLineLimit - std::min(line.size(), kProfileLineLimit)));
            if (end == std::string_view::npos) break;
            if (!visit(line)) return;
            line.clear();
            chunk.remove_prefix(end + 1);
        }
    }
    if (std::ferror(in.get())) throw faultFromErrno(errno ? errno : EIO);
    if (!line.empty()) visit(line);
}

std::string bufferText(const char* buffer, std::size_t size) {
    const std::string_view raw(buffer, strnlen(buffer, size));
    return cp1252ToUtf8(trimBlanks(raw));
}

// The transmission library, loaded by absolute path and released when the call is over.
class QuiboroLibrary {
public:
    explicit QuiboroLibrary(const fs::path& file) {
        // An absolute path: the loader opens exactly this file and searches no folder for it.
        handle_ = ::dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!handle_) throw Fault(kFaultLoadingLibrary, loaderText());
        ::dlerror();
        void* symbol = ::dlsym(handle_, std::string(kQuiboroEntryPoint).c_str());
        if (!symbol) {
            const std::string text = loaderText();
            ::dlclose(handle_);
            throw Fault(kFaultEntryPoint, text);
        }
        send_ = reinterpret_cast<EnviarDeclaracaoEx2Fn>(symbol);
    }
    QuiboroLibrary(const QuiboroLibrary&) = delete;
    QuiboroLibrary& operator=(const QuiboroLibrary&) = delete;
    ~QuiboroLibrary() { ::dlclose(handle_); }

    EnviarDeclaracaoEx2Fn send() const { return send_; }

private:
    static std::string loaderText() {
        const char* text = ::dlerror();
        return text ? text : "";
    }
    void* handle_ = nullptr;
    EnviarDeclaracaoEx2Fn send_ = nullptr;
};

struct LibraryAnswer {
    std::int32_t result = 0;
    std::string message;  // UTF-8, trimmed
    std::string title;
};

}  // namespace

fs::path windowsFolder() {
    const auto variable = [](const char* name) -> std::string {
        const char* value = std::getenv(name);
        return value ? value : "";
    };
    if (std::string windir = variable("KOVA_WINDIR"); !windir.empty()) return windir;
    // A relative XDG_CONFIG_HOME is invalid and ignored.
    if (fs::path config = variable("XDG_CONFIG_HOME"); !config.empty() && config.is_absolute()) return config;
    return fs::path(variable("HOME")) / ".config";
}

std::string readProfileString(const fs::path& file, std::string_view section, std::string_view key) {
    std::error_code ec;
    const bool present = fs::exists(file, ec);
    if (ec) throw faultFromErrno(ec.value());
    if (!present) return {};
    std::string value;
    bool firstLine = true;
    bool inSection = false;
    forEachProfileLine(file, [&](std::string_view line) {
        if (firstLine && line.substr(0, 3) == "\xEF\xBB\xBF") line.remove_prefix(3);
        firstLine = false;
        line = trimProfileBlanks(line);
        if (line.empty() || line.front() == ';') return true;
        if (line.front() == '[') {
            const std::size_t close = line.find(']');
            inSection = close != std::string_view::npos &&
                        equalIgnoringCase(trimProfileBlanks(line.substr(1, close - 1)), section);
            return true;
        }
        const std::size_t equals = line.find('=');
        if (!inSection || equals == std::string_view::npos ||
            !equalIgnoringCase(trimProfileBlanks(line.substr(0, equals)), key))
            return true;
        std::string_view found = trimProfileBlanks(line.substr(equals + 1));
        if (found.size() >= 2 && (found.front() == '"' || found.front() == '\'') && found.back() == found.front())
            found = found.substr(1, found.size() - 2);
        value = found.substr(0, kProfileValueLimit);
        return false;
    });
    return value;
}

long long quiboroVersionNumber(std::string_view text) {
    text = trimProfileBlanks(text);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    if (text.empty() || !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return 0;
    long long value = 0;
    const auto [ptr, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    (void)ptr;
    // A number too long for 64 bits is still a number, and certainly not below the minimum.
    return error == std::errc::result_out_of_range ? std::numeric_limits<long long>::max() : value;
}

std::string quiboroNoticeText(QuiboroNotice notice) {
    if (notice == QuiboroNotice::OldVersion)
        return "A versão do programa Quiboro instalada em seu computador não permite a transmissão desta "
               "declaração.\n\nAcesse a página da QOT na Internet no endereço abaixo. Faça download  do  programa  "
               "e  instale em seu computador.";
    return "O programa Quiboro não foi encontrado em seu computador.\n\nAcesse a página da QOT na Internet no "
           "endereço abaixo, faça o download  do   programa e  instale em seu computador.";
}

Message quiboroNoticeMessage(QuiboroNotice notice) {
    return exclamation(kQuiboroNoticeTitle, quiboroNoticeText(notice) + "\n\n" + kAgencySiteAddress);
}

fs::path writerFolderOf(const fs::path& deliveryFile) {
    std::error_code ec;
    fs::path file = fs::absolute(deliveryFile, ec);
    if (ec) file = deliveryFile;
    const fs::path declarationFolder = file.lexically_normal().parent_path();
    const fs::path generated = declarationFolder.parent_path();
    if (equalIgnoringCase(generated.filename().string(), "GERADA")) return generated.parent_path();
    return declarationFolder;
}

TransmissionOutcome transmit(Prompts& prompts, const TransmissionRequest& request) {
    RetryText retry;
    retry.title = kTitleTransmit;
    retry.sentence = "Erro na transmissão da declaração.";
    retry.question = "Deseja tentar novamente ?";
    const auto step = [&](const std::function<void()>& body) { return withRetry(prompts, retry, body); };
    const auto refuse = [&](Message m) {
        prompts.show(m);
        return TransmissionOutcome::Refused;
    };
    const auto refusal = [](std::string text) { return exclamation(kTitleTransmit, std::move(text)); };
    const auto notice = [&](QuiboroNotice kind) {
        if (request.dialogs == nullptr) return refuse(quiboroNoticeMessage(kind));
        request.dialogs->showNotice(kind);
        return TransmissionOutcome::Refused;
    };

    const fs::path folder = request.windowsFolder.empty() ? windowsFolder() : request.windowsFolder;
    std::optional<fs::path> settings;
    if (!step([&] { settings = findFileIgnoringCase(folder, kQuiboroSettingsFile); }))
        return TransmissionOutcome::Failed;
    if (!settings) return notice(QuiboroNotice::NotInstalled);

    std::string version;
    if (!step([&] { version = readProfileString(*settings, kQuiboroSection, "Versao"); }))
        return TransmissionOutcome::Failed;
    if (quiboroVersionNumber(version) < kQuiboroMinimumVersion) return notice(QuiboroNotice::OldVersion);

    // The library is taken from Quiboro's folder only: a relative "Path" would depend on the current folder,
    // so it counts as no installation at all.
    std::optional<fs::path> library;
    if (!step([&] {
            const fs::path quiboroFolder(readProfileString(*settings, kQuiboroSection, "Path"));
            library = quiboroFolder.is_absolute() ? findFileIgnoringCase(quiboroFolder, kQuiboroLibraryFile)
                                                  : std::nullopt;
        }))
        return TransmissionOutcome::Failed;
    if (!library) return refuse(refusal(kNotInstalled));

    // The library writes the receipt into the program folder: one writer at a time.
    const fs::path writerFolder =
        request.programFolder.empty() ? writerFolderOf(request.deliveryFile) : request.programFolder;
    std::unique_ptr<FolderWriteLock> lock;
    if (!step([&] { lock = FolderWriteLock::acquire(writerFolder, request.lockWait); }))
        return TransmissionOutcome::Failed;
    if (!lock) return refuse(refusal(folderInUseMessage(writerFolder)));

    LibraryAnswer answer;
    if (!step([&] {
            QuiboroLibrary quiboro(*library);
            std::string message(kQuiboroMessageSize, ' ');
            std::string title(kQuiboroTitleSize, ' ');
            answer.result = quiboro.send()(request.window, request.deliveryFile.c_str(), request.option,
                                           message.data(), title.data());
            answer.message = bufferText(message.data(), message.size());
            answer.title = bufferText(title.data(), title.size());
        }))
        return TransmissionOutcome::Failed;
    lock.reset();  // not held while the person reads the outcome

    if (answer.result == 0) {
        if (!answer.message.empty()) {
            prompts.show(information("Transmissão", answer.message));
        }
        return TransmissionOutcome::Accepted;
    }
    if (answer.result == kDeliveryFileAltered) {
        prompts.show(refusal(kAltered));
        return TransmissionOutcome::Altered;
    }

    // A failure the library did not describe still says what happened.
    prompts.show(critical(answer.title.empty() ? kTitleTransmit : answer.title,
                          answer.message.empty() ? "O programa Quiboro não transmitiu a declaração (código " +
                                                       std::to_string(answer.result) + ")."
                                                 : answer.message));
    return TransmissionOutcome::Failed;
}

bool transmit(Prompts& prompts, void* window, std::int16_t option, const fs::path& deliveryFile) {
    TransmissionRequest request;
    request.deliveryFile = deliveryFile;
    request.option = option;
    request.window = window;
    return transmit(prompts, request) == TransmissionOutcome::Accepted;
}

}  // namespace kova
