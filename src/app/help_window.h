// Help: the pages beside the program (folder "ajuda"; installed, in <prefix>/share/kova), shown at numbered topics
// in one help window.
#pragma once

#include <QPointer>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <optional>

class QTextBrowser;

namespace kova::app {

// Topic numbers used by the screens.
namespace topic {
constexpr int Apresentacao = 3;
constexpr int Conteudo = 12;
constexpr int InstrucoesImportacao = 17;
constexpr int ImportarDeclaracao = 18;
constexpr int ImprimirDeclaracao = 20;
constexpr int ImprimirRecibo = 21;
constexpr int InstrucoesNavegacao = 24;
constexpr int LeiauteRegistros = 25;
constexpr int TransmitirDeclaracao = 36;
constexpr int DiagnosticoInstalacao = 40;
constexpr int RegistroComErro = 41;
constexpr int ResumoErros = 42;
constexpr int ExportarErros = 43;
}  // namespace topic

// The page of a topic ("topico-12.html"); the contents page when no topic is given.
QString helpPageName(std::optional<int> topicNumber);

// The window "Ajuda KOVA Não-Incidência - Versão 3.0": a browser over the help pages.
class HelpWindow : public QWidget {
    Q_OBJECT
public:
    explicit HelpWindow(QWidget* parent = nullptr);
    void showPage(const QString& path);
    QTextBrowser* browser() const { return browser_; }
    QString currentPage() const;

private:
    QTextBrowser* browser_;
};

// HelpLauncher: finds the help folder and shows a topic in the help window (one window, reused).
class HelpLauncher {
public:
    // The help is looked for in the program folder first, then beside the executable, then where an
    // installation keeps it (<prefix>/share/kova/ajuda).
    HelpLauncher(QString programFolder, QString executableFolder);
    ~HelpLauncher();

    // Show: opens the window at a topic (or at the contents). A missing page opens nothing.
    bool Show(std::optional<int> topicNumber = std::nullopt);
    // The folder holding the pages, empty when none was found.
    QString helpFolder() const;
    HelpWindow* window() const { return window_; }

private:
    QStringList candidates_;
    QPointer<HelpWindow> window_;
};

}  // namespace kova::app
