#include "app/environment_checks.h"

#include "app/program_context.h"

namespace kova::app {

namespace {

Message box(const QString& title, const QString& text, Icon icon) {
    return Message{title.toStdString(), text.toStdString(), icon, Buttons::Ok, Answer::Ok};
}

const QString kConfigurationTitle = QStringLiteral("Configuração");
constexpr QChar CR = QChar(u'\r');

}  // namespace

Message secondCopyMessage() {
    return box(kProgramTitle, QStringLiteral("Já existe uma seção aberta para o aplicativo."), Icon::Critical);
}

Message noSystemFolderMessage() {
    return box(kProgramTitle, QStringLiteral("Impossível localizar diretório SYSTEM do Windows."), Icon::Critical);
}

std::optional<Message> resolutionMessage(QSize screen) {
    if (!(screen.width() < 800 && screen.height() < 600)) return std::nullopt;
    const QString text = QStringLiteral("Seu monitor de vídeo está configurado com a resolução de %1 x %2.\n"
                                        "A execução deste programa em resoluções abaixo de 800 x 600 pode afetar a "
                                        "exibição de algumas telas do programa, mas não interfere na execução do "
                                        "mesmo.\n\nRecomenda-se a execução do programa usando a resolução de "
                                        "800 x 600.")
                             .arg(screen.width())
                             .arg(screen.height());
    return box(kProgramTitle, text, Icon::Information);
}

std::vector<Message> regionalFormatMessages(const std::optional<QString>& shortDate,
                                            const std::optional<QString>& timeFormat) {
    std::vector<Message> messages;
    const QString date =
        shortDate.value_or(QStringLiteral("Não foi encontrada a configuração regional de data."));
    const QString time = timeFormat.value_or(QStringLiteral("Não foi encontrada a configuração regional de hora."));

    const bool dateWrong = date.left(10) != QLatin1String("dd/MM/yyyy");
    if (dateWrong) {
        messages.push_back(box(kConfigurationTitle,
                               QStringLiteral("Para  o MVR  funcionar corretamente, altere na opção do ") + CR +
                                   QStringLiteral("'Painel de Controle' o formato da data para dd/mm/aaaa.") + CR +
                                   QStringLiteral("se Windows Português ou dd/mm/yyyy se Windows Inglês."),
                               Icon::Critical));
    }
    if (time.left(8) != QLatin1String("HH:mm:ss")) {
        const QString text =
            dateWrong ? QStringLiteral("Altere também na opção do 'Painel de Controle', o formato da") + CR +
                            QStringLiteral("hora para HH:mm:ss.") + CR
                      : QStringLiteral("Para  o MVR  funcionar corretamente, altere na opção do ") + CR +
                            QStringLiteral("'Painel de Controle' o formato da hora para HH:mm:ss.") + CR;
        messages.push_back(box(kConfigurationTitle, text, Icon::Critical));
    }
    return messages;
}

Message loadFailureMessage(const std::string& faultText) {
    return box(QStringLiteral("Carga do Sistema"),
               QStringLiteral("Erro na carga do sistema.\n") + QString::fromStdString(faultText), Icon::Critical);
}

}  // namespace kova::app
