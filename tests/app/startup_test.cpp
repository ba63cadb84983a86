// Start-up: the order of the steps, the one-copy lock, the checks of the machine and their messages.
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include "app/environment_checks.h"
#include "app/import_screen.h"
#include "app/program_folder.h"
#include "support/app_test_support.h"

using namespace kova;
using namespace kova::app;
using namespace kova::app::testing;

class StartupTest : public QObject {
    Q_OBJECT

private slots:
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
        QCOMPARE(p.prompts.shown[1].text, std::string("Para  o MVR  funcionar corretamente, altere na opção do \r"
                                                      "'Painel de Controle' o formato da data para dd/mm/aaaa.\rse "
                                                      "Windows Português ou dd/mm/yyyy se Windows Inglês."));
        QCOMPARE(p.prompts.shown[2].text, std::string("Altere também na opção do 'Painel de Controle', o formato da"
                                                      "\rhora para HH:mm:ss.\r"));
        QVERIFY2(allOff(*p.mainWindow()), "the import screen keeps the commands off while it is open");
        QVERIFY(p.program->database()->isOpen());
        QCOMPARE(QDir::cleanPath(QDir::currentPath()), QDir::cleanPath(p.folder.path()));
        QCOMPARE(p.program->context().versionText, QStringLiteral("Versão 3.0 - 16/02/2007"));
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
        QCOMPARE(second.prompts.shown[0].icon, Icon::Critical);
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
        QVERIFY2(text.rfind("ERRO Nº: ", 0) == 0, text.c_str());
        QVERIFY(text.find("Não foi possível abrir o banco de dados. Programa cancelado.") != std::string::npos);
        QVERIFY(!QFile::exists(noDatabase.folder.path() + QStringLiteral("KOVALDDB.MDB")));
        QVERIFY(noDatabase.importScreen() == nullptr);

        StartedProgram noSystem;
        noSystem.platform.system.clear();
        QVERIFY(!noSystem.start());
        QCOMPARE(noSystem.prompts.shown.size(), std::size_t(1));
        QCOMPARE(noSystem.prompts.shown[0].text, std::string("Impossível localizar diretório SYSTEM do Windows."));
        QVERIFY(!noSystem.mainWindow()->isVisible());

        const Message load = loadFailureMessage("Erro: 53\nArquivo não encontrado.");
        QCOMPARE(load.title, std::string("Carga do Sistema"));
        QCOMPARE(load.text, std::string("Erro na carga do sistema.\nErro: 53\nArquivo não encontrado."));
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

    void programFolderChoice_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("environment");
        QTest::addColumn<QString>("expected");
        QTest::newRow("executable folder") << QStringList{"kova"} << "" << "/opt/kova/";
        QTest::newRow("--pasta wins") << QStringList{"kova", "--pasta", "/tmp/p/"} << "/srv/empresa" << "/tmp/p/";
        QTest::newRow("cleaned") << QStringList{"kova", "--pasta", "/tmp/a/../b//"} << "" << "/tmp/b/";
    }
    void programFolderChoice() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, environment);
        QFETCH(QString, expected);
        QCOMPARE(resolveProgramFolder(arguments, environment, QStringLiteral("/opt/kova")), expected);
    }
};

QTEST_MAIN(StartupTest)
#include "startup_test.moc"
