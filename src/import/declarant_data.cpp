#include "import/declarant_data.h"

#include "core/declaration_names.h"
#include "core/field_checks.h"
#include "core/record_layout.h"
#include "core/retry.h"
#include "core/text.h"
#include "import/file_helpers.h"

namespace kova {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kMaskDate = "@@/@@/@@@@";

// The folder and read faults here ask "Deseja tentar novamente ?".
RetryText askAgain(std::string title, std::string sentence) {
    RetryText text;
    text.title = std::move(title);
    text.sentence = std::move(sentence);
    text.question = "Deseja tentar novamente ?";
    return text;
}

std::string dateLabel(const std::string& ddmmyyyy) { return applyMask(kMaskDate, cp1252ToUtf8(ddmmyyyy)); }

// The first line of the file as the text-line read sees it, from at most its first 144 bytes: a first record
// of the right length is followed by CR LF at bytes 143-144 or ends the file. A longer line is returned cut
// at 143 bytes, which is enough to tell that its length is wrong without reading it whole.
std::string readFirstLine(ByteSource& source) {
    constexpr std::size_t kWanted = kRecordLength + 2;
    std::string bytes(kWanted, '\0');
    std::size_t got = 0;
    while (got < kWanted) {
        const std::size_t n = source.read(bytes.data() + got, kWanted - got);
        if (n == 0) break;
        got += n;
    }
    bytes.resize(got);
    const std::size_t crlf = bytes.find("\r\n");
    if (crlf != std::string::npos) return bytes.substr(0, crlf);
    return bytes.substr(0, std::min(got, kRecordLength + 1));
}

// Creates one folder when it is missing; a failure is a Fault for the retry question.
void createFolder(const fs::path& folder) {
    std::error_code ec;
    if (fs::is_directory(folder, ec)) return;
    fs::create_directory(folder, ec);
    if (ec) throw faultFromErrorCode(ec);
}

bool isFolder(const fs::path& folder) {
    std::error_code ec;
    return fs::is_directory(folder, ec);
}

}  // namespace

DeclarantData DeclarantData::fromHeader(std::string_view record) {
    const HeaderRecord h(record);
    DeclarantData d;
    d.cnpj = h.cnpj();
    d.year = h.year();
    d.startDate = h.periodStart();
    d.endDate = h.periodEnd();
    d.type = h.type();
    d.situation = h.situation();
    d.eventDate = h.eventDate();
    d.uf = h.uf();
    d.name = h.name();
    return d;
}

DeclarantDisplay DeclarantData::display() const {
    DeclarantDisplay l;
    l.name = cp1252ToUtf8(name);
    l.cnpj = trimBlanks(cnpj).empty() ? std::string() : applyMask(kCnpjMask, cp1252ToUtf8(cnpj));
    l.year = cp1252ToUtf8(year);
    l.rectifying = type == "0" ? "N" : "S";
    l.situation = situationName(situation);
    l.periodStart = dateLabel(startDate);
    l.periodEnd = dateLabel(endDate);
    l.eventDate = dateLabel(eventDate);
    return l;
}

std::string declarationBaseName(const DeclarantData& d) {
    return kova::declarationBaseName(d.cnpj, d.year, d.type, d.situation);
}

fs::path generatedFolderOf(const fs::path& programFolder) { return programFolder / kGeneratedFolderName; }

DeclarationNames declarationNames(const fs::path& programFolder, const DeclarantData& declarant) {
    DeclarationNames n;
    const std::string base = declarationBaseName(declarant);
    n.generatedFolder = generatedFolderOf(programFolder);
    n.declarationFolder = n.generatedFolder / base;
    n.deliveryFileName = deliveryFileName(declarant.cnpj, declarant.year, declarant.type, declarant.situation);
    n.deliveryFilePath = n.declarationFolder / n.deliveryFileName;
    return n;
}

std::unique_ptr<ByteSource> openSource(const SourceOpener& opener, const fs::path& path) {
    return opener ? opener(path) : openFileSource(path);
}

DeclarantOutcome readDeclarantData(const fs::path& chosen, Prompts& prompts, DeclarantData& declarant,
                                   const SourceOpener& opener) {
    declarant = DeclarantData{};
    if (chosen.empty()) return DeclarantOutcome::NoPath;

    DeclarantOutcome outcome = DeclarantOutcome::ReadAbandoned;
    std::string first;
    const RetryText text = askAgain("Dados declarante", "Erro na leitura do arquivo.");
    const bool done = withRetry(prompts, text, [&] {
        std::error_code ec;
        const fs::file_status st = fs::status(chosen, ec);
        if (st.type() == fs::file_type::not_found) {
            outcome = DeclarantOutcome::Missing;
            return;
        }
        if (ec) throw faultFromErrorCode(ec);
        if (!fs::is_regular_file(st)) {
            outcome = DeclarantOutcome::Missing;
            return;
        }
        const std::uintmax_t size = fs::file_size(chosen, ec);
        if (ec) throw faultFromErrorCode(ec);
        if (size == 0) {
            outcome = DeclarantOutcome::EmptyFile;
            return;
        }
        first = readFirstLine(*openSource(opener, chosen));
        outcome = DeclarantOutcome::Read;
    });
    if (!done) return DeclarantOutcome::ReadAbandoned;
    if (outcome != DeclarantOutcome::Read) return outcome;

    if (first.size() != kRecordLength) return DeclarantOutcome::WrongLength;
    if (HeaderRecord(first).fileTag() != "KOVALDF") return DeclarantOutcome::WrongFileName;
    declarant = DeclarantData::fromHeader(first);
    return DeclarantOutcome::Read;
}

std::string declarantRefusalText(DeclarantOutcome outcome) {
    switch (outcome) {
        case DeclarantOutcome::WrongLength: return "O tamanho do primeiro registro está incorreto.";
        case DeclarantOutcome::WrongFileName: return "Nome do Arquivo diferente de KOVALDF.";
        default: return {};
    }
}

bool ensureGeneratedFolder(const fs::path& programFolder, Prompts& prompts) {
    const fs::path folder = generatedFolderOf(programFolder);
    const RetryText text = askAgain("Cria Gerada", "Erro na criação do diretório de declarações geradas.");
    if (!withRetry(prompts, text, [&] { createFolder(folder); })) return false;
    return isFolder(folder);
}

bool ensureDeclarationFolder(const fs::path& programFolder, const DeclarantData& declarant, Prompts& prompts,
                         DeclarationNames& names) {
    names = declarationNames(programFolder, declarant);
    if (isFolder(names.declarationFolder)) return true;
    if (!ensureGeneratedFolder(programFolder, prompts)) return false;
    const RetryText text = askAgain("Cria Pasta Arquivo", "Erro na criação da pasta de declaração gerada.");
    if (!withRetry(prompts, text, [&] { createFolder(names.declarationFolder); })) return false;
    return isFolder(names.declarationFolder);
}

}  // namespace kova
