// The checks start-up makes of the machine, as the messages they lead to.
#pragma once

#include <QSize>
#include <QString>
#include <optional>
#include <vector>

#include "core/ports.h"

namespace kova::app {

Message secondCopyMessage();
Message noSystemFolderMessage();

// The information about a small screen: only when the width is below 800 and the height below 600.
std::optional<Message> resolutionMessage(QSize screen);

// The "Configuração" messages about the regional formats: the date format must start with "dd/MM/yyyy" and the
// time format with "HH:mm:ss" (case matters). A missing setting is compared as its default text.
std::vector<Message> regionalFormatMessages(const std::optional<QString>& shortDate,
                                            const std::optional<QString>& timeFormat);

// "Erro na carga do sistema." with the text of the fault that stopped start-up.
Message loadFailureMessage(const std::string& faultText);

}  // namespace kova::app
