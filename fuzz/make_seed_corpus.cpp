// kova-fuzz-seeds OUT: writes the seed corpus of every fuzz target into OUT/<target>/, valid examples built by
// code (and a few with the usual mistakes), so that no binary file needs to be kept with the sources.
#include <cstdio>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "../tests/delivery/delivery_fixtures.h"
#include "delivery/delivery_records.h"
#include "fuzz_support.h"
#include "support/delivery/sealed_delivery_file.h"
#include "support/file_bytes.h"
#include "support/temp_folder.h"

namespace fs = std::filesystem;
using namespace kova;
using fixtures::DeclarationBuilder;

namespace {

using Seeds = std::vector<std::pair<std::string, std::string>>;  // file name, bytes

Seeds importSeeds() {
    DeclarationBuilder onlyLevy, specialSituation, fieldError, shortContacts, noFinalLineEnd;
    onlyLevy.type5(13);
    specialSituation.header().situation("01").periodEnd("31072023").eventDate("31072023");
    specialSituation.type3(2);
    fieldError.type3(2).replaceRecord(4, fixtures::EntityBuilder::type3(4, 1).name("entidade").build());
    shortContacts.type4F(1).contacts().resize(141);
    noFinalLineEnd.type4J(1).withoutFinalCrLf();
    return {{"every-type", fuzzing::seedDeclaration().str()},
            {"only-levy", onlyLevy.str()},
            {"special-situation", specialSituation.str()},
            {"field-error", fieldError.str()},
            {"short-contacts", shortContacts.str()},
            {"no-final-line-end", noFinalLineEnd.str()}};
}

Seeds deliveryFileSeeds(const fs::path& scratch) {
    const std::string file =
        testing_support::readBytes(testing_support::writeSealedDeliveryFile(scratch, fuzzing::seedDeclaration()));
    return {{"sealed", fuzzing::seedInput(false, file)}, {"sealed-resealed", fuzzing::seedInput(true, file)}};
}

Seeds receiptSeeds(const fs::path& scratch) {
    const fs::path delivery = testing_support::writeSealedDeliveryFile(scratch, fuzzing::seedDeclaration());
    testing::ReceiptFields fields;
    fields.cnpj = fixtures::declarantCnpj();
    fields.detailSeal = std::string(DeliveryHeaderView(testing_support::readBytes(delivery)).detailSeal());
    Seeds seeds;
    for (int notes : {0, 1, 3}) {
        fields.ncLines = notes;
        const std::string receipt = testing::receiptFile(fields);
        seeds.emplace_back("notes-" + std::to_string(notes), fuzzing::seedInput(false, receipt));
        seeds.emplace_back("notes-" + std::to_string(notes) + "-rechained", fuzzing::seedInput(true, receipt));
    }
    return seeds;
}

Seeds profileSeeds() {
    return {{"installed", "[Qui-Bor]\r\nVersao=200702\r\nPath=/opt/quiboro\r\n"},
            {"sections", "; Quiboro\n[Outra]\nVersao=1\n[ qui-bor ]\nPATH = \"/opt/com espaço\" \nversao=200801\n"},
            {"byte-order-mark", "\xEF\xBB\xBF[Qui-Bor]\nVersao=+200702\n"}};
}

void writeSeeds(const fs::path& folder, const Seeds& seeds) {
    fs::create_directories(folder);
    for (const auto& [name, bytes] : seeds) testing_support::writeBytes(folder / name, bytes);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "Uso: kova-fuzz-seeds PASTA\n");
        return 2;
    }
    const fs::path out = argv[1];
    const testing_support::TempFolder scratch;
    writeSeeds(out / "import", importSeeds());
    writeSeeds(out / "delivery_file", deliveryFileSeeds(scratch.path()));
    writeSeeds(out / "receipt", receiptSeeds(scratch.path()));
    writeSeeds(out / "profile", profileSeeds());
    return 0;
}
