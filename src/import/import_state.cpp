#include "import/import_state.h"

namespace kova {

void ImportState::resetForImport() {
    cancel.set = false;
    zeroAmountCount = 0;
    baseTotal.clear();
    levyTotal.clear();
    count3 = count4 = count5 = 0;
    type5Seen = false;
}

void ImportState::resetOrdering() {
    entitySeen = false;
    previousEntityCNPJ.clear();
    legalBeneficiarySeen = false;
    previousBeneficiaryCNPJ.clear();
    naturalBeneficiarySeen = false;
    previousBeneficiaryCPF.clear();
    type5Seen = false;
    previousType5CNPJ.clear();
    previousDueDate.clear();
}

}  // namespace kova
