// kova-gerar-exemplo: writes sample declarations built by the test fixtures, so the samples always follow the
// layout the program checks.
//
//   kova-gerar-exemplo correta   SAIDA        a clean declaration with every record type
//   kova-gerar-exemplo com-erros SAIDA        the same declaration with errors of many kinds
//   kova-gerar-exemplo grande N SAIDA         a clean declaration of N records (benchmarks; streamed)
//   kova-gerar-exemplo grande-com-erros N SAIDA   the same with a field error in every fifth record
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <string>

#include "support/declaration_builder.h"

using namespace kova::fixtures;

namespace {

constexpr int kSampleYear = 2025;

const char* kUsage =
    "Uso: kova-gerar-exemplo correta SAIDA\n"
    "     kova-gerar-exemplo com-erros SAIDA\n"
    "     kova-gerar-exemplo grande N SAIDA\n"
    "     kova-gerar-exemplo grande-com-erros N SAIDA\n"
    "Escreve uma declaração de exemplo do ano 2025 (registros de 142 caracteres e CR LF).\n"
    "grande-com-erros: um erro de campo a cada cinco registros.\n";

// Header, contacts, 3 entities, 2 + 2 beneficiaries, 24 type-5 records, trailer: lines 1 to 34.
DeclarationBuilder sampleDeclaration() {
    DeclarationBuilder dec(kSampleYear);
    dec.header().name("EMPRESA EXEMPLO DE SERVICOS FINANCEIROS SA");
    dec.type3(3).type4F(2).type4J(2).type5(24);
    return dec;
}

// One or two errors per record type, each of a different kind; the structure stays sound, so that the
// field checks of every record run, and no error is of the kind that stops the detail pass.
DeclarationBuilder declarationWithErrors() {
    DeclarationBuilder dec = sampleDeclaration();
    dec.header().uf("XX").name("Empresa com letras minusculas").periodEnd("31132025");
    dec.contacts().representativeCpf("12345678900").responsibleAreaCode("00AB");
    dec.replaceRecord(4, EntityBuilder::type3(4, 1).cnpj("11222333000100").build());
    dec.replaceRecord(5, EntityBuilder::type3(5, 2).name("  ").build());
    dec.replaceRecord(7, EntityBuilder::type4F(7, 1).cpf("11111111112").build());
    dec.replaceRecord(9, EntityBuilder::type4J(9, 1).type("X").build());
    dec.replaceRecord(12, LevyBuilder(12, 2, kSampleYear).dueDate("31042025").build());
    dec.replaceRecord(13, LevyBuilder(13, 3, kSampleYear).baseAmount("0000000000000ABCD").build());
    dec.replaceRecord(14, LevyBuilder(14, 4, kSampleYear).dueDate("10012024").build());
    dec.replaceRecord(15, LevyBuilder(15, 5, kSampleYear).baseAmount(0).levyAmount(0).build());
    dec.replaceRecord(34, TrailerBuilder(kSampleYear).year("2024").build());
    return dec;
}

// N records in all: header, contacts, a few entities and beneficiaries, type-5 records, trailer.
DeclarationBuilder bigDeclaration(std::size_t records) {
    DeclarationBuilder dec(kSampleYear);
    const std::size_t details = records > 3 ? records - 3 : 1;
    const std::size_t type3 = details / 100, type4 = details / 100;
    dec.type3(type3).type4F(type4 / 2).type4J(type4 - type4 / 2).type5(details - type3 - type4);
    return dec;
}

// One field error that leaves the structure sound and does not stop the detail pass: a base amount with
// letters in a type-5 record (positions 32-48), a blank name in an entity or beneficiary (positions 25-142).
void spoil(std::string& record) {
    if (record[8] == '5')
        record.replace(31, 17, "0000000000000ABCD");
    else
        record.replace(24, 118, 118, ' ');
}

// Streamed record by record: a declaration of millions of records is never held in memory.
void writeWithErrors(const DeclarationBuilder& dec, std::ostream& out) {
    const std::size_t count = dec.recordCount();
    for (std::size_t line = 1; line <= count; ++line) {
        std::string record = dec.recordAt(line);
        const bool detail = line > 2 && line < count;
        if (detail && line % 5 == 0) spoil(record);
        out << record << "\r\n";
    }
}

int write(const DeclarationBuilder& dec, const std::string& path, bool withErrors = false) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) {
        std::cerr << "Não foi possível criar " << path << "\n";
        return 3;
    }
    if (withErrors)
        writeWithErrors(dec, out);
    else
        dec.write(out);
    out.flush();
    if (!out) {
        std::cerr << "Erro na gravação de " << path << "\n";
        return 3;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string kind = argc > 1 ? argv[1] : "";
    if (kind == "correta" && argc == 3) return write(sampleDeclaration(), argv[2]);
    if (kind == "com-erros" && argc == 3) return write(declarationWithErrors(), argv[2]);
    if ((kind == "grande" || kind == "grande-com-erros") && argc == 4) {
        char* end = nullptr;
        const unsigned long long n = std::strtoull(argv[2], &end, 10);
        if (end != nullptr && *end == '\0' && n >= 4) return write(bigDeclaration(n), argv[3], kind != "grande");
    }
    std::cerr << kUsage;
    return kind == "--help" ? 0 : 2;
}
