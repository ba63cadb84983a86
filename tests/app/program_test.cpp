// The program: its start (the order of the steps, the one-copy lock, the checks of the machine and their messages),
// its main window (menus, switching the commands, help, opening the screens, the exit question) and its dialogs.
#include <QAction>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>

#include "app/environment_checks.h"
#include "app/help_window.h"
#include "app/import_screen.h"
#include "app/main_window.h"
#include "app/qt_prompts.h"
#include "app/replace_question.h"
#include "app/splash_screen.h"
#include "app/transmit_question.h"
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

// The answer to a message shown through the real message box when this key is pressed in it.
Answer answerWithKey(const Message& m, int key) {
    whenModalShows(QStringLiteral("MsgBox"), [key](QWidget* box) { QTest::keyClick(box, Qt::Key(key)); });
    QtPrompts prompts;
    return prompts.show(m);
}

}  // namespace

class ProgramTest : public QObject {
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
    void theExitQuestion() {
        enum From { CloseBox, Menu, Toolbar };
        const std::pair<Answer, From> cases[] = {{Answer::No, CloseBox}, {Answer::Yes, Menu}, {Answer::Yes, Toolbar}};
        for (const auto& [answer, from] : cases) {
            DeliveryDesk w;
            w.main.showHelp(topic::Conteudo);
            QSignalSpy exits(&w.main, &MainWindow::exitConfirmed);
            w.prompts.answer("Deseja sair do programa ?", answer);
            if (from == CloseBox) w.main.disableAllCommands();  // switched on again by the answer No
            if (from == CloseBox) w.main.close();
            if (from == Menu) w.main.command("MnuSair")->trigger();
            if (from == Toolbar) w.main.toolbarButton(9)->trigger();
            const bool ends = answer == Answer::Yes;
            QCOMPARE(exits.count(), ends ? 1 : 0);
            QCOMPARE(w.main.isVisible(), !ends);
            QCOMPARE(w.prompts.find("Deseja sair do programa ?")->title, std::string("Confirmação"));
            if (!ends) QVERIFY(allOn(w.main) && w.help.window()->isVisible());
            if (ends) QTRY_VERIFY(w.help.window() == nullptr || !w.help.window()->isVisible());
        }
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

    // The machine's warnings come with the commands off and before the main window shows; then the import screen,
    // whose closing switches the commands on.
    void startsInOrderWithTheWarningsFirst() {
        StartedProgram p;
        p.platform.screen = QSize(640, 480);
        p.platform.date = QStringLiteral("d/M/yy");
        p.platform.time = QStringLiteral("h:mm AP");
        QStringList atMessage;
        p.prompts.onShow = [&](const Message& m) {
            const bool shown = p.mainWindow() && p.mainWindow()->isVisible();
            atMessage << QString::fromStdString(m.title) + (shown ? QStringLiteral(" (janela)") : QString());
            QVERIFY(p.mainWindow() && allOff(*p.mainWindow()));
        };
        QVERIFY(p.start());
        QCOMPARE(atMessage, (QStringList{"KOVA Não-Incidência", "Configuração", "Configuração"}));
        QVERIFY(p.prompts.shown[0].text.rfind("Seu monitor de vídeo está configurado com a resolução de 640 x 480.\n"
                                              "A execução deste programa em resoluções abaixo de 800 x 600", 0) == 0);
        QVERIFY2(!resolutionMessage(QSize(800, 599)) && !resolutionMessage(QSize(799, 600)), "smaller both ways only");
        QCOMPARE(p.prompts.shown[1].text, std::string("Para  o MVR  funcionar corretamente, altere na opção do \r"
                                                      "'Painel de Controle' o formato da data para dd/mm/aaaa.\rse "
                                                      "Windows Português ou dd/mm/yyyy se Windows Inglês."));
        QCOMPARE(p.prompts.shown[2].text, std::string("Altere também na opção do 'Painel de Controle', o formato da"
                                                      "\rhora para HH:mm:ss.\r"));
        QVERIFY2(allOff(*p.mainWindow()), "the import screen keeps the commands off while it is open");
        QVERIFY(p.program->database()->isOpen());
        QCOMPARE(QDir::cleanPath(QDir::currentPath()), QDir::cleanPath(p.folder.path()));
        p.importScreen()->BtnCmd(ImportButton::Close)->click();
        QTRY_VERIFY(p.importScreen() == nullptr);
        QVERIFY(allOn(*p.mainWindow()));
        QVERIFY(!p.program->context().importScreenOpen);
    }

    void aSecondCopyInTheSameFolderIsRefusedAndTheFirstGoesOn() {
        StartedProgram first;
        QVERIFY(first.start());
        StartedProgram second(true, first.folder.path());
        QVERIFY(!second.start());
        QCOMPARE(second.prompts.shown.size(), std::size_t(1));
        QCOMPARE(second.prompts.shown[0].text, std::string("Já existe uma seção aberta para o aplicativo."));
        QVERIFY(second.mainWindow() == nullptr);
        QVERIFY(first.mainWindow()->isVisible() && first.program->database()->isOpen());
        StartedProgram other;
        QVERIFY2(other.start(), "another program folder runs its own copy");
    }

    // Each ends the program with one message: the work database missing (not created), or no system folder.
    void aStartThatCannotGoOnEndsWithItsMessage() {
        StartedProgram noDatabase(false);
        QVERIFY(!noDatabase.start());
        QCOMPARE(noDatabase.prompts.shown.size(), std::size_t(1));
        const std::string& text = noDatabase.prompts.shown[0].text;
        QVERIFY(text.rfind("ERRO Nº: ", 0) == 0 && text.find("Não foi possível abrir o banco de dados.") != text.npos);
        QVERIFY(!QFile::exists(noDatabase.folder.path() + QStringLiteral("KOVALDDB.MDB")));
        QVERIFY(noDatabase.importScreen() == nullptr);

        StartedProgram noSystem;
        noSystem.platform.system.clear();
        QVERIFY(!noSystem.start());
        QCOMPARE(noSystem.prompts.shown.size(), std::size_t(1));
        QCOMPARE(noSystem.prompts.shown[0].text, std::string("Impossível localizar diretório SYSTEM do Windows."));
        QVERIFY(!noSystem.mainWindow()->isVisible());
    }

    // The installed program makes a missing folder with its work database and says where; a folder that exists
    // without a work database is an error.
    void theInstalledProgramMakesOnlyAMissingFolderAndSaysWhere() {
        for (const bool folderExists : {false, true}) {
            QTemporaryDir root;
            const QString folder = root.path() + QStringLiteral("/dados/kova/");
            if (folderExists) QVERIFY(QDir().mkpath(folder));
            StartedProgram installed(false, folder, true);
            QCOMPARE(installed.start(), !folderExists);
            QCOMPARE(QFile::exists(folder + QStringLiteral("KOVALDDB.MDB")), !folderExists);
            QCOMPARE(installed.prompts.shown.size(), std::size_t(1));
            const std::string& text = installed.prompts.shown[0].text;
            if (folderExists) {
                QVERIFY2(text.rfind("ERRO Nº: ", 0) == 0, text.c_str());
                continue;
            }
            QCOMPARE(text, "Primeira execução do programa: a pasta do programa foi criada em\n" +
                               QDir::cleanPath(folder).toStdString() +
                               "\ncom um banco de dados de trabalho novo (KOVALDDB.MDB). As declarações geradas "
                               "ficam nela, em GERADA.");
        }
    }


    void messageBoxesHaveTheirIconButtonsAndKeys() {
        const Message warning{"Título", "Linha 1\nLinha 2\rLinha 3", Icon::Exclamation, Buttons::Ok, Answer::Ok};
        std::unique_ptr<QMessageBox> box(buildMessageBox(warning, nullptr));
        QCOMPARE(box->icon(), QMessageBox::Warning);
        QCOMPARE(box->text(), QStringLiteral("Linha 1\nLinha 2\nLinha 3"));
        const Message cancel{"Cancelar", "Confirma ?", Icon::Question, Buttons::YesNo, Answer::No};
        const Message exit{"Confirmação", "Deseja sair do programa ?", Icon::Question, Buttons::YesNo, Answer::Yes};
        const Message folder{"Arquivos na pasta", "…", Icon::Critical, Buttons::OkCancel, Answer::Ok};
        const std::tuple<Message, int, Answer> keys[] = {
            {cancel, Qt::Key_Return, Answer::No}, {exit, Qt::Key_Return, Answer::Yes},
            {exit, Qt::Key_Escape, Answer::No}, {folder, Qt::Key_Escape, Answer::Cancel}};
        for (const auto& [message, key, expected] : keys) QCOMPARE(answerWithKey(message, key), expected);
    }

    // Enter ends the splash before its ticks; without a key it ends after four ticks when the work database
    // opens, at once when it fails.
    void theSplashEndsOnEnterOrByItself() {
        SplashScreen waiting([] { return true; }, nullptr, 60000);
        QTimer::singleShot(0, [&] { QTest::keyClick(waiting.text1(), Qt::Key_Return); });
        QVERIFY(waiting.run());
        for (const bool opens : {true, false}) {
            SplashScreen splash([&] { return opens; }, nullptr, 1);
            QCOMPARE(splash.run(), opens);
            QCOMPARE(splash.counter(), opens ? 4 : 1);
        }
    }

    // Sim and Não write the answer; help opens its topic and leaves the question open, and the close box then
    // leaves the answer as it was. The transmit question and the replace question alike.
    void theQuestionsWriteTheirAnswer_data() {
        QTest::addColumn<bool>("replace");
        QTest::addColumn<QString>("button");
        QTest::addColumn<int>("expected");
        QTest::addColumn<QString>("topic");  // the help page opened, if any
        QTest::newRow("transmit, Sim") << false << "BtnCmd0" << 1 << "";
        QTest::newRow("transmit, Não") << false << "BtnCmd1" << 2 << "";
        QTest::newRow("transmit, Ajuda") << false << "BtnCmd2" << 0 << "topico-36.html";
        QTest::newRow("replace, Sim") << true << "BtnCmd0" << 0 << "";
        QTest::newRow("replace, Não") << true << "BtnCmd1" << 1 << "";
        QTest::newRow("replace, Ajuda") << true << "BtnCmd3" << 0 << "topico-18.html";
    }
    void theQuestionsWriteTheirAnswer() {
        QFETCH(bool, replace);
        QFETCH(QString, button);
        QFETCH(int, expected);
        QFETCH(QString, topic);
        DeliveryDesk w;
        ImportAnswer answer = ImportAnswer::UnderWay;
        whenModalShows(replace ? QStringLiteral("KOVALDME4") : QStringLiteral("KOVALDME3"), [&](QWidget* dialog) {
            clickButton(dialog, button);
            if (dialog->isVisible() && !topic.isEmpty()) dialog->close();
        });
        if (replace) {
            ScreenReplaceQuestion question(answer, &w.main, nullptr);
            const ReplaceQuestionFields fields{"EMPRESA EXEMPLO LTDA", "11.222.333/0001-81", "2023", "Retificadora",
                                               "01 - Extinção"};
            QCOMPARE(question.ask(fields), expected == 0 && topic.isEmpty() ? Answer::Yes : Answer::No);
        } else {
            TransmitQuestion(QStringLiteral("Arquivo importado com sucesso."), answer, &w.main, nullptr).exec();
        }
        QCOMPARE(int(answer), expected);
        QCOMPARE(w.help.window() ? w.help.window()->currentPage().section('/', -1) : QString(), topic);
    }

};

QTEST_MAIN(ProgramTest)
#include "program_test.moc"
