#include "core/error_summary.h"

#include <algorithm>

#include "core/text.h"

namespace kova {

namespace {

struct TypeName {
    std::string_view type;
    std::string_view text;
};
constexpr TypeName kTypeNames[] = {
    {"1", "Tipo 1 - cabeçalho"},
    {"2", "Tipo 2 - responsáveis"},
    {"3", "Tipo 3 - entidades beneficentes"},
    {"4", "Tipo 4 - beneficiários de imunidades"},
    {"5", "Tipo 5 - KOVA não retida"},
    {"T", "Trailer (T)"},
};
constexpr std::string_view kReadFailure = "0";

// Where a type comes in the summary: the known types in file order, unknown ones after, read failures last.
std::size_t typeRank(std::string_view type) {
    for (std::size_t i = 0; i < std::size(kTypeNames); ++i)
        if (kTypeNames[i].type == type) return i;
    return type == kReadFailure ? std::size(kTypeNames) + 1 : std::size(kTypeNames);
}

std::string codeText(int code, std::string_view description) {
    if (!description.empty() && description.back() == '.') description.remove_suffix(1);
    return (code < 10 ? " " : "") + std::to_string(code) + " - " + std::string(description);
}

}  // namespace

std::string recordTypeText(std::string_view type) {
    for (const TypeName& name : kTypeNames)
        if (name.type == type) return std::string(name.text);
    if (type == kReadFailure) return "Falha na leitura do arquivo";
    return "Tipo desconhecido \"" + std::string(type) + "\"";
}

std::string tallyLine(const ErrorTally& tally) {
    return tally.text + " — " + formatThousands(tally.count) + (tally.count == 1 ? " registro" : " registros");
}

void ErrorSummary::add(int code, std::string_view recordType, std::string_view description) {
    CodeCount& entry = codes_[code];
    if (entry.count++ == 0) entry.description = description;
    auto type = types_.find(recordType);
    if (type == types_.end()) type = types_.emplace(std::string(recordType), 0).first;
    ++type->second;
    ++total_;
}

std::vector<ErrorTally> ErrorSummary::byCode() const {
    std::vector<ErrorTally> out;
    for (const auto& [code, entry] : codes_)
        out.push_back({ErrorTally::Kind::Code, code, {}, codeText(code, entry.description), entry.count});
    return out;
}

std::vector<ErrorTally> ErrorSummary::byRecordType() const {
    std::vector<ErrorTally> out;
    for (const auto& [type, count] : types_)
        out.push_back({ErrorTally::Kind::RecordType, 0, type, recordTypeText(type), count});
    std::stable_sort(out.begin(), out.end(), [](const ErrorTally& a, const ErrorTally& b) {
        return typeRank(a.recordType) < typeRank(b.recordType);
    });
    return out;
}

ErrorSummary summarizeErrors(ErrorLog& log) {
    ErrorSummary summary;
    log.listErrors([&](const ErrorListing& row) {
        summary.add(row);
        return true;
    });
    return summary;
}

}  // namespace kova
