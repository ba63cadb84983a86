// Start-up: the order of the steps, the one-copy lock, the checks of the machine and their messages.
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include "app/environment_checks.h"
#include "app/import_screen.h"
#include "app/main_window.h"
#include "app/program_context.h"
#include "app/program_folder.h"
#include "app/startup.h"
#include "core/work_database.h"
#include "support/app_test_support.h"

using namespace kova;
using namespace kova::app;
using namespace kova::app::testing;

Q_DECLARE_METATYPE(std::optional<QString>)

namespace {

const char* kDateMessage =
    "Para  o MVR  funcionar corretamente, altere na opção do \r'Painel de Controle' o formato da data para "
    "dd/mm/aaaa.\rse Windows Português ou dd/mm/yyyy se Windows Inglês.";
const char* kTimeAloneMessage =
    "Para  o MVR  funcionar corretamente, altere na opção do \r'Painel de Controle' o formato da hora para "
    "HH:mm:ss.\r";
const char* kTimeAlsoMessage = "Altere também na opção do 'Painel de Controle', o formato da\rhora para HH:mm:ss.\r";

// A program of its own in the given folder, not started, with the machine's clock.
struct ProgramIn {
    explicit ProgramIn(const QString& folder, bool makeMissingFolder = false)
        : program(options(folder, makeMissingFolder), platform, prompts, clock) {}
    static StartupOptions options(const QString& folder, bool makeMissingFolder) {
        StartupOptions o;
        o.programFolder = folder;
        o.makeMissingProgramFolder = makeMissingFolder;
        o.splashTickMs = 1;
        o.quitOnExit = false;
        return o;
    }
    ScriptedPrompts prompts;
    FixedPlatform platform;
    SystemClock clock;
    Program program;
};

}  // namespace

class StartupTest : public QObject {
    Q_OBJECT

private slots:
    void startsInOrderMainWindowSplashImportScreen() {
        ShowLog log;
        StartedProgram p;
        QVERIFY(p.start());
        QCOMPARE(log.entries, (QStringList{"KOVALDPRI", "KOVALDSPLASH", "KOVALDDEC"}));
        MainWindow* main = p.mainWindow();
        QVERIFY(main && main->isVisible());
        QVERIFY2(allOff(*main), "the import screen keeps the commands off while it is open");
        QVERIFY(p.importScreen());
        QVERIFY(p.program->database() && p.program->database()->isOpen());
        QCOMPARE(p.prompts.shown.size(), std::size_t(0));
        QCOMPARE(QDir::cleanPath(QDir::currentPath()), QDir::cleanPath(p.folder.path()));
        QCOMPARE(p.program->context().versionText, QStringLiteral("Versão 3.0 - 16/02/2007"));
        // Closing the import screen switches the commands on.
        QVERIFY(p.program->context().importScreenOpen);
        p.importScreen()->BtnCmd(ImportButton::Close)->click();
        QTRY_VERIFY(p.importScreen() == nullptr);
        QVERIFY(allOn(*p.mainWindow()));
        QVERIFY(!p.program->context().importScreenOpen);
    }

    void environmentMessagesComeBeforeTheMainWindowIsShown() {
        ShowLog log;
        StartedProgram p;
        p.platform.screen = QSize(640, 480);
        p.platform.date = QStringLiteral("d/M/yy");
        p.platform.time = QStringLiteral("h:mm AP");
        QStringList atMessage;
        p.prompts.onShow = [&](const Message& m) {
            atMessage << QString::fromStdString(m.title) + (p.mainWindow() && p.mainWindow()->isVisible()
                                                                 ? QStringLiteral(" (janela)")
                                                                 : QString());
            QVERIFY(p.mainWindow() && allOff(*p.mainWindow()));
        };
        QVERIFY(p.start());
        QCOMPARE(atMessage, (QStringList{"KOVA Não-Incidência", "Configuração", "Configuração"}));
        QCOMPARE(log.entries, (QStringList{"KOVALDPRI", "KOVALDSPLASH", "KOVALDDEC"}));
        QCOMPARE(p.prompts.shown[2].text, std::string(kTimeAlsoMessage));
    }

