// showFields: accepts the delivery file chosen for the declaration report and fills the report screen's labels.
#pragma once

#include <string>

#include "core/ports.h"
#include "delivery/catalogue.h"

namespace kova::print {

// The identification labels of the report screen.
struct ReportLabels {
    std::string cnpj;
    std::string name;
    std::string year;
    std::string situation;
    std::string type;
    std::string eventDate;
};

// True when the row's delivery file (nomearquivo) exists, is not empty and starts with a delivery header; the
// labels are then filled from the row. A missing file and a foreign first line are told; an empty file is
// refused silently; a read fault asks "Mostrar Campos" whether to try again.
bool showFields(const CatalogueRow& row, Prompts& prompts, ReportLabels& labels);

}  // namespace kova::print
