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
    previousEntityCnpj.clear();
    legalBeneficiarySeen = false;
    previousBeneficiaryCnpj.clear();
    naturalBeneficiarySeen = false;
    previousBeneficiaryCpf.clear();
    type5Seen = false;
    previousLevyCnpj.clear();
    previousDueDate.clear();
}

}  // namespace kova