    void aSecondCopyInTheSameFolderIsRefusedAndTheFirstGoesOn() {
        StartedProgram first;
        QVERIFY(first.start());

        ProgramIn second(first.folder.path());
        ScriptedPrompts& prompts = second.prompts;
        QVERIFY(!second.program.start());
        QCOMPARE(prompts.shown.size(), std::size_t(1));
        QCOMPARE(prompts.shown[0].text, std::string("Já existe uma seção aberta para o aplicativo."));
        QCOMPARE(prompts.shown[0].title, std::string("KOVA Não-Incidência"));
        QCOMPARE(prompts.shown[0].icon, Icon::Critical);
        QVERIFY(second.program.mainWindow() == nullptr);
        QVERIFY(first.mainWindow()->isVisible());
        QVERIFY(first.importScreen() != nullptr);
        QVERIFY(first.program->database()->isOpen());
    }

    void anotherProgramFolderMayRunItsOwnCopy() {
        StartedProgram first;
        StartedProgram other;
        QVERIFY(first.start());
        QVERIFY(other.start());
    }

    void aMissingWorkDatabaseIsReportedAndNotCreated() {
        ShowLog log;
        StartedProgram p(false);
        QVERIFY(!p.start());
        QCOMPARE(p.prompts.shown.size(), std::size_t(1));
        const Message& m = p.prompts.shown[0];
        QVERIFY2(m.text.rfind("ERRO Nº: ", 0) == 0, m.text.c_str());
        QVERIFY(m.text.find("Não foi possível abrir o banco de dados. Programa cancelado.") != std::string::npos);
        QCOMPARE(m.icon, Icon::Critical);
        QVERIFY(!QFile::exists(p.folder.path() + QStringLiteral("KOVALDDB.MDB")));
        QVERIFY(!log.entries.contains(QStringLiteral("KOVALDDEC")));
        QVERIFY(p.importScreen() == nullptr);
    }

    void theInstalledProgramMakesOnlyAMissingFolderAndSaysWhere_data() {
        QTest::addColumn<bool>("folderExists");
        QTest::newRow("first start") << false;
        QTest::newRow("folder without a work database") << true;
    }
    void theInstalledProgramMakesOnlyAMissingFolderAndSaysWhere() {
        QFETCH(bool, folderExists);
        QTemporaryDir root;
        const QString folder = root.path() + QStringLiteral("/dados/kova/");
        if (folderExists) QVERIFY(QDir().mkpath(folder));
        ProgramIn installed(folder, true);
        Program& program = installed.program;
        ScriptedPrompts& prompts = installed.prompts;
        QCOMPARE(program.start(), !folderExists);
        QCOMPARE(QFile::exists(folder + QStringLiteral("KOVALDDB.MDB")), !folderExists);
        QCOMPARE(prompts.shown.size(), std::size_t(1));
        const Message& m = prompts.shown[0];
        if (folderExists) {
            QVERIFY2(m.text.rfind("ERRO Nº: ", 0) == 0, m.text.c_str());
            return;
        }
        QCOMPARE(m.text, "Primeira execução do programa: a pasta do programa foi criada em\n" +
                             QDir::cleanPath(folder).toStdString() +
                             "\ncom um banco de dados de trabalho novo (KOVALDDB.MDB). As declarações geradas ficam "
                             "nela, em GERADA.");
        QCOMPARE(m.icon, Icon::Information);
        QVERIFY(program.database() && program.database()->isOpen());
    }

    void withoutASystemFolderTheProgramEnds() {
        StartedProgram p;
        p.platform.system.clear();
        QVERIFY(!p.start());
        QCOMPARE(p.prompts.shown.size(), std::size_t(1));
        QCOMPARE(p.prompts.shown[0].text, std::string("Impossível localizar diretório SYSTEM do Windows."));
        QVERIFY(!p.mainWindow()->isVisible());
    }

