// MOSTRACAMPOS: accepts the delivery file chosen for the declaration report and fills the report screen's labels.
#pragma once

#include <string>

#include "core/ports.h"
#include "delivery/catalogue.h"

namespace kova::print {

// The identification labels of the report screen.
struct ReportLabels {
    std::string LblCNPJ;
    std::string LblNomeEmpresarial;
    std::string LblTrimAno;
    std::string LblSituacao;
    std::string LblTipo;
    std::string LblDataEvento;
};

// True when the row's delivery file (nomearquivo) exists, is not empty and starts with a delivery header; the
// labels are then filled from the row. A missing file and a foreign first line are told; an empty file is
// refused silently; a read fault asks "Mostrar Campos" whether to try again.
bool MOSTRACAMPOS(const CatalogueRow& row, Prompts& prompts, ReportLabels& labels);

}  // namespace kova::print
