#include "core/field_checks.h"

#include "core/text.h"

namespace kova {

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// True when `code` equals one of the aligned two-character pairs of `pairs` (characters 1-2, 3-4, ...).
bool isAlignedPair(std::string_view pairs, std::string_view code) {
    if (code.size() != 2) return false;
    for (std::size_t i = 0; i + 1 < pairs.size(); i += 2)
        if (pairs.substr(i, 2) == code) return true;
    return false;
}

int numberAt(std::string_view digits, std::size_t first, std::size_t length) {
    int value = 0;
    for (char c : digits.substr(first, length)) value = value * 10 + (c - '0');
    return value;
}

// Modulus-11 check digit of a weighted sum: 0 when the remainder is 0 or 1, else 11 - remainder.
int checkDigit(int weightedSum) {
    const int r = weightedSum % 11;
    return r < 2 ? 0 : 11 - r;
}

// CNPJ weights start at `first` and go down by one, with 9 after 2.
int cnpjCheckDigit(std::string_view digits, std::size_t count, int first) {
    int sum = 0;
    int weight = first;
    for (std::size_t i = 0; i < count; ++i) {
        sum += (digits[i] - '0') * weight;
        weight = weight == 2 ? 9 : weight - 1;
    }
    return checkDigit(sum);
}

// CPF weights run 2, 3, ... from the last of the `count` digits backwards.
int cpfCheckDigit(std::string_view digits, std::size_t count) {
    int sum = 0;
    for (std::size_t i = 0; i < count; ++i) sum += (digits[count - 1 - i] - '0') * static_cast<int>(i + 2);
    return checkDigit(sum);
}

}  // namespace

bool isNumeric(std::string_view text) {
    for (char c : text)
        if (!isDigit(c)) return false;
    return true;
}

// The check-digit and date rules assume digits; anything else is simply not valid, which keeps them total.
bool isValidCnpj(std::string_view cnpj) {
    if (cnpj.size() != 14 || !isNumeric(cnpj) || cnpj.find_first_not_of('0') == std::string_view::npos) return false;
    return cnpj[12] - '0' == cnpjCheckDigit(cnpj, 12, 5) && cnpj[13] - '0' == cnpjCheckDigit(cnpj, 13, 6);
}

bool isValidCpf(std::string_view cpf) {
    if (cpf.size() != 11 || !isNumeric(cpf)) return false;
    std::string ten(cpf.substr(0, 9));
    ten += static_cast<char>('0' + cpfCheckDigit(ten, 9));
    return ten[9] == cpf[9] && cpfCheckDigit(ten, 10) == cpf[10] - '0';
}

bool isValidDate(std::string_view yyyymmdd) {
    if (yyyymmdd.size() != 8 || !isNumeric(yyyymmdd)) return false;
    const int year = numberAt(yyyymmdd, 0, 4);
    const std::string_view monthText = yyyymmdd.substr(4, 2);
    const int month = numberAt(yyyymmdd, 4, 2);
    const int day = numberAt(yyyymmdd, 6, 2);
    if (isAlignedPair("01030507081012", monthText)) {
        if (day < 1 || day > 31) return false;
    } else if (isAlignedPair("04060911", monthText)) {
        if (day < 1 || day > 30) return false;
    }
    if (monthText == "02") {
        // Every year divisible by 4 is a leap year, century years included.
        if (day > (year % 4 == 0 ? 29 : 28)) return false;
    }
    return year != 0 && month >= 1 && month <= 12 && day >= 1 && day <= 31;
}

bool isValidUf(std::string_view uf) {
    return isAlignedPair("ACALAMAPBACEDFESGOMAMGMSMTPAPBPEPIPRRJRNRORRRSSCSESPTO", uf);
}

bool hasOnlyNameCharacters(std::string_view name) {
    for (char c : name)
        if (!isLetter(c) && !isDigit(c) && c != ' ') return false;
    return true;
}

bool hasNoLetters(std::string_view name) {
    for (char c : name)
        if (isLetter(c)) return false;
    return true;
}

std::string situationName(std::string_view code) {
    if (code == "00") return "00 - Normal";
    if (code == "01") return "01 - Extinção";
    if (code == "02") return "02 - Fusão";
    if (code == "03") return "03 - Incorporação/Incorporada";
    if (code == "05") return "05 - Cisão Total";
    // The code comes from the record's single-byte text; the label is display text.
    return "  " + cp1252ToUtf8(code);
}

std::string yearText(std::string_view year) {
    if (year.empty() || !isNumeric(year)) return "Desconhecido";
    return std::string(year.substr(0, 4));
}

}  // namespace kova
