#include "core/declaration_names.h"

namespace kova {

namespace {

// A name component from record bytes: ASCII letters and digits stay, anything else (a separator, a dot,
// a blank, a control or accented byte) becomes "_".
std::string safeComponent(std::string_view bytes) {
    std::string out(bytes);
    for (char& c : out) {
        const bool keep = (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
        if (!keep) c = '_';
    }
    return out;
}

}  // namespace

std::string declarationTypeWord(std::string_view type) { return type == "1" ? "RETIF" : "ORIGI"; }

std::string declarationBaseName(std::string_view cnpj, std::string_view year, std::string_view type,
                                std::string_view situation) {
    return safeComponent(cnpj) + "-KOVALDF-" + safeComponent(year) + "-" + declarationTypeWord(type) + "-" +
           safeComponent(situation);
}

std::string deliveryFileName(std::string_view cnpj, std::string_view year, std::string_view type,
                             std::string_view situation) {
    return declarationBaseName(cnpj, year, type, situation) + ".DEC";
}

}  // namespace kova