    void resolutionMessage_data() {
        QTest::addColumn<QSize>("screen");
        QTest::addColumn<bool>("shown");
        QTest::newRow("640x480") << QSize(640, 480) << true;
        QTest::newRow("799x599") << QSize(799, 599) << true;
        QTest::newRow("1024x480") << QSize(1024, 480) << false;
        QTest::newRow("640x768") << QSize(640, 768) << false;
        QTest::newRow("800x600") << QSize(800, 600) << false;
    }
    void resolutionMessage() {
        QFETCH(QSize, screen);
        QFETCH(bool, shown);
        const auto m = kova::app::resolutionMessage(screen);
        QCOMPARE(m.has_value(), shown);
        if (!shown) return;
        const std::string expected = "Seu monitor de vídeo está configurado com a resolução de " +
                                     std::to_string(screen.width()) + " x " + std::to_string(screen.height()) +
                                     ".\nA execução deste programa em resoluções abaixo de 800 x 600 pode afetar "
                                     "a exibição de algumas telas do programa, mas não interfere na execução do "
                                     "mesmo.\n\nRecomenda-se a execução do programa usando a resolução de 800 x "
                                     "600.";
        QCOMPARE(m->text, expected);
        QCOMPARE(m->icon, Icon::Information);
        QCOMPARE(m->title, std::string("KOVA Não-Incidência"));
    }

    void regionalFormats_data() {
        QTest::addColumn<std::optional<QString>>("date");
        QTest::addColumn<std::optional<QString>>("time");
        QTest::addColumn<QStringList>("texts");
        const QString date = QString::fromUtf8(kDateMessage);
        const QString alone = QString::fromUtf8(kTimeAloneMessage);
        const QString also = QString::fromUtf8(kTimeAlsoMessage);
        using O = std::optional<QString>;
        QTest::newRow("both right") << O("dd/MM/yyyy") << O("HH:mm:ss") << QStringList{};
        QTest::newRow("more after the 10th and 8th") << O("dd/MM/yyyy ddd") << O("HH:mm:ss t") << QStringList{};
        QTest::newRow("two-digit year") << O("dd/MM/yy") << O("HH:mm:ss") << QStringList{date};
        QTest::newRow("no leading zeros") << O("d/M/yyyy") << O("HH:mm:ss") << QStringList{date};
        QTest::newRow("case matters") << O("DD/MM/YYYY") << O("HH:mm:ss") << QStringList{date};
        QTest::newRow("time alone wrong") << O("dd/MM/yyyy") << O("h:mm:ss") << QStringList{alone};
        QTest::newRow("both wrong") << O("M/d/yy") << O("h:mm AP") << QStringList{date, also};
        QTest::newRow("settings missing") << O() << O() << QStringList{date, also};
    }
    void regionalFormats() {
        QFETCH(std::optional<QString>, date);
        QFETCH(std::optional<QString>, time);
        QFETCH(QStringList, texts);
        QStringList got;
        for (const Message& m : regionalFormatMessages(date, time)) {
            got << QString::fromStdString(m.text);
            QCOMPARE(m.title, std::string("Configuração"));
            QCOMPARE(m.icon, Icon::Critical);
        }
        QCOMPARE(got, texts);
    }

    void programFolderChoice_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("environment");
        QTest::addColumn<QString>("expected");
        QTest::newRow("executable folder") << QStringList{"kova"} << "" << "/opt/kova/";
        QTest::newRow("environment") << QStringList{"kova"} << "/srv/empresa" << "/srv/empresa/";
        QTest::newRow("--pasta wins") << QStringList{"kova", "--pasta", "/tmp/p/"} << "/srv/empresa" << "/tmp/p/";
        QTest::newRow("--pasta=") << QStringList{"kova", "--pasta=/tmp/q"} << "" << "/tmp/q/";
        QTest::newRow("cleaned") << QStringList{"kova", "--pasta", "/tmp/a/../b//"} << "" << "/tmp/b/";
    }
    void programFolderChoice() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, environment);
        QFETCH(QString, expected);
        QCOMPARE(resolveProgramFolder(arguments, environment, QStringLiteral("/opt/kova")), expected);
    }

    void aFaultWhileBringingUpTheScreensEndsWithTheLoadMessage() {
        const Message m = loadFailureMessage("Erro: 53\nArquivo não encontrado.");
        QCOMPARE(m.title, std::string("Carga do Sistema"));
        QCOMPARE(m.text, std::string("Erro na carga do sistema.\nErro: 53\nArquivo não encontrado."));
    }
};

QTEST_MAIN(StartupTest)
#include "startup_test.moc"
