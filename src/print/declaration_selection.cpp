#include "print/declaration_selection.h"

#include <filesystem>
#include <system_error>

#include "core/faults.h"
#include "core/retry.h"
#include "core/text.h"
#include "delivery/delivery_records.h"
#include "delivery/header_reader.h"
#include "print/print_context.h"

namespace kova::print {

bool showFields(const CatalogueRow& row, Prompts& prompts, ReportLabels& labels) {
    const std::filesystem::path path(row.fileName);
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) {
        tell(prompts, "Valida arquivo", "O arquivo selecionado não existe.", Icon::Exclamation);
        return false;
    }
    RetryText retry;
    retry.title = "Mostrar Campos";
    retry.sentence = "Erro ao mostrar os dados da declaração.";
    std::uintmax_t size = 0;
    std::string first;
    const bool read = withRetry(prompts, retry, [&] {
        std::error_code sizeError;
        size = std::filesystem::file_size(path, sizeError);
        if (sizeError) throw faultFromErrno(sizeError.value());
        if (size > 0) first = readFirstLine(path);
    });
    if (!read || size == 0) return false;
    if (std::string_view(first).substr(0, kDeliveryHeaderTag.size()) != kDeliveryHeaderTag) {
        tell(prompts, "Valida arquivo",
             "O campo Nome do Arquivo do primeiro registro é diferente de KOVALDF ou o arquivo foi corrompido.",
             Icon::Exclamation);
        return false;
    }
    labels.cnpj = applyMask(kCnpjMask, row.cnpj);
    labels.eventDate = row.eventDate;
    labels.year = row.year;
    labels.situation = row.situation;
    labels.type = row.type;
    labels.name = row.name;
    return true;
}

}  // namespace kova::print
