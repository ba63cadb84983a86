// The main window: menus, toolbar, switching the commands, help, centring, and the exit question.
#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QSignalSpy>
#include <QTest>
#include <QTextBrowser>
#include <QToolButton>

#include "app/help_window.h"
#include "app/import_screen.h"
#include "app/main_window.h"
#include "app/program_context.h"
#include "app/screen_host.h"
#include "support/app_test_support.h"

using namespace kova;
using namespace kova::app;
using namespace kova::app::testing;

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

struct Window {
    ProgramContext context;
    ScriptedPrompts prompts;
    HelpLauncher help{QCoreApplication::applicationDirPath() + QStringLiteral("/"),
                     QCoreApplication::applicationDirPath()};
    MainWindow main{context, prompts, help};
    Window() { main.show(); }
};

}  // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

private slots:
    void menusInOrderWithCaptionsAndShortcuts() {
        Window w;
        QStringList lines;
        for (QAction* top : w.main.menuBar()->actions()) lines << top->text() << describe(top->menu(), "  ");
        const QStringList expected = {
            "&Declaração",
            "  Importar Declaração|Ctrl+I",
            "  Transmitir Declaração Via Internet...|Ctrl+T",
            "  Imprimir|",
            "    Declaração|Ctrl+P",
            "    Recibo|Ctrl+R",
            "  Configurar Impressora|",
            "  Sair do Programa|Ctrl+S",
            "&Ajuda",
            "  Conteúdo|",
            "  Apresentação|",
            "  Instruções de Importação|",
            "  Instruções de Navegação|",
            "  Acesso à Página da QOT na Internet|",
            "  Leiaute dos Registros|",
            "  Diagnóstico da Instalação|",
            "  Sobre a KOVA Não Incidência|",
        };
        QCOMPARE(lines, expected);
        QCOMPARE(w.main.windowTitle(), QStringLiteral("KOVA Não-Incidência 3.0"));
        // The toolbar: buttons with pictures between separators, printing with its drop-down.
        QStringList captions;
        for (int i = 1; w.main.toolbarButton(i); ++i) {
            QAction* b = w.main.toolbarButton(i);
            captions << (b->isSeparator() ? QStringLiteral("-") : b->text());
            QVERIFY(b->isSeparator() || !b->icon().isNull());
        }
        QCOMPARE(captions, (QStringList{"Importar Declaração", "-", "Imprimir", "-", "Transmitir Declaração", "-",
                                        "Ajuda", "-", "Sair do Programa"}));
        QToolButton* print = w.main.printButton();
        QVERIFY(print && print->menu());
        QCOMPARE(print->popupMode(), QToolButton::MenuButtonPopup);
        QCOMPARE(describe(print->menu(), ""), (QStringList{"Declaração|", "Recibo|"}));
    }

    void switchingTheCommandsCoversTheListedItemsAndEveryToolbarButton() {
        Window w;
        w.main.disableMenus();
        QVERIFY(allOff(w.main));
        for (int i = 1; i <= 9; ++i) QVERIFY(!w.main.toolbarButton(i)->isEnabled());
        // Items under "Ajuda" that are not in the list stay as they were; their menu is off.
        QVERIFY(w.main.command("mnuPaginaQOT")->isEnabled());
        QVERIFY(!w.main.command("MnuAjuda")->isEnabled());
        w.main.enableMenus();
        QVERIFY(allOn(w.main));
        w.main.disableAllCommands();
        QVERIFY(allOff(w.main));
        w.main.enableAllCommands();
        QVERIFY(allOn(w.main));
        QCOMPARE(w.main.switchedCommands().size(), 13 + 9);
    }

    void noAtTheExitQuestionFromTheCloseBoxKeepsTheProgramRunning() {
        Window w;
        QSignalSpy exits(&w.main, &MainWindow::exitConfirmed);
        w.main.disableAllCommands();  // switched on again by the answer No
        w.prompts.answer("Deseja sair do programa ?", Answer::No);
        QVERIFY(!w.main.close());
        QVERIFY(w.main.isVisible());
        QCOMPARE(exits.count(), 0);
        QVERIFY(allOn(w.main));
        const Message* m = w.prompts.find("Deseja sair do programa ?");
        QVERIFY(m);
        QCOMPARE(m->title, std::string("Confirmação"));
        QCOMPARE(m->icon, Icon::Question);
        QCOMPARE(m->buttons, Buttons::YesNo);
    }

    void yesFromTheMenuOrTheToolbarClosesTheHelpWindowAndEnds_data() {
        QTest::addColumn<bool>("fromToolbar");
        QTest::newRow("menu") << false;
        QTest::newRow("toolbar") << true;
    }
    void yesFromTheMenuOrTheToolbarClosesTheHelpWindowAndEnds() {
        QFETCH(bool, fromToolbar);
        Window w;
        w.main.showHelp(topic::Conteudo);
        QVERIFY(w.help.window() && w.help.window()->isVisible());
        QSignalSpy exits(&w.main, &MainWindow::exitConfirmed);
        w.prompts.answer("Deseja sair do programa ?", Answer::Yes);
        (fromToolbar ? w.main.toolbarButton(9) : w.main.command("MnuSair"))->trigger();
        QCOMPARE(exits.count(), 1);
        QVERIFY(!w.main.isVisible());
        QTRY_VERIFY(w.help.window() == nullptr || !w.help.window()->isVisible());
    }

    void theCloseBoxWaitsWhileAScreenIsOpen() {
        Window w;
        auto* screen = new QLabel(QStringLiteral("tela"));
        w.main.showChild(screen);
        QVERIFY(allOff(w.main));
        QVERIFY(!w.main.close());
        QCOMPARE(w.prompts.shown.size(), std::size_t(0));
        QVERIFY(w.main.isVisible());
        qobject_cast<QMdiSubWindow*>(screen->parentWidget())->close();
        QTRY_VERIFY(allOn(w.main));
    }

    void helpOpensTheTopicPageInTheHelpWindow_data() {
        QTest::addColumn<int>("topicNumber");
        for (int t : {3, 12, 17, 18, 20, 21, 24, 25, 36, 40}) QTest::newRow(qPrintable(QString::number(t))) << t;
    }
    void helpOpensTheTopicPageInTheHelpWindow() {
        QFETCH(int, topicNumber);
        Window w;
        w.main.showHelp(topicNumber);
        HelpWindow* help = w.help.window();
        QVERIFY2(help, "the help pages are beside the test program");
        QCOMPARE(help->windowTitle(), QStringLiteral("Ajuda KOVA Não-Incidência - Versão 3.0"));
        QVERIFY(help->currentPage().endsWith(QStringLiteral("topico-%1.html").arg(topicNumber)));
        QVERIFY(!help->browser()->toPlainText().trimmed().isEmpty());
        help->close();
    }

    void theLayoutTopicDocumentsEveryRecordType() {
        Window w;
        w.main.command("mnuleiaute")->trigger();
        const QString text = w.help.window()->browser()->toPlainText();
        for (const char* part : {"142 caracteres", "Registro tipo 1", "Registro tipo 2", "Registro tipo 3",
                                 "Registro tipo 4", "Registro tipo 5", "Trailer", "KOVALDF", "117-123", "139-142"})
            QVERIFY2(text.contains(QString::fromUtf8(part)), part);
        w.help.window()->close();
    }

    void helpWithoutPagesOpensNothing() {
        ProgramContext context;
        ScriptedPrompts prompts;
        HelpLauncher help(QStringLiteral("/nonexistent/"), QStringLiteral("/nonexistent"));
        MainWindow main(context, prompts, help);
        main.showHelp(12);
        QVERIFY(help.window() == nullptr);
        QCOMPARE(prompts.shown.size(), std::size_t(0));
    }

    void fechaJanelaClosesOnlyAWindowWithExactlyThatTitle() {
        QWidget other;
        other.setWindowTitle(QStringLiteral("Ajuda KOVA"));
        other.show();
        QVERIFY(!MainWindow::closeWindowTitled(QStringLiteral("Ajuda KOVA Não-Incidência - Versão 3.0")));
        QVERIFY(MainWindow::closeWindowTitled(QStringLiteral("Ajuda KOVA")));
        QTRY_VERIFY(!other.isVisible());
    }

    void centraFormCentresOrStartsAtZero() {
        Window w;
        w.main.resize(1000, 700);
        auto* small = new QLabel(QStringLiteral("pequena"));
        small->setFixedSize(300, 200);
        QMdiSubWindow* sub = w.main.showChild(small);
        const QSize area = w.main.mdiArea()->viewport()->size();
        w.main.centreScreen(small);
        QCOMPARE(sub->x(), (area.width() - sub->width()) / 2);
        QCOMPARE(sub->y(), (area.height() - sub->height()) / 2);
        sub->resize(area.width() + 50, area.height() + 50);
        w.main.centreScreen(small);
        QCOMPARE(sub->pos(), QPoint(0, 0));
    }

    // Maximized on the available area; a screen larger than the inner area is cut down to it (its lists scroll),
    // and the help window opens over the main window, not at the screen's corner.
    void theWindowFillsTheScreenWithItsScreensAndHelpInsideIt() {
        struct Tall : QWidget {
            QSize sizeHint() const override { return {4000, 4000}; }
        };
        Window w;
        QVERIFY(w.main.windowState() & Qt::WindowMaximized);
        QMdiSubWindow* sub = w.main.showChild(new Tall);
        const QSize area = w.main.mdiArea()->viewport()->size();
        QVERIFY(sub->width() <= area.width() && sub->height() <= area.height());
        sub->close();
        w.main.showHelp(12);
        HelpWindow* help = w.help.window();
        QVERIFY(help);
        QVERIFY((help->frameGeometry().center() - w.main.frameGeometry().center()).manhattanLength() <= 8);
        help->close();
    }

    // Menu, toolbar and its drop-down open the screens; each one switches the commands off until it closes.
    void commandsOpenTheirScreens() {
        StartedProgram p;
        QVERIFY(p.start());
        MainWindow* main = p.mainWindow();
        releaseScreen(p.importScreen());
        QTRY_VERIFY(allOn(*main));
        const std::pair<std::function<void()>, QString> commands[] = {
            {[&] { main->command("MnuTransmitir")->trigger(); }, "KOVALDTRANSM"},
            {[&] { main->toolbarButton(5)->trigger(); }, "KOVALDTRANSM"},
            {[&] { main->command("mnuimpdecla")->trigger(); }, "KOVALDSELDECIMPD"},
            {[&] { main->toolbarButton(3)->trigger(); }, "KOVALDSELDECIMPD"},
            {[&] { main->onPrintMenuItem(1); }, "KOVALDSELDECIMPD"},
            {[&] { main->command("MnuImpRec")->trigger(); }, "KOVALDIMPRIMIRRECIBO"},
            {[&] { main->onPrintMenuItem(2); }, "KOVALDIMPRIMIRRECIBO"},
        };
        for (const auto& [trigger, name] : commands) {
            trigger();
            QCOMPARE(main->mdiArea()->subWindowList().size(), 1);
            QCOMPARE(main->mdiArea()->subWindowList().constFirst()->widget()->objectName(), name);
            QVERIFY(allOff(*main));
            // Nothing generated yet: the screen says so and closes.
            QTRY_VERIFY(!main->hasOpenScreen() && allOn(*main));
        }
        QCOMPARE(p.prompts.count("A unidade não contém declarações."), 7);
    }

    void toolbarSeparatorsDoNothing() {
        Window w;
        for (int i : {2, 4, 6, 8}) w.main.onToolbarButton(i);
        QCOMPARE(w.prompts.shown.size(), std::size_t(0));
        QVERIFY(w.main.mdiArea()->subWindowList().isEmpty());
        QVERIFY(allOn(w.main));
    }
};

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
