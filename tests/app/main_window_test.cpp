// The main window: menus, toolbar, switching the commands, help, placing the screens, and the exit question.
#include <QAction>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QSignalSpy>
#include <QTest>
#include <QTextBrowser>

#include "app/help_window.h"
#include "app/import_screen.h"
#include "app/main_window.h"
#include "support/app_test_support.h"

using namespace kova;
using namespace kova::app;
using namespace kova::app::testing;

Q_DECLARE_METATYPE(kova::Answer)

namespace {

// What the person reads in a menu: "caption|shortcut" per entry, submenus indented by two blanks.
QStringList describe(const QMenu* menu, const QString& indent) {
    QStringList lines;
    for (QAction* a : menu->actions()) {
        if (a->isSeparator()) continue;
        lines << indent + a->text() + QLatin1Char('|') + a->shortcut().toString(QKeySequence::PortableText);
        if (a->menu()) lines << describe(a->menu(), indent + QStringLiteral("  "));
    }
    return lines;
}

}  // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

private slots:
    void menusInOrderWithCaptionsAndShortcuts() {
        DeliveryDesk w;
        QStringList lines;
        for (QAction* top : w.main.menuBar()->actions()) lines << top->text() << describe(top->menu(), "  ");
        QCOMPARE(lines, (QStringList{"&Declaração", "  Importar Declaração|Ctrl+I",
                                     "  Transmitir Declaração Via Internet...|Ctrl+T", "  Imprimir|",
                                     "    Declaração|Ctrl+P", "    Recibo|Ctrl+R", "  Configurar Impressora|",
                                     "  Sair do Programa|Ctrl+S", "&Ajuda", "  Conteúdo|", "  Apresentação|",
                                     "  Instruções de Importação|", "  Instruções de Navegação|",
                                     "  Acesso à Página da QOT na Internet|", "  Leiaute dos Registros|",
                                     "  Diagnóstico da Instalação|", "  Sobre a KOVA Não Incidência|"}));

        // Switching the commands covers every toolbar button; items under "Ajuda" that are not switched stay on
        // while their menu is off.
        w.main.disableMenus();
        QVERIFY(allOff(w.main));
        QVERIFY(!w.main.toolbarButton(9)->isEnabled() && !w.main.command("MnuAjuda")->isEnabled());
        QVERIFY(w.main.command("mnuPaginaQOT")->isEnabled());
        w.main.enableMenus();
        QVERIFY(allOn(w.main));
    }

    // Não from the close box keeps the program with its commands on; Sim from the menu or the toolbar closes the
    // help window and ends.
    void theExitQuestion_data() {
        QTest::addColumn<Answer>("answer");
        QTest::addColumn<int>("from");  // 0 the close box, 1 the menu, 2 the toolbar
        QTest::newRow("Não, close box") << Answer::No << 0;
        QTest::newRow("Sim, menu") << Answer::Yes << 1;
        QTest::newRow("Sim, toolbar") << Answer::Yes << 2;
    }
    void theExitQuestion() {
        QFETCH(Answer, answer);
        QFETCH(int, from);
        DeliveryDesk w;
        w.main.showHelp(topic::Conteudo);
        QSignalSpy exits(&w.main, &MainWindow::exitConfirmed);
        w.prompts.answer("Deseja sair do programa ?", answer);
        if (from == 0) w.main.disableAllCommands();  // switched on again by the answer No
        if (from == 0) w.main.close();
        if (from == 1) w.main.command("MnuSair")->trigger();
        if (from == 2) w.main.toolbarButton(9)->trigger();
        const bool ends = answer == Answer::Yes;
        QCOMPARE(exits.count(), ends ? 1 : 0);
        QCOMPARE(w.main.isVisible(), !ends);
        QCOMPARE(w.prompts.find("Deseja sair do programa ?")->title, std::string("Confirmação"));
        if (!ends) QVERIFY(allOn(w.main) && w.help.window()->isVisible());
        if (ends) QTRY_VERIFY(w.help.window() == nullptr || !w.help.window()->isVisible());
    }

    // Each topic in the help window over the main window; the check-up's F1 opens its own topic.
    void helpOpensTheTopicPageOverTheWindow() {
        DeliveryDesk w;
        for (int topicNumber : {3, 12, 17, 18, 20, 21, 24, 25, 36, 40}) {
            w.main.showHelp(topicNumber);
            HelpWindow* help = w.help.window();
            QVERIFY2(help, "the help pages are beside the test program");
            QCOMPARE(help->windowTitle(), QStringLiteral("Ajuda KOVA Não-Incidência - Versão 3.0"));
            QVERIFY(help->currentPage().endsWith(QStringLiteral("topico-%1.html").arg(topicNumber)));
            QVERIFY(!help->browser()->toPlainText().trimmed().isEmpty());
            QVERIFY((help->frameGeometry().center() - w.main.frameGeometry().center()).manhattanLength() <= 8);
            help->close();
        }
        whenModalShows(QStringLiteral("DlgDiagnostico"), [&](QWidget* dialog) {
            QTest::keyClick(dialog, Qt::Key_F1);
            clickButton(dialog, QStringLiteral("BtnFechar"));
        });
        w.main.command(QStringLiteral("mnuDiagnostico"))->trigger();
        QVERIFY(w.help.window() && w.help.window()->currentPage().endsWith(QStringLiteral("topico-40.html")));
    }

    // Menu, toolbar and its drop-down open the screens; each one switches the commands off (and the close box
    // waits) until it closes, which it does at once with nothing generated yet, saying so under its own title.
    void commandsOpenTheirScreens() {
        StartedProgram p;
        QVERIFY(p.start());
        MainWindow* main = p.mainWindow();
        releaseScreen(p.importScreen());
        QTRY_VERIFY(allOn(*main));
        const std::tuple<std::function<void()>, QString, const char*> commands[] = {
            {[&] { main->command("MnuTransmitir")->trigger(); }, "KOVALDTRANSM", "Transmitir Declarações"},
            {[&] { main->toolbarButton(5)->trigger(); }, "KOVALDTRANSM", "Transmitir Declarações"},
            {[&] { main->command("mnuimpdecla")->trigger(); }, "KOVALDSELDECIMPD", "Imprimir Declarações"},
            {[&] { main->toolbarButton(3)->trigger(); }, "KOVALDSELDECIMPD", "Imprimir Declarações"},
            {[&] { main->onPrintMenuItem(1); }, "KOVALDSELDECIMPD", "Imprimir Declarações"},
            {[&] { main->command("MnuImpRec")->trigger(); }, "KOVALDIMPRIMIRRECIBO", "Imprimir Recibo"},
            {[&] { main->onPrintMenuItem(2); }, "KOVALDIMPRIMIRRECIBO", "Imprimir Recibo"},
        };
        for (const auto& [trigger, name, title] : commands) {
            p.prompts.shown.clear();
            trigger();
            QCOMPARE(main->mdiArea()->subWindowList().constFirst()->widget()->objectName(), name);
            QVERIFY(allOff(*main));
            QVERIFY2(!main->close(), "the close box waits while a screen is open");
            QTRY_VERIFY(!main->hasOpenScreen() && allOn(*main));
            QCOMPARE(p.prompts.shown.at(0).text, std::string("A unidade não contém declarações."));
            QCOMPARE(p.prompts.shown.at(0).title, std::string(title));
        }
    }
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
